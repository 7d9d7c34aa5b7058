// The text of the upgrade notice: four lines, CR LF between them.
#pragma once

#include "actions/download_address.h"

#define NOTICE_TEXT                                 \
  L"Tarvic已经由安装版升级到绿色版(V1->V2)。\r\n" \
  L"请先卸载旧版本，然后到地址\r\n"                 \
  TARVIC_DOWNLOAD_ADDRESS L"\r\n"                   \
  L"下载新版本。"
