#include "actions/download_new.h"

#include "actions/download_address.h"
#include "actions/win32_values.h"

void DownloadNew(Platform& os) {
  os.ShellExecuteVerb(kNoHandle, L"open", L"iexplore", TARVIC_DOWNLOAD_ADDRESS, nullptr,
                      kSwShowNormal);
}
