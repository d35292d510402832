#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "core/install/logon_task.h"
#include "win32/install/win_task_service.h"
#include "win32/desktop/win_taskbar.h"
#include "win32/platform/wide.h"
#include "win32/platform/win_user_token.h"

namespace horalux {
namespace {

// Where the Task Scheduler keeps a task of the logon tasks' folder.
std::wstring TaskFile(const std::string& name) {
  wchar_t system[MAX_PATH];
  GetSystemDirectoryW(system, MAX_PATH);
  return std::wstring(system) + L"\\Tasks" + win32::Widen(kLogonTaskFolder) + L"\\" +
         win32::Widen(name);
}

bool FileExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST(TaskService, RegistersTheLogonTaskAndRemovesIt) {
  WinUserToken token;
  const std::string sid = token.user_sid();
  ASSERT_EQ(sid.rfind("S-1-5-", 0), 0u) << sid;
  // Under Wine every process is a full administrator.
  EXPECT_EQ(token.elevation(), Elevation::Elevated);

  WinTaskService tasks;
  const std::string name = LogonTaskName(sid) + " test " + std::to_string(GetCurrentProcessId());
  const std::string xml = LogonTaskXml(sid, "C:\\Program Files\\時計 & <ほら>\\Horalux.exe",
                                       SystemTimeFields{2026, 12, 2, 8});
  const auto f = kLogonTaskFolder;
  ASSERT_FALSE(tasks.find_task(f, name).task);
  // The second time the folder exists already and gets the rules set instead.
  for (int time = 0; time < 2; ++time) {
    ASSERT_EQ(tasks.register_task(f, name, xml, kLogonTaskSddl), kTaskAnswerOk) << time;
    EXPECT_TRUE(FileExists(TaskFile(name)));
    // Wine keeps neither the principal nor the action: the task is there, but
    // not registered for anyone.
    EXPECT_TRUE(tasks.find_task(f, name).task);
  }
  EXPECT_FALSE(tasks.find_task(kRootTaskFolder, name).task);

  EXPECT_EQ(tasks.delete_task(f, name), kTaskAnswerOk);
  EXPECT_FALSE(FileExists(TaskFile(name)));
  EXPECT_FALSE(tasks.find_task(f, name).task);
  EXPECT_EQ(tasks.delete_task(f, name), kTaskFileNotFound) << "nothing left to remove";
  EXPECT_EQ(tasks.delete_task("\\HoraluxNoSuchFolder", name), kTaskPathNotFound) << "nor a folder";
}

TEST(Taskbar, ExistsAndItsRestartBroadcastReachesTheListener) {
  WinTaskbar taskbar;
  int created = 0;
  taskbar.watch_restarts([&] { ++created; });
  EXPECT_TRUE(taskbar.exists());
  SendNotifyMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  MSG msg;
  for (int i = 0; i < 100 && created == 0; ++i) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(10);
  }
  EXPECT_EQ(created, 1);
}

}  // namespace
}  // namespace horalux
