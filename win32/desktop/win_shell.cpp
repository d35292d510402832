#include "win32/desktop/win_shell.h"

#include <windows.h>
#include <exdisp.h>
#include <servprov.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "win32/platform/bstr.h"
#include "win32/platform/handle.h"
#include "win32/platform/wide.h"

namespace horalux {

using win32::Bstr;
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

std::optional<std::string> WinShell::link_bytes(const ShellLink& link) {
  LinkObject object;
  ComPtr<IPersistStream> persist;
  ComPtr<IStream> stream;
  if (!object.usable() ||
      FAILED(object.link->QueryInterface(IID_IPersistStream, persist.put_void())) ||
      FAILED(object.link->SetPath(Widen(link.target).c_str())) ||
      FAILED(object.link->SetArguments(Widen(link.arguments).c_str())) ||
      FAILED(object.link->SetWorkingDirectory(Widen(link.working_folder).c_str())) ||
      FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.put())) ||
      FAILED(persist->Save(stream.get(), TRUE)))
    return std::nullopt;
  // The stream's size, not its memory block's, which may be larger.
  STATSTG stat{};
  HGLOBAL memory = nullptr;
  if (FAILED(stream->Stat(&stat, STATFLAG_NONAME)) ||
      FAILED(GetHGlobalFromStream(stream.get(), &memory)) || stat.cbSize.QuadPart > 0x100000)
    return std::nullopt;
  const void* bytes = GlobalLock(memory);
  if (!bytes) return std::nullopt;
  std::string out(static_cast<const char*>(bytes), static_cast<std::size_t>(stat.cbSize.QuadPart));
  GlobalUnlock(memory);
  return out;
}

void WinShell::notify_created(const std::string& path) {
  const std::wstring name = Widen(path);
  SHChangeNotify(SHCNE_CREATE, SHCNF_PATHW, name.c_str(), nullptr);
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

namespace {
// The shell's automation object of the desktop's view, which runs in the
// shell's process: the desktop window, its browser, its view, the view's
// background object, its application. Nothing when any step fails.
bool DesktopShellDispatch(ComPtr<IShellDispatch2>& out) {
  ComPtr<IShellWindows> windows;
  if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                              windows.put_void())))
    return false;
  VARIANT empty;
  VariantInit(&empty);
  long hwnd = 0;
  ComPtr<IDispatch> desktop;
  ComPtr<IServiceProvider> services;
  ComPtr<IShellBrowser> browser;
  ComPtr<IShellView> view;
  ComPtr<IDispatch> background;
  ComPtr<IShellFolderViewDual> folder_view;
  ComPtr<IDispatch> application;
  return windows->FindWindowSW(&empty, &empty, SWC_DESKTOP, &hwnd, SWFO_NEEDDISPATCH,
                               desktop.put()) == S_OK &&
         desktop && SUCCEEDED(desktop->QueryInterface(IID_IServiceProvider, services.put_void())) &&
         SUCCEEDED(
             services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.put_void())) &&
         SUCCEEDED(browser->QueryActiveShellView(view.put())) && view &&
         SUCCEEDED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.put_void())) &&
         SUCCEEDED(background->QueryInterface(IID_IShellFolderViewDual, folder_view.put_void())) &&
         SUCCEEDED(folder_view->get_Application(application.put())) && application &&
         SUCCEEDED(application->QueryInterface(IID_IShellDispatch2, out.put_void())) && out;
}

}  // namespace

bool WinShell::start_through_shell(const std::string& program, const std::string& parameters,
                                   const std::string& working_folder) {
  ComPtr<IShellDispatch2> shell;
  if (!DesktopShellDispatch(shell)) return false;
  Bstr file(program), args(parameters), folder(working_folder), verb("open");
  if (!file || !args || !folder || !verb) return false;
  VARIANT show;
  VariantInit(&show);
  show.vt = VT_I4;
  show.lVal = SW_SHOWNORMAL;
  return SUCCEEDED(
      shell->ShellExecute(file.get(), args.variant(), folder.variant(), verb.variant(), show));
}

bool WinShell::other_process_has_window(const std::string& window_class, const std::string& title) {
  const std::wstring cls = Widen(window_class), text = Widen(title);
  for (HWND hwnd = FindWindowExW(nullptr, nullptr, cls.c_str(), text.c_str()); hwnd;
       hwnd = FindWindowExW(nullptr, hwnd, cls.c_str(), text.c_str())) {
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner != GetCurrentProcessId()) return true;
  }
  return false;
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
