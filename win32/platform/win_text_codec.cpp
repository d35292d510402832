#include "win32/platform/win_text_codec.h"

#include <windows.h>

#include "win32/platform/wide.h"

namespace horalux {
namespace {
constexpr UINT kShiftJis = 932;
}

std::string WinTextCodec::to_ansi(const std::string& utf8) {
  std::wstring w = win32::Widen(utf8);
  if (w.empty()) return {};
  int n = WideCharToMultiByte(kShiftJis, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(kShiftJis, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr,
                      nullptr);
  return out;
}

std::string WinTextCodec::from_ansi(const std::string& ansi) {
  if (ansi.empty()) return {};
  int n = MultiByteToWideChar(kShiftJis, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  std::wstring w(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(kShiftJis, 0, ansi.data(), static_cast<int>(ansi.size()), w.data(), n);
  return win32::Narrow(w);
}

}  // namespace horalux
