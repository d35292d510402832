#include "tests/e2e/tray_driver.h"

#include <commctrl.h>

#include <cstdint>
#include <cwctype>

namespace horalux::e2e {
namespace {

// Explorer's icon windows, by Wine version.
constexpr const char* kTrayIconClasses[] = {"__winex11_tray_icon", "__wine_tray_icon"};
// The tip is at most 127 characters in the shell's record; room to spare.
constexpr size_t kTipChars = 1024;

struct HandleCloser {
  HANDLE handle = nullptr;
  ~HandleCloser() {
    if (handle) CloseHandle(handle);
  }
};

// Memory inside explorer, for the tooltip message whose argument is a
// pointer the tooltip writes through.
class ExplorerBuffer {
 public:
  ExplorerBuffer(DWORD pid, size_t size) {
    process_.handle =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process_.handle) {
      address_ =
          VirtualAllocEx(process_.handle, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
  }
  ~ExplorerBuffer() {
    if (address_) VirtualFreeEx(process_.handle, address_, 0, MEM_RELEASE);
  }
  ExplorerBuffer(const ExplorerBuffer&) = delete;
  ExplorerBuffer& operator=(const ExplorerBuffer&) = delete;

  explicit operator bool() const { return address_ != nullptr; }
  char* at(size_t offset) const { return static_cast<char*>(address_) + offset; }
  bool Write(size_t offset, const void* data, size_t size) const {
    return WriteProcessMemory(process_.handle, at(offset), data, size, nullptr) != FALSE;
  }
  bool Read(size_t offset, void* data, size_t size) const {
    return ReadProcessMemory(process_.handle, at(offset), data, size, nullptr) != FALSE;
  }

 private:
  HandleCloser process_;
  void* address_ = nullptr;
};

// Explorer keeps each icon's record in the icon window's user data; the
// record starts with its list links, the image and then the window the
// program named in its shell call.
struct IconRecordHead {
  void* next;
  void* prev;
  HICON image;
  HWND owner;
};

HWND ReadIconOwner(HWND icon) {
  const auto record = GetWindowLongPtrW(icon, GWLP_USERDATA);
  if (!record) return nullptr;
  DWORD explorer = 0;
  GetWindowThreadProcessId(icon, &explorer);
  HandleCloser process{OpenProcess(PROCESS_VM_READ, FALSE, explorer)};
  if (!process.handle) return nullptr;
  IconRecordHead head{};
  if (!ReadProcessMemory(process.handle, reinterpret_cast<const void*>(record), &head, sizeof head,
                         nullptr)) {
    return nullptr;
  }
  return IsWindow(head.owner) ? head.owner : nullptr;
}

std::optional<wchar_t> AccessKeyOf(std::wstring_view caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != L'&') continue;
    if (caption[i + 1] == L'&') {
      ++i;
      continue;
    }
    return static_cast<wchar_t>(std::towlower(caption[i + 1]));
  }
  return std::nullopt;
}

}  // namespace

DWORD TrayIcon::OwnerProcessId() const {
  HWND owner = ReadIconOwner(window_.handle());
  return owner ? Window(owner).ProcessId() : 0;
}

// Explorer makes one tooltip window per icon, with the icon window as its one
// tool; the tooltip's owner is the tray, so the tool tells them apart.
std::optional<std::string> TrayIcon::Tip() const {
  HWND icon = window_.handle();
  const DWORD explorer = window_.ProcessId();
  const size_t text_at = sizeof(TTTOOLINFOW);
  ExplorerBuffer buffer(explorer, text_at + kTipChars * sizeof(wchar_t));
  if (!buffer) return std::nullopt;
  TTTOOLINFOW info{};
  info.cbSize = sizeof info;
  info.hwnd = icon;
  info.uId = reinterpret_cast<UINT_PTR>(icon);
  info.lpszText = reinterpret_cast<LPWSTR>(buffer.at(text_at));
  const auto ask = [&](HWND tooltip, UINT message, WPARAM wparam) -> LRESULT {
    const wchar_t empty = L'\0';
    if (!buffer.Write(0, &info, sizeof info) || !buffer.Write(text_at, &empty, sizeof empty)) {
      return 0;
    }
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(tooltip, message, wparam, reinterpret_cast<LPARAM>(buffer.at(0)),
                             SMTO_ABORTIFHUNG, 5000, &result)) {
      return 0;
    }
    return static_cast<LRESULT>(result);
  };
  for (const auto& tooltip :
       TopWindows({.cls = TOOLTIPS_CLASSA, .pid = explorer, .visible_only = false})) {
    if (!ask(tooltip.handle(), TTM_GETTOOLINFOW, 0)) continue;
    ask(tooltip.handle(), TTM_GETTEXTW, kTipChars);
    std::wstring text(kTipChars, L'\0');
    if (!buffer.Read(text_at, text.data(), kTipChars * sizeof(wchar_t))) return std::nullopt;
    text.resize(text.find(L'\0'));
    return Narrow(text);
  }
  return std::nullopt;
}

bool TrayIcon::Shown() const {
  auto tray = SystemTray();
  return tray && window_.Visible() && GetParent(window_.handle()) == tray->handle();
}

void TrayIcon::RightClick() const {
  if (!Shown()) throw DriverError("right-clicking a tray icon that is not shown");
  RECT client{};
  GetClientRect(window_.handle(), &client);
  const LPARAM middle = MAKELPARAM(client.right / 2, client.bottom / 2);
  window_.Post(WM_RBUTTONDOWN, MK_RBUTTON, middle);
  window_.Post(WM_RBUTTONUP, 0, middle);
}

std::optional<Window> SystemTray() {
  auto trays = TopWindows({.title = kSystemTrayTitle});
  if (trays.empty()) return std::nullopt;
  return trays.front();
}

std::vector<TrayIcon> TrayIcons() {
  std::vector<TrayIcon> icons;
  for (const auto& tray : TopWindows({.title = kSystemTrayTitle}))
    for (const char* cls : kTrayIconClasses)
      for (const auto& w : tray.Controls({.cls = cls, .visible_only = true})) icons.emplace_back(w);
  return icons;
}

std::optional<TrayIcon> FindTrayIcon(DWORD pid) {
  for (const auto& icon : TrayIcons())
    if (icon.OwnerProcessId() == pid) return icon;
  return std::nullopt;
}

TrayIcon WaitTrayIcon(const Process& program, Millis timeout) {
  std::optional<TrayIcon> found;
  bool ended = false;
  const bool ok = PollUntil(
      [&] {
        found = FindTrayIcon(program.Id());
        if (found && found->Shown()) return true;
        return ended = !program.Running();
      },
      timeout);
  if (ended) throw DriverError("the program ended before its tray icon showed");
  if (!ok) {
    std::string seen;
    for (const auto& icon : TrayIcons())
      seen += "\n  " + icon.window().Describe() + " owner pid " +
              std::to_string(icon.OwnerProcessId()) + " tip " + icon.Tip().value_or("(unread)");
    throw DriverError("no tray icon of process " + std::to_string(program.Id()) +
                      "; icons:" + (seen.empty() ? " (none)" : seen));
  }
  return *found;
}

Window WaitPopupMenu(const Process& program, Millis timeout) {
  return program.WaitWindow({.cls = kPopupMenuClass}, timeout);
}

void ChoosePopupItem(const Window& menu, std::string_view caption) {
  auto key = AccessKeyOf(Widen(caption));
  if (!key) throw DriverError("menu caption \"" + std::string(caption) + "\" has no access key");
  // The menu's modal loop reads its thread's queue whichever window a key is
  // posted to.
  menu.Post(WM_CHAR, *key, 1);
  WaitUntil([&] { return !menu.Exists() || !menu.Visible(); }, "the popup menu to close");
}

}  // namespace horalux::e2e
