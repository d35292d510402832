#include "win32/platform/win_user_token.h"

#include <windows.h>
#include <sddl.h>

#include <vector>

#include "win32/platform/handle.h"
#include "win32/platform/wide.h"

namespace horalux {
namespace {

win32::UniqueHandle OwnToken() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return win32::UniqueHandle();
  return win32::UniqueHandle(token);
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
  if (!token.valid()) return "";
  DWORD size = 0;
  GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
  if (size == 0) return "";
  std::vector<BYTE> buffer(size);
  if (!GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size)) return "";
  wchar_t* text = nullptr;
  if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text))
    return "";
  std::string sid = win32::Narrow(text);
  LocalFree(text);
  return sid;
}

}  // namespace horalux
