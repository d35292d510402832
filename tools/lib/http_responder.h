#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace horalux::tools {

// How the responder answers one connection.
struct HttpReply {
  std::string head;            // status line and header lines, sent exactly as given
  std::string body;            // "%JST%" becomes Japan time at the moment of the request
  std::size_t chunk = 0;       // bytes per send; 0 sends the whole reply at once
  std::uint32_t pause_ms = 0;  // pause between chunks, in milliseconds
  bool hold_open = false;      // after the reply, keep the connection until the peer closes
  bool endless = false;        // after the reply, send filler bytes until the peer closes
  std::uint32_t drip_ms = 0;   // endless: one filler byte every drip_ms; 0: 4 KiB at full speed

  // 200 with `body` and no Content-Length.
  static HttpReply Ok(const std::string& body);
  // A standard-time page whose Date.parse line carries Japan time with
  // milliseconds, plus `offset_ms`, at the moment of the request.
  static HttpReply TimePage(double offset_ms = 0);
  // `status` ("302 Found") with a Location line and an optional cookie.
  static HttpReply Redirect(const std::string& status, const std::string& location,
                            const std::string& cookie = "");
  // Adds a Date line with the time of the request plus `offset_ms`, sent
  // just after the turn of a second, so that its whole seconds are exact.
  HttpReply& WithDate(double offset_ms = 0);
  // Adds a Date line stamped the moment the request has arrived, as a web
  // server's clock `offset_ms` ahead of this one would stamp it.
  HttpReply& WithDateNow(double offset_ms);
};

// A scripted HTTP server on one address and port, one connection at a time,
// on a background thread. Needs Windows Sockets; it holds its own use of them.
class HttpResponder {
 public:
  // Listens on address:port ("127.0.0.71", 80); port 0 takes a free one.
  // Throws std::runtime_error when it cannot.
  explicit HttpResponder(const std::string& address, std::uint16_t port = 0);
  ~HttpResponder();
  HttpResponder(const HttpResponder&) = delete;
  HttpResponder& operator=(const HttpResponder&) = delete;

  std::uint16_t port() const { return port_; }
  // The reply to every connection not covered by queue(); Ok("") at first.
  void answer_all(const HttpReply& reply);
  // One reply for one coming connection, in order, before answer_all's.
  void queue(const HttpReply& reply);
  // Each request's bytes as they arrived, up to the empty line.
  std::vector<std::string> requests() const;
  // The performance counter when the last reply's last byte went out.
  std::int64_t last_byte_counter() const { return last_byte_counter_.load(); }

 private:
  void Run();
  void Serve(std::uintptr_t connection);

  std::uintptr_t listener_;
  std::uint16_t port_ = 0;
  mutable std::mutex lock_;
  HttpReply default_reply_;
  std::deque<HttpReply> queued_;
  std::vector<std::string> requests_;
  std::atomic<std::int64_t> last_byte_counter_{0};
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

}  // namespace horalux::tools
