// 卸载旧软件 clicked again and again: each click takes the whole way (the
// entry read, the uninstaller started in a job, the wait with the key watch
// for the child it leaves, the key looked at, the box), and none may leave
// a handle or memory behind. The handle table and the memory figures are the
// system's, read from outside: GetProcessHandleCount reports 0 under Wine.
#include <windows.h>

#include <gtest/gtest.h>
#include <psapi.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "action_fixture.h"
#include "actions/uninstall_texts.h"
#include "hardening_fixture.h"
#include "harness.h"
#include "message_box.h"
#include "tools/standins/uninstaller/settings.h"
#include "wait.h"

namespace {

const int kUninstallButton = 1001;
const int kClicks = 50;
// The private bytes grow over the first clicks under Wine and qemu (seen: 32
// to 130 KiB by the 10th click, with no uninstaller run as much as with one)
// and then stay (seen: at most 8 KiB more from the 10th to the 100th). So
// memory is compared from the 10th click on; handles from the first.
const int kWarmUpClicks = 10;
const SIZE_T kMemoryNoise = 64 << 10;

struct Footprint {
  std::map<BYTE, size_t> handlesByType;
  size_t handles = 0;
  SIZE_T privateBytes = 0;
};

testing::AssertionResult Measure(e2e::Notice& notice, Footprint* footprint) {
  std::vector<e2e::HandleEntry> handles;
  const testing::AssertionResult listed = e2e::HandlesOf(notice.process().id(), &handles);
  if (!listed) return listed;
  *footprint = Footprint();
  for (const e2e::HandleEntry& handle : handles) ++footprint->handlesByType[handle.type];
  footprint->handles = handles.size();
  // PagefileUsage is the private bytes (the commit charge); Wine leaves the
  // extended counters' PrivateUsage 0 for another process.
  PROCESS_MEMORY_COUNTERS memory = {};
  memory.cb = sizeof memory;
  if (!::GetProcessMemoryInfo(notice.process().handle(), &memory, sizeof memory))
    return testing::AssertionFailure() << uidriver::LastErrorText(L"GetProcessMemoryInfo");
  footprint->privateBytes = memory.PagefileUsage;
  return testing::AssertionSuccess();
}

// "type N: before -> after" for each type whose count changed.
std::string HandleChanges(const Footprint& before, const Footprint& after) {
  std::map<BYTE, std::pair<size_t, size_t>> counts;
  for (const auto& type : before.handlesByType) counts[type.first].first = type.second;
  for (const auto& type : after.handlesByType) counts[type.first].second = type.second;
  std::string changes;
  for (const auto& type : counts) {
    if (type.second.first == type.second.second) continue;
    changes += "\n    type " + std::to_string(type.first) + ": " +
               std::to_string(type.second.first) + " -> " + std::to_string(type.second.second);
  }
  return changes;
}

// One click to its box, read and dismissed without reaching into the
// program, which would load our probe into it and change what is measured.
testing::AssertionResult ClickAndDismiss(e2e::Notice& notice) {
  if (!e2e::PostClick(notice.window(), kUninstallButton))
    return testing::AssertionFailure() << "cannot click 卸载旧软件";
  HWND box = uidriver::WaitForMessageBox(notice.process().id(), e2e::kAppearTimeoutMs);
  if (box == nullptr)
    return testing::AssertionFailure() << "no box within " << e2e::kAppearTimeoutMs << " ms";
  uidriver::MessageBoxInfo info;
  if (!uidriver::ReadMessageBox(box, &info)) return testing::AssertionFailure() << "unreadable box";
  if (info.text != UNINSTALL_TEXT_NOT_DONE)
    return testing::AssertionFailure()
           << "expected \"" << UNINSTALL_TEXT_NOT_DONE << "\", seen \"" << info.text << "\"";
  if (!uidriver::PressButton(box, IDOK) || !uidriver::WaitForWindowGone(box, e2e::kReactTimeoutMs))
    return testing::AssertionFailure() << "the box did not go with OK";
  if (!uidriver::WaitUntil(e2e::kReactTimeoutMs,
                           [&] { return ::IsWindowEnabled(notice.window()) != FALSE; }))
    return testing::AssertionFailure() << "the notice stayed disabled after the box";
  return testing::AssertionSuccess();
}

// The uninstaller leaves a child, so the notice also watches the key, and
// ends without removing the key, so every click reports 卸载未完成.
TEST(RepeatedUninstalls, FiftyLeaveNoHandleAndNoMemoryBehind) {
  e2e::TestFolder folder;
  const std::wstring record = folder.File(L"uninstall-record.txt");
  e2e::ScopedEnvironment recordVariable(UNINSTALLER_STANDIN_RECORD_VARIABLE, record);
  ASSERT_TRUE(folder.Put(e2e::Standin(L"uninstaller.exe"), L"uninstaller.exe"));
  e2e::UninstallEntry entry;
  ASSERT_TRUE(entry.Set(L"\"" + folder.File(L"uninstaller.exe") + L"\" --leave-child=1"));
  e2e::Notice notice;
  ASSERT_TRUE(notice.Start(folder)) << notice.error();
  ASSERT_NE(notice.WaitForWindow(), nullptr) << notice.error();

  const DWORD startedAt = ::GetTickCount();
  Footprint first, warm, last;
  for (int click = 1; click <= kClicks; ++click) {
    ASSERT_TRUE(ClickAndDismiss(notice)) << "click " << click;
    if (click == 1) {
      ASSERT_TRUE(Measure(notice, &first));
    }
    if (click == kWarmUpClicks) {
      ASSERT_TRUE(Measure(notice, &warm));
    }
  }
  ASSERT_TRUE(Measure(notice, &last));
  const DWORD tookMs = ::GetTickCount() - startedAt;

  // Each click ran the uninstaller and its child, and each of them recorded.
  EXPECT_EQ(e2e::ReadRecord(record).size(), 2u * kClicks) << "uninstallers and children recorded";
  std::printf(
      "%d clicks in %lu ms; handles %u, %u, %u; private bytes %lu, %lu, %lu (after "
      "clicks 1, %d, %d)\n",
      kClicks, tookMs, static_cast<unsigned>(first.handles), static_cast<unsigned>(warm.handles),
      static_cast<unsigned>(last.handles), static_cast<unsigned long>(first.privateBytes),
      static_cast<unsigned long>(warm.privateBytes), static_cast<unsigned long>(last.privateBytes),
      kWarmUpClicks, kClicks);
  EXPECT_EQ(last.handles, first.handles) << "handles of the notice after click 1 and after click "
                                         << kClicks << ", by type:" << HandleChanges(first, last);
  EXPECT_GT(warm.privateBytes, 0u) << "no private bytes reported";
  EXPECT_LE(last.privateBytes, warm.privateBytes + kMemoryNoise)
      << "private bytes after click " << kWarmUpClicks << ": " << warm.privateBytes
      << ", after click " << kClicks << ": " << last.privateBytes;
}

}  // namespace
