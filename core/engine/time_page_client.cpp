#include "core/engine/time_page_client.h"

#include "core/net/time_page.h"

namespace horalux {

TimePageClient::TimePageClient(TcpNetwork& network, MessagePump& pump, Clock& clock, Files& files,
                               const SettingsLocation& location, ProxyAuthPorts proxy_auth)
    : clock_(clock),
      location_(location),
      proxy_auth_(proxy_auth),
      http_(network, pump, clock, files) {
  http_.Authorizer = &proxy_auth_;
}

PageTime TimePageClient::FetchTime(SyncMode mode) {
  proxy_auth_.Prepare(mode == SyncMode::ConnectionTest);
  PageTime page;
  page.time = GetHttpTime();
  // Only a proxy's 407 means credentials; a web server has no business
  // asking for a proxy's.
  page.proxyCredentialsNeeded = page.time == 0.0 && !http_.Proxy.empty() && http_.Status() == 407;
  page.passwordNotSaved = proxy_auth_.SaveFailed();
  return page;
}

double TimePageClient::GetHttpTime() {
  // Never the current folder, which may be System32 or anyone's; nothing on
  // a medium that cannot be written.
  return horalux::GetHttpTime(
      http_, url_, clock_.local_time().year,
      location_.readOnlyMedium ? "" : location_.folder + kHeaderCopyFileName);
}

}  // namespace horalux
