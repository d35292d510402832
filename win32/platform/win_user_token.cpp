#include "win32/platform/win_user_token.h"

#include <windows.h>
#include <sddl.h>
#include <wtsapi32.h>

#include <vector>

#include "win32/platform/handle.h"
#include "win32/platform/sid.h"
#include "win32/platform/system32_library.h"
#include "win32/platform/wide.h"

namespace horalux {
namespace {

win32::UniqueHandle TokenOf(HANDLE process) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(process, TOKEN_QUERY, &token)) return win32::UniqueHandle();
  return win32::UniqueHandle(token);
}

win32::UniqueHandle OwnToken() {
  return TokenOf(GetCurrentProcess());
}

std::string TokenUserSid(HANDLE token) {
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  if (size == 0) return "";
  std::vector<BYTE> buffer(size);
  if (!GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) return "";
  return win32::SidText(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid);
}

// Members of some other groups (Backup Operators, say) get a split token
// too, and elevating it gives them no right to set the clock: only an
// administrator's full token does. When the full token cannot be asked, the
// split token is taken for an administrator's, as before.
bool FullTokenIsAdministrators(HANDLE token) {
  TOKEN_LINKED_TOKEN linked{};
  DWORD size = 0;
  if (!GetTokenInformation(token, TokenLinkedToken, &linked, sizeof linked, &size)) return true;
  const win32::UniqueHandle full(linked.LinkedToken);
  BYTE administrators[SECURITY_MAX_SID_SIZE];
  DWORD sid_size = sizeof administrators;
  BOOL member = FALSE;
  if (!CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &sid_size) ||
      !CheckTokenMembership(full.get(), administrators, &member))
    return true;
  return member != FALSE;
}

}  // namespace

Elevation WinUserToken::elevation() {
  win32::UniqueHandle token = OwnToken();
  if (!token.valid()) return Elevation::StandardUser;
  DWORD size = 0;
  TOKEN_ELEVATION elevated{};
  if (GetTokenInformation(token.get(), TokenElevation, &elevated, sizeof elevated, &size) &&
      elevated.TokenIsElevated)
    return Elevation::Elevated;
  // A filtered token is linked to the full one the user can elevate to.
  TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
  if (GetTokenInformation(token.get(), TokenElevationType, &type, sizeof type, &size) &&
      type == TokenElevationTypeLimited && FullTokenIsAdministrators(token.get()))
    return Elevation::FilteredAdministrator;
  return Elevation::StandardUser;
}

std::string WinUserToken::user_sid() {
  win32::UniqueHandle token = OwnToken();
  return token.valid() ? TokenUserSid(token.get()) : "";
}

std::string WinUserToken::shell_owner_sid() {
  DWORD pid = 0;
  if (const HWND shell = GetShellWindow()) GetWindowThreadProcessId(shell, &pid);
  if (pid == 0) return "";
  const win32::UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  if (!process.valid()) return "";
  win32::UniqueHandle token = TokenOf(process.get());
  return token.valid() ? TokenUserSid(token.get()) : "";
}

std::string WinUserToken::session_user_sid() {
  const win32::System32Library wts(L"wtsapi32.dll");
  decltype(&WTSQuerySessionInformationW) query = nullptr;
  decltype(&WTSFreeMemory) free_memory = nullptr;
  wts.Resolve("WTSQuerySessionInformationW", query);
  wts.Resolve("WTSFreeMemory", free_memory);
  std::wstring user, domain;
  auto take = [&](WTS_INFO_CLASS what, std::wstring& into) {
    LPWSTR text = nullptr;
    DWORD bytes = 0;
    if (!query(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION, what, &text, &bytes)) return;
    if (text) into = text;
    free_memory(text);
  };
  if (query && free_memory) {
    take(WTSUserName, user);
    take(WTSDomainName, domain);
  }
  if (user.empty()) return "";
  const std::wstring account = domain.empty() ? user : domain + L"\\" + user;
  return win32::AccountSidText(account);
}

}  // namespace horalux
