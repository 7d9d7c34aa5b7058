// Where the portable edition is downloaded from: printed in the notice and
// handed to the browser, so both always agree.
#pragma once

#define TARVIC_DOWNLOAD_ADDRESS L"http://tarvic-release.s3.amazonaws.com/Tarvic.exe"
