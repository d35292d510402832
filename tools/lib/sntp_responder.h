#pragma once
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
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
  // A forged copy of the reply sent first from this address ("127.0.0.2"),
  // echoing the request as an eavesdropper could; empty: none.
  std::string spoof_from;
  double spoof_offset_seconds = 0;  // the forged copy's transmit time, from the true time
  std::size_t spoof_length = 48;    // bytes of the forged copy

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

// A scripted SNTP server, a native Linux program bound to its own loopback
// addresses (so that its replies leave from them, which a Windows program
// under Wine cannot do), scripted from here over a TCP connection. Needs
// Windows Sockets; it starts and releases its own use of them.
class SntpResponder {
 public:
  // Binds UDP `port` on `address` ("127.0.0.2", ...); throws
  // std::runtime_error when it cannot.
  explicit SntpResponder(const std::string& address, std::uint16_t port = 123);
  // One server on each address: answer_at() scripts them one by one.
  explicit SntpResponder(const std::vector<std::string>& addresses, std::uint16_t port = 123);
  // Ends the program once its sockets are closed.
  ~SntpResponder();
  SntpResponder(const SntpResponder&) = delete;
  SntpResponder& operator=(const SntpResponder&) = delete;

  // The answer to every request not covered by queue(); TrueTime() at first.
  void answer_all(const SntpAnswer& answer);
  // One answer for one coming request, in order, before answer_all's.
  void queue(const SntpAnswer& answer);
  // The answer to every request sent to `to` ("127.0.0.62"), before
  // answer_all's.
  void answer_at(const std::string& to, const SntpAnswer& answer);
  int request_count() const;
  std::vector<SntpRequest> requests() const;
  // When it answered, one entry per reply sent, in order: the moment it
  // stamped the reply's transmit time, on this process's steady clock (at
  // most a control round trip early).
  std::vector<std::chrono::steady_clock::time_point> answer_times() const;

 private:
  // Sends one command line; the reply's first line.
  std::string Command(const std::string& line) const;
  std::string ReadLine() const;

  std::uintptr_t control_;
  mutable std::string input_;
  mutable std::mutex lock_;
};

}  // namespace horalux::tools
