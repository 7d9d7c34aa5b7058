// What the tests of the notice's two buttons share: the records our stand-in
// programs write (tools/standins/record/record.h), the processes they leave,
// and the message boxes the notice shows.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "harness.h"
#include "message_box.h"

namespace e2e {

// One stand-in process as its record tells it.
struct StandinRun {
  DWORD pid = 0;
  std::map<std::string, std::wstring> values;  // by name; a later line wins

  bool Has(const std::string& name) const { return values.count(name) != 0; }
  std::wstring Get(const std::string& name) const;
};

// The processes of a record, in the order of their first lines.
std::vector<StandinRun> ReadRecord(const std::wstring& path);

bool ProcessRunning(DWORD pid);
// Ends the process if it still runs and is a run of `exeName`, which a
// reused process id would not be.
void EndProcess(DWORD pid, const wchar_t* exeName);
// Running processes that `parent` started.
std::vector<DWORD> ChildProcessesOf(DWORD parent);
// Running processes of this file name, whoever started them.
std::vector<DWORD> ProcessesNamed(const wchar_t* exeName);

// The arguments of a command line, split as a program's own start-up does.
std::vector<std::wstring> SplitCommandLine(const std::wstring& commandLine);

// "error", "exclamation", "question", "information", or "none" when the box
// shows no icon.
using IconName = std::string;

// A message box as the user sees it.
struct ShownBox {
  uidriver::MessageBoxInfo info;
  IconName icon;
};

// Waits for a message box of the notice and reads it. Its icon is asked
// inside the program, since Wine does not answer STM_GETICON across processes.
testing::AssertionResult WaitForBox(Notice& notice, DWORD timeoutMs, ShownBox* box);

// The box a user should see: its text and icon, captioned `caption`, owned by
// the notice, with one OK button that dismisses it.
struct ExpectedBox {
  const wchar_t* text;
  IconName icon;
  std::wstring caption;
};

// Compares the box with what was expected, then presses its OK button and
// waits until it is gone, leaving the notice usable.
testing::AssertionResult CheckAndDismiss(const ShownBox& box, HWND notice,
                                         const ExpectedBox& expected);

// The window's text (up to 4096 units), when its thread answers WM_GETTEXT
// within `timeoutMs`.
bool TextWithin(HWND window, DWORD timeoutMs, std::wstring* text);

// Windows of the notice's process other than the notice.
std::vector<HWND> OtherWindowsOf(Notice& notice);

// A left click at this point of the screen, as the mouse makes one: it goes
// into the input queue of the window under the pointer.
bool ClickAt(int x, int y);

// Clicks one of the notice's buttons as its dialog loop sees a click, and
// returns at once: the handler may well keep the notice busy.
bool PostClick(HWND notice, int id);
// PostClick on 卸载旧软件, for an assertion.
testing::AssertionResult ClickUninstall(const Notice& notice);

// Returns once the notice's thread has handled what was posted to it before:
// a request posted to the probe (remote_probe.h) is answered by its message
// loop, after them. (A COM call's wait, under Wine, takes only COM's own,
// DDE, paint and sent messages.)
testing::AssertionResult WaitUntilHandled(Notice& notice);

}  // namespace e2e
