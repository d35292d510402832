#include "win32/net/win_credential_store.h"

#include <windows.h>
#include <wincred.h>

#include "win32/platform/wide.h"

namespace horalux {

using win32::Narrow;
using win32::Widen;

namespace {

struct CredentialOwner {
  PCREDENTIALW credential = nullptr;
  ~CredentialOwner() {
    if (credential) CredFree(credential);
  }
};

void Wipe(std::wstring& secret) {
  SecureZeroMemory(secret.data(), secret.size() * sizeof(wchar_t));
  secret.clear();
}

}  // namespace

std::optional<ProxyCredential> WinCredentialStore::read(const std::string& target) {
  CredentialOwner owner;
  if (!CredReadW(Widen(target).c_str(), CRED_TYPE_GENERIC, 0, &owner.credential))
    return std::nullopt;
  const CREDENTIALW& c = *owner.credential;
  ProxyCredential found;
  if (c.UserName) found.user = Narrow(c.UserName);
  std::wstring password(reinterpret_cast<const wchar_t*>(c.CredentialBlob),
                        c.CredentialBlobSize / sizeof(wchar_t));
  found.password = Narrow(password);
  Wipe(password);
  SecureZeroMemory(c.CredentialBlob, c.CredentialBlobSize);
  return found;
}

bool WinCredentialStore::write(const std::string& target, const ProxyCredential& credential) {
  std::wstring name = Widen(target);
  std::wstring user = Widen(credential.user);
  std::wstring password = Widen(credential.password);
  CREDENTIALW c{};
  c.Type = CRED_TYPE_GENERIC;
  c.TargetName = name.data();
  c.UserName = user.data();
  c.CredentialBlob = reinterpret_cast<LPBYTE>(password.data());
  c.CredentialBlobSize = static_cast<DWORD>(password.size() * sizeof(wchar_t));
  c.Persist = CRED_PERSIST_LOCAL_MACHINE;
  const bool written = CredWriteW(&c, 0) != FALSE;
  Wipe(password);
  return written;
}

void WinCredentialStore::remove(const std::string& target) {
  CredDeleteW(Widen(target).c_str(), CRED_TYPE_GENERIC, 0);
}

}  // namespace horalux
