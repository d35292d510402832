#include "core/engine/time_page_client.h"

#include "core/net/time_page.h"

namespace horalux {

TimePageClient::TimePageClient(TcpNetwork& network, MessagePump& pump, Clock& clock, Files& files,
                               const SettingsLocation& location, ProxyAuthPorts proxy_auth)
    : pump_(pump),
      clock_(clock),
      location_(location),
      proxy_auth_(proxy_auth),
      http_(network, pump, clock, files) {
  http_.Authorizer = &proxy_auth_;
}

namespace {
// The part of the wait to a planned send that spins: more than a timer tick
// of the system (15.6 ms), which a timed wait may overrun.
constexpr double kSpinSeconds = 0.020;
}  // namespace

PageTime TimePageClient::FetchTime(SyncMode mode) {
  proxy_auth_.Prepare(mode == SyncMode::ConnectionTest);
  return Fetch(0);
}

PageTime TimePageClient::FetchTimeAt(std::int64_t send_at) {
  proxy_auth_.Prepare(false);
  return Fetch(send_at);
}

PageTime TimePageClient::Fetch(std::int64_t send_at) {
  PageTime page;
  if (send_at != 0) http_.BeforeSend = [this, send_at] { WaitUntil(send_at); };
  struct Unhooked {
    THttpClient& http;
    ~Unhooked() { http.BeforeSend = nullptr; }
  } unhooked{http_};
  page.time = horalux::GetHttpTime(http_, url_, clock_.local_time().year, HeaderCopy(),
                                   &page.fromDateHeader);
  // Only a proxy's 407 means credentials; a web server has no business
  // asking for a proxy's.
  page.proxyCredentialsNeeded = page.time == 0.0 && !http_.Proxy.empty() && http_.Status() == 407;
  page.passwordNotSaved = proxy_auth_.SaveFailed();
  page.sent = http_.SentAt();
  page.received = http_.ReplyAt();
  return page;
}

void TimePageClient::WaitUntil(std::int64_t send_at) {
  const double frequency = static_cast<double>(clock_.performance_frequency());
  for (;;) {
    if (http_.Cancelled() || pump_.quitting()) return;
    const double left = static_cast<double>(send_at - clock_.performance_counter()) / frequency;
    if (left <= kSpinSeconds) break;
    pump_.wait_events(static_cast<std::uint32_t>((left - kSpinSeconds) * 1000));
  }
  while (clock_.performance_counter() < send_at) {
  }
}

double TimePageClient::GetHttpTime() {
  return horalux::GetHttpTime(http_, url_, clock_.local_time().year, HeaderCopy());
}

std::string TimePageClient::HeaderCopy() const {
  // Never the current folder, which may be System32 or anyone's; nothing on
  // a medium that cannot be written.
  return location_.readOnlyMedium ? "" : location_.folder + kHeaderCopyFileName;
}

}  // namespace horalux
