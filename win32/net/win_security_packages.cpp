#include "win32/net/win_security_packages.h"

#include <windows.h>
#define SECURITY_WIN32
#include <security.h>
#include <sspi.h>

#include "win32/platform/system32_library.h"
#include "win32/platform/wide.h"

namespace horalux {

using win32::Widen;

namespace {

// The table of the system's SSPI, or nullptr where there is none.
PSecurityFunctionTableW Functions() {
  static const PSecurityFunctionTableW table = []() -> PSecurityFunctionTableW {
    win32::System32Library library(L"secur32.dll");
    INIT_SECURITY_INTERFACE_W init = nullptr;
    PSecurityFunctionTableW functions =
        library.Resolve("InitSecurityInterfaceW", init) ? init() : nullptr;
    if (functions) library.Keep();  // the library stays loaded for the process
    return functions;
  }();
  return table;
}

class WinSecurityContext : public SecurityContext {
 public:
  WinSecurityContext(PSecurityFunctionTableW fn, CredHandle credentials, std::wstring target,
                     ULONG max_token)
      : fn_(fn), credentials_(credentials), target_(std::move(target)), max_token_(max_token) {}
  ~WinSecurityContext() override {
    if (has_context_) fn_->DeleteSecurityContext(&context_);
    fn_->FreeCredentialsHandle(&credentials_);
  }
  WinSecurityContext(const WinSecurityContext&) = delete;
  WinSecurityContext& operator=(const WinSecurityContext&) = delete;

  bool step(const std::vector<std::uint8_t>& in, std::vector<std::uint8_t>& out) override {
    std::vector<std::uint8_t> token(max_token_);
    std::vector<std::uint8_t> received(in);
    SecBuffer out_buffer{static_cast<ULONG>(token.size()), SECBUFFER_TOKEN, token.data()};
    SecBufferDesc out_desc{SECBUFFER_VERSION, 1, &out_buffer};
    SecBuffer in_buffer{static_cast<ULONG>(received.size()), SECBUFFER_TOKEN, received.data()};
    SecBufferDesc in_desc{SECBUFFER_VERSION, 1, &in_buffer};
    ULONG attributes = 0;
    TimeStamp expiry{};
    SECURITY_STATUS status = fn_->InitializeSecurityContextW(
        &credentials_, has_context_ ? &context_ : nullptr, target_.data(), ISC_REQ_CONNECTION, 0,
        SECURITY_NATIVE_DREP, has_context_ ? &in_desc : nullptr, 0, &context_, &out_desc,
        &attributes, &expiry);
    if (status < 0) return false;
    has_context_ = true;
    if (status == SEC_I_COMPLETE_NEEDED || status == SEC_I_COMPLETE_AND_CONTINUE) {
      if (fn_->CompleteAuthToken(&context_, &out_desc) < 0) return false;
    }
    out.assign(token.begin(), token.begin() + out_buffer.cbBuffer);
    return true;
  }

 private:
  PSecurityFunctionTableW fn_;
  CredHandle credentials_;
  CtxtHandle context_{};
  bool has_context_ = false;
  std::wstring target_;
  ULONG max_token_;
};

}  // namespace

std::unique_ptr<SecurityContext> WinSecurityPackages::start(const std::string& package,
                                                            const std::string& target) {
  PSecurityFunctionTableW fn = Functions();
  if (!fn) return nullptr;
  std::wstring name = Widen(package);
  PSecPkgInfoW info = nullptr;
  if (fn->QuerySecurityPackageInfoW(name.data(), &info) < 0 || !info) return nullptr;
  const ULONG max_token = info->cbMaxToken;
  fn->FreeContextBuffer(info);
  CredHandle credentials{};
  TimeStamp expiry{};
  // No explicit credentials: the logged-on user's own, so a domain user
  // types no password.
  if (fn->AcquireCredentialsHandleW(nullptr, name.data(), SECPKG_CRED_OUTBOUND, nullptr, nullptr,
                                    nullptr, nullptr, &credentials, &expiry) < 0)
    return nullptr;
  return std::make_unique<WinSecurityContext>(fn, credentials, Widen(target), max_token);
}

}  // namespace horalux
