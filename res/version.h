// The program's version, in the forms the version block needs.
#pragma once

#define VERSION_NUMBERS 1, 0, 0, 1
#define VERSION_TEXT "1.0.0.1"
