#pragma once
#include <cstdint>
#include <string>

#include "core/engine/standard_time_page.h"
#include "core/net/http_client.h"
#include "core/net/proxy_auth.h"
#include "core/platform/clock.h"
#include "core/platform/files.h"
#include "core/platform/message_pump.h"
#include "core/platform/tcp_session.h"
#include "core/settings/settings_folder.h"

namespace horalux {

// The standard-time page the HTTP source reads: the client that fetches it
// and the page the screen's choice selects.
class TimePageClient : public StandardTimePage {
 public:
  // `location` is read at each fetch: the settings folder is chosen after
  // the client is made.
  TimePageClient(TcpNetwork& network, MessagePump& pump, Clock& clock, Files& files,
                 const SettingsLocation& location, ProxyAuthPorts proxy_auth);

  PageTime FetchTime(SyncMode mode) override;
  PageTime FetchTimeAt(std::int64_t send_at) override;
  // One GET of the selected page: its time, or 0.0. Never raises.
  double GetHttpTime();

  // Ends a fetch waiting for the network at once instead of at its time-out.
  void Cancel() { http_.Cancel(); }
  void SelectPage(std::string url) { url_ = std::move(url); }
  // Empty until a source is selected.
  const std::string& SelectedPageUrl() const { return url_; }
  THttpClient& Client() { return http_; }

 private:
  // The GET, its request sent when the counter reaches `send_at` (0: at once).
  PageTime Fetch(std::int64_t send_at);
  // Handles window events until the counter is near `send_at`, then spins
  // on the counter: a timed wait ends only at the system's timer tick.
  void WaitUntil(std::int64_t send_at);
  std::string HeaderCopy() const;

  MessagePump& pump_;
  Clock& clock_;
  const SettingsLocation& location_;
  ProxyAuthenticator proxy_auth_;
  THttpClient http_;
  std::string url_;
};

}  // namespace horalux
