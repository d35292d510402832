#pragma once
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace horalux::tools {

// How the responder treats one request.
struct SntpAnswer {
  bool silent = false;  // no reply at all
  // Transmit time: the true UTC time at the moment of replying plus
  // offset_seconds, unless fixed_utc (days since 1899-12-30, UTC) is set.
  double offset_seconds = 0;
  std::optional<double> fixed_utc;
  // Exact transmit fields on the wire; overrides both times above.
  std::optional<std::uint32_t> raw_seconds;
  std::uint32_t raw_fraction = 0;
  int leap = 0;                    // 0..3; 3 says the server's clock is unsynchronised
  int stratum = 2;                 // 0..255
  std::size_t length = 48;         // bytes sent: shorter cuts the reply, longer adds zeros
  std::uint32_t delay_ms = 0;      // pause before replying, in milliseconds
  bool from_other_socket = false;  // reply from a second socket on another port

  static SntpAnswer TrueTime(double offset_seconds = 0);
  static SntpAnswer AtUtc(double utc_days);
  static SntpAnswer Raw(std::uint32_t seconds, std::uint32_t fraction);
  static SntpAnswer Silence();
};

// A request as it arrived.
struct SntpRequest {
  std::vector<std::uint8_t> bytes;
  std::uint16_t from_port = 0;
  // The address it was sent to ("127.0.0.62"); empty when the system does
  // not tell.
  std::string to;
};

// A scripted SNTP server on one address, answering on a background thread.
// Needs Windows Sockets; it starts and releases its own use of them.
class SntpResponder {
 public:
  // Binds UDP `port` on `address` ("127.0.0.2", ...; "0.0.0.0" for every
  // address); throws std::runtime_error when it cannot.
  explicit SntpResponder(const std::string& address, std::uint16_t port = 123);
  ~SntpResponder();
  SntpResponder(const SntpResponder&) = delete;
  SntpResponder& operator=(const SntpResponder&) = delete;

  // The answer to every request not covered by queue(); TrueTime() at first.
  void answer_all(const SntpAnswer& answer);
  // One answer for one coming request, in order, before answer_all's.
  void queue(const SntpAnswer& answer);
  // The answer to every request sent to `to` ("127.0.0.62"), before
  // answer_all's: one responder on every address stands for a server on each.
  void answer_at(const std::string& to, const SntpAnswer& answer);
  int request_count() const { return request_count_.load(); }
  std::vector<SntpRequest> requests() const;
  // When it answered, one entry per reply sent, in order: the moment it
  // stamped the reply's transmit time, on the steady clock.
  std::vector<std::chrono::steady_clock::time_point> answer_times() const;

 private:
  void Run();
  void Reply(const SntpRequest& request, const void* to, int to_len);

  std::uintptr_t socket_;
  std::uintptr_t other_socket_;
  mutable std::mutex lock_;
  SntpAnswer default_answer_ = SntpAnswer::TrueTime();
  std::deque<SntpAnswer> queued_;
  std::map<std::string, SntpAnswer> by_address_;
  // WSARecvMsg, which tells the address a request was sent to; null when
  // the system lacks it.
  void* recv_msg_ = nullptr;
  std::vector<SntpRequest> requests_;
  std::vector<std::chrono::steady_clock::time_point> answer_times_;
  std::atomic<int> request_count_{0};
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

}  // namespace horalux::tools
