#include "win32/desktop/notify_shell.h"

#include <shellapi.h>
#include <shlwapi.h>
#include <windowsx.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "win32/desktop/popup_menu_view.h"
#include "win32/platform/wide.h"
#include "win32/platform/window_class.h"

namespace horalux {
namespace {

constexpr wchar_t kWindowClass[] = L"HoraluxNotifyWindow";
// Carries a heap-held std::function<void()> in its second parameter.
constexpr UINT kRunTask = WM_APP + 1;
constexpr int kApplicationIconId = 1;

using Task = std::function<void()>;

// The shell takes the tip in UTF-16; the core has already cut it to 63
// bytes of code page 932, which never makes more than 63 characters.
void CopyTip(const std::string& utf8, WCHAR (&tip)[128]) {
  const std::wstring wide = win32::Widen(utf8);
  const std::size_t n = std::min<std::size_t>(wide.size(), 63);
  wide.copy(tip, n);
  tip[n] = L'\0';
}

using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);

}  // namespace

WinNotifyShell::WinNotifyShell() {
  task_window_ = MakeWindow(HWND_MESSAGE, 0);
}

HWND WinNotifyShell::MakeWindow(HWND parent, DWORD style) {
  win32::RegisterWindowClass(kWindowClass, WndProc);
  HWND hwnd = win32::CreateWindowOrThrow(0, kWindowClass, style, parent, nullptr);
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  return hwnd;
}

WinNotifyShell::~WinNotifyShell() {
  if (callback_ && IsWindow(callback_)) DestroyWindow(callback_);
  if (task_window_) {
    MSG msg;
    while (PeekMessageW(&msg, task_window_, kRunTask, kRunTask, PM_REMOVE)) {
      delete reinterpret_cast<Task*>(msg.lParam);
    }
    DestroyWindow(task_window_);
  }
}

LRESULT CALLBACK WinNotifyShell::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<WinNotifyShell*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self) return self->Handle(hwnd, msg, wp, lp);
  return DefWindowProcW(hwnd, msg, wp, lp);
}

// The core's handlers run from here; no exception may unwind through the
// system's window procedure frames.
LRESULT WinNotifyShell::Handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (hwnd == task_window_ && msg == kRunTask) {
    std::unique_ptr<Task> task(reinterpret_cast<Task*>(lp));
    try {
      (*task)();
    } catch (...) {
    }
    return 0;
  }
  if (hwnd == callback_ && msg == callback_message_ && on_message_) {
    // The newer form carries the icon's number in the high word beside the
    // message (numbers start at 1) and the icon's anchor point in the first
    // parameter; the old one has the number there.
    const bool newer = HIWORD(lp) != 0;
    const auto id = static_cast<std::uint32_t>(newer ? HIWORD(lp) : wp);
    const auto message = static_cast<std::uint32_t>(newer ? LOWORD(lp) : lp);
    std::optional<ScreenPoint> anchor;
    if (newer) anchor = ScreenPoint{GET_X_LPARAM(wp), GET_Y_LPARAM(wp)};
    try {
      on_message_(id, message, anchor);
    } catch (...) {
    }
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

bool WinNotifyShell::Send(DWORD action, const NotifyIconRecord& record) {
  NOTIFYICONDATAW data{};
  // The newer message form and the shown-tip flag come with the whole record.
  data.cbSize = record.long_form ? sizeof(NOTIFYICONDATAW) : NOTIFYICONDATAW_V1_SIZE;
  data.hWnd = callback_;
  data.uID = record.id;
  if (record.callback_message) {
    data.uFlags |= NIF_MESSAGE;
    data.uCallbackMessage = *record.callback_message;
  }
  if (record.image) {
    data.uFlags |= NIF_ICON;
    data.hIcon = reinterpret_cast<HICON>(*record.image);
  }
  if (record.tip) {
    // An icon of the newer message form shows the standard tip only when asked.
    data.uFlags |= NIF_TIP | (record.long_form ? NIF_SHOWTIP : 0);
    CopyTip(*record.tip, data.szTip);
  }
  if (record.hidden && record.long_form) {
    data.uFlags |= NIF_STATE;
    data.dwStateMask = NIS_HIDDEN;
    data.dwState = *record.hidden ? NIS_HIDDEN : 0;
  }
  SetLastError(0);
  BOOL ok = Shell_NotifyIconW(action, &data);
  last_error_ = ok ? 0 : GetLastError();
  return ok != FALSE;
}

bool WinNotifyShell::add_icon(const NotifyIconRecord& record) {
  if (!Send(NIM_ADD, record)) return false;
  // The newer message form also reports the keyboard: Enter or Space on the
  // icon, and its context-menu key. A shell that refuses it keeps the old form.
  if (record.long_form) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = callback_;
    data.uID = record.id;
    data.uVersion = NOTIFYICON_VERSION_4;
    Shell_NotifyIconW(NIM_SETVERSION, &data);
  }
  return true;
}

bool WinNotifyShell::modify_icon(const NotifyIconRecord& record) {
  return Send(NIM_MODIFY, record);
}

bool WinNotifyShell::delete_icon(const NotifyIconRecord& record) {
  return Send(NIM_DELETE, record);
}

// The shell library answers for itself: its file's version resource would
// need version.dll, which Windows looks for beside the program first.
int WinNotifyShell::shell_major_version() {
  HMODULE shell32 = GetModuleHandleW(L"shell32.dll");
  if (!shell32) return 0;
  auto get_version = reinterpret_cast<DLLGETVERSIONPROC>(
      reinterpret_cast<void*>(GetProcAddress(shell32, "DllGetVersion")));
  if (!get_version) return 0;
  DLLVERSIONINFO info{};
  info.cbSize = sizeof info;
  if (FAILED(get_version(&info))) return 0;
  return static_cast<int>(info.dwMajorVersion);
}

// RtlGetVersion tells the true version; GetVersionEx may be told to lie by
// the compatibility layer.
bool WinNotifyShell::xp_or_later() {
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  bool known = false;
  if (HMODULE ntdll = GetModuleHandleW(L"ntdll.dll")) {
    auto rtl_get_version = reinterpret_cast<RtlGetVersionFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "RtlGetVersion")));
    known = rtl_get_version && rtl_get_version(&version) == 0;
  }
  if (!known) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    known = GetVersionExW(&version) != FALSE;
#pragma GCC diagnostic pop
  }
  if (!known) return false;
  return version.dwMajorVersion > 5 || (version.dwMajorVersion == 5 && version.dwMinorVersion >= 1);
}

std::uint32_t WinNotifyShell::double_click_time_ms() {
  return GetDoubleClickTime();
}

ImageId WinNotifyShell::window_icon(WindowId window) {
  HWND hwnd = reinterpret_cast<HWND>(window);
  if (!IsWindow(hwnd)) return 0;
  if (auto icon = SendMessageW(hwnd, WM_GETICON, ICON_SMALL, 0)) return static_cast<ImageId>(icon);
  if (auto icon = SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0)) return static_cast<ImageId>(icon);
  if (auto icon = GetClassLongPtrW(hwnd, GCLP_HICONSM)) return static_cast<ImageId>(icon);
  return static_cast<ImageId>(GetClassLongPtrW(hwnd, GCLP_HICON));
}

// The program's icon resource at the small size the notification area
// shows; a program without one gets the system's default program icon.
ImageId WinNotifyShell::application_icon() {
  const int cx = GetSystemMetrics(SM_CXSMICON);
  const int cy = GetSystemMetrics(SM_CYSMICON);
  HANDLE icon = LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kApplicationIconId),
                           IMAGE_ICON, cx, cy, LR_SHARED);
  if (!icon) icon = LoadImageW(nullptr, IDI_APPLICATION, IMAGE_ICON, cx, cy, LR_SHARED);
  return reinterpret_cast<ImageId>(icon);
}

void WinNotifyShell::popup_menu(const std::vector<PopupMenuEntry>& entries, ScreenPoint at,
                                std::function<void(std::size_t)> on_choose) {
  HWND owner = callback_ ? callback_ : task_window_;
  std::optional<std::size_t> chosen = win32::TrackPopup(owner, entries, at);
  if (chosen && on_choose) {
    PostTask([on_choose = std::move(on_choose), index = *chosen] { on_choose(index); });
  }
}

bool WinNotifyShell::PostTask(std::function<void()> task) {
  auto* held = new Task(std::move(task));
  if (PostMessageW(task_window_, kRunTask, 0, reinterpret_cast<LPARAM>(held))) return true;
  delete held;
  return false;
}

bool WinNotifyShell::has_callback_window() {
  return callback_ && IsWindow(callback_);
}

void WinNotifyShell::create_callback_window(WindowId owner, std::uint32_t message,
                                            NotifyReport on_message) {
  callback_message_ = message;
  on_message_ = std::move(on_message);
  HWND parent = reinterpret_cast<HWND>(owner);
  if (parent && IsWindow(parent)) {
    callback_ = MakeWindow(parent, WS_CHILD);
  } else {
    callback_ = MakeWindow(nullptr, WS_POPUP);
  }
}

}  // namespace horalux
