#include "win32/platform/win_clipboard.h"

#include <cstring>
#include <string>

#include "win32/platform/wide.h"

namespace horalux::win32 {
namespace {

// Holds the clipboard open for one scope.
class OpenedClipboard {
 public:
  explicit OpenedClipboard(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
  ~OpenedClipboard() {
    if (open_) CloseClipboard();
  }
  OpenedClipboard(const OpenedClipboard&) = delete;
  OpenedClipboard& operator=(const OpenedClipboard&) = delete;
  bool open() const { return open_; }

 private:
  bool open_;
};

}  // namespace

bool WinClipboard::has_text() {
  return IsClipboardFormatAvailable(CF_UNICODETEXT) != FALSE;
}

std::string WinClipboard::text() {
  OpenedClipboard clip(owner_);
  if (!clip.open()) return "";
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  if (!data) return "";
  auto* chars = static_cast<const wchar_t*>(GlobalLock(data));
  if (!chars) return "";
  std::string result = Narrow(std::wstring(chars));
  GlobalUnlock(data);
  return result;
}

void WinClipboard::set_text(const std::string& text) {
  // Opened without a window, the clipboard is emptied into no one's hands
  // and then refuses the text.
  if (!owner_) return;
  std::wstring wide = Widen(text);
  OpenedClipboard clip(owner_);
  if (!clip.open() || !EmptyClipboard()) return;
  SIZE_T bytes = (wide.size() + 1) * sizeof(wchar_t);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (!block) return;
  void* dest = GlobalLock(block);
  if (!dest) {
    GlobalFree(block);
    return;
  }
  std::memcpy(dest, wide.c_str(), bytes);
  GlobalUnlock(block);
  // The clipboard owns the block once it takes it.
  if (!SetClipboardData(CF_UNICODETEXT, block)) GlobalFree(block);
}

}  // namespace horalux::win32
