// The user-interface thread: its start-up and shut-down hooks and its main window.
#pragma once

#include "framework/cmd_target.h"

class CWnd;

class CWinThread : public CCmdTarget {
 public:
  // The window that owns message boxes and help requests; cleared when that
  // window is destroyed or its object goes away.
  CWnd* m_pMainWnd = nullptr;

  // Called once after the framework's own start-up. This framework runs no
  // message loop of its own: a program does its work here, in modal dialogs.
  virtual BOOL InitInstance() { return FALSE; }

  // Called once before the process exits; the result is its exit code.
  virtual int ExitInstance() { return 0; }
};
