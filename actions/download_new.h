// "下载新软件": opens the portable edition's download address in the browser,
// one new request per click, without waiting for the browser.
#pragma once

#include "actions/platform.h"

void DownloadNew(Platform& os);
