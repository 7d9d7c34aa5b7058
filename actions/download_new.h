// "下载新软件": opens the portable edition's download address in the browser,
// one new request per click, without waiting for the browser. The request goes
// to the user's desktop shell, or to ShellExecuteW where that cannot be reached.
#pragma once

#include "actions/platform.h"

void DownloadNew(Platform& os);
