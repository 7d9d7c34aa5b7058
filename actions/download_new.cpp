#include "actions/download_new.h"

#include "actions/download_address.h"
#include "actions/win32_values.h"

namespace {

const wchar_t kVerb[] = L"open";
const wchar_t kBrowser[] = L"iexplore";

}  // namespace

void DownloadNew(Platform& os) {
  // Started by us, the browser would run elevated too, or, after an elevation
  // with another account's password, as that account, saving the download
  // where the user never looks. The desktop shell runs as the user.
  if (os.ShellExecuteAsDesktopUser(kVerb, kBrowser, TARVIC_DOWNLOAD_ADDRESS, kSwShowNormal))
    return;
  os.ShellExecuteVerb(kNoHandle, kVerb, kBrowser, TARVIC_DOWNLOAD_ADDRESS, nullptr,
                      kSwShowNormal);
}
