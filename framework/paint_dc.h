// A device context for painting a window in answer to WM_PAINT: begins
// painting when constructed and ends it when destroyed.
#pragma once

#include <windows.h>

class CWnd;

class CPaintDC {
 public:
  explicit CPaintDC(CWnd* wnd);
  ~CPaintDC();
  CPaintDC(const CPaintDC&) = delete;
  CPaintDC& operator=(const CPaintDC&) = delete;

  HDC GetSafeHdc() const { return m_hDC; }
  BOOL DrawIcon(int x, int y, HICON icon);

 private:
  HWND m_hWnd;
  PAINTSTRUCT m_ps;
  HDC m_hDC;
};
