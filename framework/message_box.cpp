#include "framework/message_box.h"

#include "framework/win_app.h"

int AfxMessageBox(const wchar_t* text, UINT type) {
  CWinApp* app = AfxGetApp();
  return app ? app->DoMessageBox(text, type) : 0;
}
