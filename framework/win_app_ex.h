// The application object of programs that opt into the extended framework.
#pragma once

#include "framework/win_app.h"

class CWinAppEx : public CWinApp {
 public:
  explicit CWinAppEx(BOOL resourceSmartUpdate = FALSE)
      : m_bResourceSmartUpdate(resourceSmartUpdate) {}

  const BOOL m_bResourceSmartUpdate;
};
