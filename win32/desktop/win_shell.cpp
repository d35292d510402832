#include "win32/desktop/win_shell.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "win32/platform/handle.h"
#include "win32/platform/wide.h"

namespace horalux {

using win32::ComPtr;
using win32::Narrow;
using win32::Widen;

namespace {
// A shell link object with its two interfaces, or nothing usable.
struct LinkObject {
  ComPtr<IShellLinkW> link;
  ComPtr<IPersistFile> file;
  LinkObject() {
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                link.put_void())))
      return;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.put_void()))) link.reset();
  }
  bool usable() const { return link && file; }
};
}  // namespace

std::string WinShell::special_folder(SpecialFolderId id) {
  wchar_t path[MAX_PATH];
  if (FAILED(SHGetFolderPathW(nullptr, static_cast<int>(id), nullptr, SHGFP_TYPE_CURRENT, path)))
    return "";
  return Narrow(path);
}

LinkSave WinShell::write_link(const std::string& link_path, const ShellLink& link) {
  LinkObject object;
  if (!object.usable()) return LinkSave::NoLinkObject;
  if (FAILED(object.link->SetPath(Widen(link.target).c_str())) ||
      FAILED(object.link->SetArguments(Widen(link.arguments).c_str())) ||
      FAILED(object.link->SetWorkingDirectory(Widen(link.working_folder).c_str())))
    return LinkSave::SaveFailed;
  return SUCCEEDED(object.file->Save(Widen(link_path).c_str(), FALSE)) ? LinkSave::Saved
                                                                       : LinkSave::SaveFailed;
}

std::optional<ShellLink> WinShell::read_link(const std::string& link_path) {
  LinkObject object;
  if (!object.usable() || FAILED(object.file->Load(Widen(link_path).c_str(), STGM_READ)))
    return std::nullopt;
  wchar_t text[INFOTIPSIZE];
  ShellLink link;
  if (FAILED(object.link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH))) return std::nullopt;
  link.target = Narrow(text);
  if (FAILED(object.link->GetArguments(text, INFOTIPSIZE))) return std::nullopt;
  link.arguments = Narrow(text);
  if (FAILED(object.link->GetWorkingDirectory(text, MAX_PATH))) return std::nullopt;
  link.working_folder = Narrow(text);
  return link;
}

ProcessId WinShell::start_process(const std::string& program, const std::string& parameters,
                                  const std::string& working_folder) {
  std::wstring command = L"\"" + Widen(program) + L"\"";
  if (!parameters.empty()) command += L" " + Widen(parameters);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(Widen(program).c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      Widen(working_folder).c_str(), &startup, &info))
    return 0;
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return info.dwProcessId;
}

bool WinShell::process_running(ProcessId process) {
  win32::UniqueHandle h(OpenProcess(SYNCHRONIZE, FALSE, process));
  return h.valid() && WaitForSingleObject(h.get(), 0) == WAIT_TIMEOUT;
}

bool WinShell::process_has_window(ProcessId process, const std::string& window_class) {
  struct Search {
    DWORD process;
    std::wstring window_class;
    bool found = false;
  } search{process, Widen(window_class)};
  EnumWindows(
      [](HWND hwnd, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        wchar_t name[256];
        if (owner == s->process && GetClassNameW(hwnd, name, 256) && s->window_class == name) {
          s->found = true;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool WinShell::show_properties(const std::string& path, std::uintptr_t owner) {
  const std::wstring file = Widen(path);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_INVOKEIDLIST;
  info.hwnd = reinterpret_cast<HWND>(owner);
  info.lpVerb = L"properties";
  info.lpFile = file.c_str();
  info.nShow = SW_SHOW;
  return ShellExecuteExW(&info) != FALSE;
}

std::optional<ShellVersion> WinShell::shell_version() {
  HMODULE shell32 = GetModuleHandleW(L"shell32.dll");
  if (!shell32) return std::nullopt;
  auto get_version = reinterpret_cast<DLLGETVERSIONPROC>(
      reinterpret_cast<void*>(GetProcAddress(shell32, "DllGetVersion")));
  if (!get_version) return std::nullopt;
  DLLVERSIONINFO info{};
  info.cbSize = sizeof info;
  if (FAILED(get_version(&info))) return std::nullopt;
  return ShellVersion{static_cast<int>(info.dwMajorVersion), static_cast<int>(info.dwMinorVersion),
                      static_cast<int>(info.dwBuildNumber)};
}

}  // namespace horalux
