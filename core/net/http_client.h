#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/net/http_errors.h"
#include "core/net/http_request.h"
#include "core/net/proxy_authorizer.h"
#include "core/net/socket_layer.h"
#include "core/platform/clock.h"
#include "core/platform/files.h"
#include "core/platform/message_pump.h"
#include "core/platform/tcp_session.h"

namespace horalux {

// Bounds that keep a broken or hostile server from holding a fetch or its
// memory for ever. Every one ends the fetch as a failure.
struct HttpLimits {
  int max_redirects = 5;
  std::size_t max_header_line = 8 * 1024;    // bytes of one header line
  std::size_t max_header_block = 64 * 1024;  // bytes of the status and header lines together
  std::size_t max_body = 1024 * 1024;        // bytes of the body
  std::uint32_t deadline_ms = 30000;         // one Get with all its redirects
  int max_proxy_auth_rounds = 4;             // requests repeated for a proxy's 407
};

// One HTTP/1.0 GET at a time over TCP, direct or through a proxy. Its waits
// keep processing window events and wake on the socket's, so the window
// stays alive and a reply is seen the moment it arrives.
class THttpClient {
 public:
  // Raises nothing: a socket layer that cannot start fails each Get instead.
  THttpClient(TcpNetwork& network, MessagePump& pump, Clock& clock, Files& files);
  ~THttpClient();
  THttpClient(const THttpClient&) = delete;
  THttpClient& operator=(const THttpClient&) = delete;

  // Fetches `url`, following up to HttpLimits::max_redirects redirects;
  // returns when a reply has been read to its end, whatever its status, with
  // the body in Body. Raises EIdException (ESockError, EAbortError) on any
  // failure, the connection closed first.
  void Get(const std::string& url);
  // Ends the running wait at once; that Get fails as cancelled. Meant for
  // handlers that run inside the waits (closing the window).
  void Cancel();
  bool Busy() const { return in_get_; }
  bool Cancelled() const { return cancelled_; }

  int TimeOut = 10000;                    // milliseconds of each wait, and of silence in the body
  std::string Proxy;                      // host name or dotted IPv4 address; empty: direct
  int ProxyPort = 0;                      // TCP port of the proxy
  std::string Body = "Default.htm";       // raw body bytes; a file name with InputFileMode
  std::string Header = "Head.txt";        // file name with OutputFileMode, else the header text
  bool InputFileMode = false;             // on: the body goes to the file named by Body
  bool OutputFileMode = false;            // on: the header block goes to the file named by Header
  std::vector<std::string> RequestLines;  // rebuilt for every request
  HttpLimits Limits;
  // Answers the proxy's 407 before any redirect; nullptr: a 407 ends the Get.
  ProxyAuthorizer* Authorizer = nullptr;
  // Runs once the connection stands, right before each request goes out;
  // may handle window events.
  std::function<void()> BeforeSend;

  // The last request's state.
  const std::string& Url() const { return target_.url; }
  const std::string& Host() const { return target_.host; }
  int Port() const { return target_.port; }
  int Status() const { return status_; }
  const std::string& Location() const { return location_; }
  const std::string& Cookie() const { return cookie_; }
  // The last reply's status and header lines as received, whatever the
  // header copy's mode; meaningful once Get has returned.
  const std::string& ReplyHeader() const { return reply_header_; }
  // Performance-counter values of the last request: its last byte handed to
  // the socket (just before the call that took it), and the first bytes of
  // its reply's status line seen; 0 until it gets that far.
  std::int64_t SentAt() const { return sent_at_; }
  std::int64_t ReplyAt() const { return reply_at_; }

 private:
  enum class WaitEnd { Arrived, TimedOut, Cancelled };
  void OnEvent(const TcpEvent& event);
  // Handles events as they come until `arrived` holds, the wait's TimeOut
  // or the Get's deadline passes, or the exchange is cancelled.
  WaitEnd Wait(const std::function<bool()>& arrived);
  void RestartTimer();
  void StopTimer();
  bool DeadlinePassed();

  // One request and its reply; through a proxy, repeated on the same
  // connection with the credentials `authorizer` gives for each 407.
  void Exchange(ProxyAuthorizer* authorizer);
  // Sends the request lines, with a Proxy-Authorization line when
  // `authorization` is not empty, and reads the reply.
  void Request(const std::string& authorization);
  // The connection stands and holds no unread bytes.
  bool StillOpen();
  Ipv4Address LookUp(const std::string& name);
  void Connect(const Ipv4Address& address, int port);
  void Send(const std::string& text);
  // `status_line`: the first bytes seen are the reply's arrival.
  std::string ReadLine(std::size_t header_bytes, bool status_line = false);
  void ReadHeader();
  void ReadBody();
  void CloseConnection();

  TcpNetwork& network_;
  MessagePump& pump_;
  Clock& clock_;
  Files& files_;
  std::optional<SocketLayerUse> layer_;
  std::unique_ptr<TcpSession> session_;

  HttpTarget target_;
  int status_ = 0;
  std::string location_;
  std::string reply_cookie_;
  std::string cookie_;  // sent within this Get's redirects to cookie_host_ only
  std::string cookie_host_;
  std::optional<std::size_t> content_length_;
  bool peer_closes_ = false;     // the reply said Connection (or Proxy-Connection): close
  bool body_by_length_ = false;  // the body ended at its Content-Length, the connection open
  std::string reply_header_;
  std::vector<std::uint8_t> buffer_;

  bool in_get_ = false;
  bool connected_ = false;
  bool cancelled_ = false;
  bool timed_out_ = false;
  bool lookup_done_ = false;
  int lookup_error_ = 0;
  Ipv4Address lookup_address_;
  bool connect_done_ = false;
  int connect_error_ = 0;
  std::uint32_t get_started_ms_ = 0;
  std::int64_t sent_at_ = 0;
  std::int64_t reply_at_ = 0;
};

}  // namespace horalux
