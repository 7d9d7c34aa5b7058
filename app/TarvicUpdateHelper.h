// The application object: prepares the common controls and the framework,
// then shows the upgrade notice until the user closes it.
#pragma once

#include "framework/win_app_ex.h"

class CTarvicUpdateHelperApp : public CWinAppEx {
 public:
  CTarvicUpdateHelperApp();

  BOOL InitInstance() override;

  DECLARE_MESSAGE_MAP()
};
