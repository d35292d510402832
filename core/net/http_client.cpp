#include "core/net/http_client.h"

#include <algorithm>
#include <string_view>

#include "core/base/ascii_case.h"
#include "core/base/wipe_secret.h"
#include "core/net/udp_base.h"

namespace horalux {
namespace {

constexpr int kTimeoutTimerId = 0x4854;  // one per program: there is one client
constexpr std::size_t kBufferSize = 65536;
// The longest a wait sleeps without looking at the deadline; socket events,
// window events and the time-out's timer end it sooner.
constexpr std::uint32_t kLongestWaitMs = 250;
constexpr int kSocketNotConnected = 10057;

std::string WithoutLineEnd(const std::string& line) {
  std::size_t end = line.size();
  while (end > 0 && (line[end - 1] == '\n' || line[end - 1] == '\r')) --end;
  return line.substr(0, end);
}

// The status code from the text after the first blank up to the second
// blank, or to the end with the line ending; 0 when that is not a number.
// Read whole: 65838 must not pass for 302.
int ParseStatus(const std::string& line) {
  std::size_t first = line.find(' ');
  if (first == std::string::npos) return 0;
  std::size_t second = line.find(' ', first + 1);
  int value = 0;
  std::string code =
      line.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
  if (!ParseInteger(code, value)) return 0;
  return value;
}

bool SameHost(const std::string& a, const std::string& b) {
  return AsciiUppered(a) == AsciiUppered(b);
}

// A Location that names a scheme of its own other than http ("https:",
// "ftp:"...): this client cannot follow it.
bool NamesOtherScheme(const std::string& location) {
  std::size_t colon = location.find(':');
  if (colon == 0 || colon == std::string::npos) return false;
  for (std::size_t i = 0; i < colon; ++i) {
    char c = location[i];
    bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (!letter && (i == 0 || !((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.')))
      return false;
  }
  return AsciiUppered(location.substr(0, colon)) != "HTTP";
}

}  // namespace

THttpClient::THttpClient(TcpNetwork& network, MessagePump& pump, Clock& clock, Files& files)
    : network_(network), pump_(pump), clock_(clock), files_(files), buffer_(kBufferSize) {
  try {
    layer_.emplace(network_);
  } catch (const EIdException&) {
    return;
  }
  session_ = network_.open_session();
  if (session_) session_->set_listener([this](const TcpEvent& e) { OnEvent(e); });
}

THttpClient::~THttpClient() {
  pump_.stop_timer(kTimeoutTimerId);
  if (session_) session_->set_listener(nullptr);
  session_.reset();
}

void THttpClient::OnEvent(const TcpEvent& event) {
  switch (event.kind) {
    case TcpEvent::Kind::LookupDone:
      lookup_done_ = true;
      lookup_error_ = event.error;
      lookup_address_ = event.address;
      break;
    case TcpEvent::Kind::Connected:
      connect_done_ = true;
      connect_error_ = event.error;
      break;
    default:
      // Reads look at the socket themselves on every pass.
      break;
  }
}

void THttpClient::Cancel() {
  if (in_get_) cancelled_ = true;
}

void THttpClient::RestartTimer() {
  timed_out_ = false;
  pump_.start_timer(kTimeoutTimerId, static_cast<std::uint32_t>(std::max(TimeOut, 1)), [this] {
    pump_.stop_timer(kTimeoutTimerId);
    timed_out_ = true;
  });
}

void THttpClient::StopTimer() {
  pump_.stop_timer(kTimeoutTimerId);
}

bool THttpClient::DeadlinePassed() {
  return clock_.tick_count() - get_started_ms_ >= Limits.deadline_ms;
}

THttpClient::WaitEnd THttpClient::Wait(const std::function<bool()>& arrived) {
  RestartTimer();
  struct TimerStop {
    THttpClient* self;
    ~TimerStop() { self->StopTimer(); }
  } stop{this};
  for (;;) {
    if (arrived()) return WaitEnd::Arrived;
    if (cancelled_ || pump_.quitting()) return WaitEnd::Cancelled;
    if (timed_out_ || DeadlinePassed()) return WaitEnd::TimedOut;
    // Windows rounds a sleep up to its timer tick (15.6 ms): a reply would
    // be seen that late. The pump wakes on the socket's event instead.
    const std::uint32_t left = Limits.deadline_ms - (clock_.tick_count() - get_started_ms_);
    pump_.wait_events(std::min(left, kLongestWaitMs));
  }
}

void THttpClient::Get(const std::string& url) {
  // A handler running inside a wait must not start a second exchange.
  if (in_get_ || connected_) throw ESockError("Already connected");
  if (!session_ || session_->open_error() != 0)
    throw ESockError("Initializaton of windows sockets failed");
  in_get_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{in_get_};
  cancelled_ = false;
  status_ = 0;
  cookie_.clear();
  cookie_host_.clear();
  get_started_ms_ = clock_.tick_count();

  std::string next = url;
  for (int redirects = 0;; ++redirects) {
    AnalyzeUrl(next, target_);
    RequestLines = BuildRequestLines(
        target_, Proxy, !cookie_.empty() && SameHost(cookie_host_, target_.host) ? cookie_ : "");
    // Credentials go only to the proxy that asks for them, and only for the
    // page the user chose: a redirect may lead anywhere.
    ProxyAuthorizer* authorizer = redirects == 0 && !Proxy.empty() ? Authorizer : nullptr;
    if (authorizer) authorizer->Begin(Proxy, ProxyPort);
    try {
      Exchange(authorizer);
    } catch (...) {
      CloseConnection();
      throw;
    }
    CloseConnection();
    if (status_ >= 300 && status_ <= 398 && !reply_cookie_.empty()) {
      cookie_ = reply_cookie_;
      cookie_host_ = target_.host;
    }
    if (status_ < 300 || status_ > 302) return;
    if (NamesOtherScheme(location_)) {
      // The chain ends with this reply, which still carries the server's
      // Date; a Location the next request would refuse counts as no reply.
      HttpTarget probe;
      AnalyzeUrl("http" + location_.substr(location_.find(':')), probe);
      return;
    }
    if (redirects >= Limits.max_redirects) throw EIdException("Too many redirects");
    next = location_.find('/') == std::string::npos ? "http://" + target_.host + "/" + location_
                                                    : location_;
  }
}

void THttpClient::Exchange(ProxyAuthorizer* authorizer) {
  status_ = 0;
  reply_header_.clear();
  if (RequestText(RequestLines).size() > kBufferSize - 1) throw EIdException("Request too long");
  bool direct = Proxy.empty();
  // A port the field cannot mean would connect somewhere else.
  if (!direct && (ProxyPort < 1 || ProxyPort > 65535)) throw ESockError("Invalid proxy port");
  Ipv4Address address = LookUp(direct ? target_.host : Proxy);
  const int port = direct ? target_.port : ProxyPort;
  Connect(address, port);
  Request("");
  std::string authorization;
  for (int round = 0; status_ == 407 && authorizer && round < Limits.max_proxy_auth_rounds;
       ++round) {
    const std::uint32_t asked = clock_.tick_count();
    std::optional<std::string> answer = authorizer->Answer(reply_header_);
    // The time the user spends typing a password is not the network's.
    get_started_ms_ += clock_.tick_count() - asked;
    if (!answer) break;
    WipeSecret(authorization);
    authorization = std::move(*answer);
    // A short text moves by copy and stays behind in the moved-from string.
    WipeSecret(*answer);
    // Negotiate and NTLM authenticate the connection, not the request: the
    // next step must go over the same one.
    const bool kept = body_by_length_ && !peer_closes_ && StillOpen();
    if (!kept) {
      CloseConnection();
      Connect(address, port);
    }
    Request(authorization);
    if (kept && reply_header_.empty()) {
      // The proxy closed the kept connection as the request went out.
      CloseConnection();
      Connect(address, port);
      Request(authorization);
    }
  }
  WipeSecret(authorization);
}

void THttpClient::Request(const std::string& authorization) {
  // The request, credential and all, is built in one buffer reserved once and
  // wiped after sending: a string that grows would leave copies of the
  // credential in the memory it frees.
  constexpr std::string_view kAuthorizationField = "Proxy-Authorization: ";
  constexpr std::string_view kLineEnd = "\r\n";
  std::size_t size = kLineEnd.size();
  for (const std::string& line : RequestLines) size += line.size() + kLineEnd.size();
  if (!authorization.empty())
    size += kAuthorizationField.size() + authorization.size() + kLineEnd.size();
  std::string text;
  text.reserve(size);
  struct Wiped {
    std::string& text;
    ~Wiped() { WipeSecret(text); }
  } wiped{text};
  // After the request line and the proxy's keep-alive line.
  const std::size_t field_at = std::min<std::size_t>(2, RequestLines.size());
  for (std::size_t i = 0; i <= RequestLines.size(); ++i) {
    if (i == field_at && !authorization.empty())
      text.append(kAuthorizationField).append(authorization).append(kLineEnd);
    if (i < RequestLines.size()) text.append(RequestLines[i]).append(kLineEnd);
  }
  text.append(kLineEnd);
  if (text.size() > kBufferSize - 1) throw EIdException("Request too long");
  status_ = 0;
  sent_at_ = 0;
  reply_at_ = 0;
  location_.clear();
  reply_cookie_.clear();
  content_length_.reset();
  peer_closes_ = false;
  body_by_length_ = false;
  if (BeforeSend) BeforeSend();
  Send(text);
  ReadHeader();
  ReadBody();
}

bool THttpClient::StillOpen() {
  // Nothing waiting and not closed: bytes nobody asked for would be taken
  // for the next reply.
  return session_->peek(buffer_.data(), 1).error == kSocketWouldBlock;
}

Ipv4Address THttpClient::LookUp(const std::string& name) {
  if (std::optional<Ipv4Address> dotted = ParseDottedQuad(name)) return *dotted;
  lookup_done_ = false;
  session_->start_lookup(name);
  WaitEnd end = Wait([this] { return lookup_done_; });
  if (end != WaitEnd::Arrived) {
    session_->cancel_lookup();
    throw ESockError(end == WaitEnd::TimedOut ? "Host Lookup Timed Out" : "Host Lookup Canceled");
  }
  if (lookup_error_ != 0) throw ESockError("Null Remote Address");
  return lookup_address_;
}

void THttpClient::Connect(const Ipv4Address& address, int port) {
  connect_done_ = false;
  int error = session_->start_connect(address, static_cast<std::uint16_t>(port));
  if (error != 0 && error != kSocketWouldBlock) throw ESockError::FromErrorNumber(error);
  connected_ = true;
  WaitEnd end = Wait([this] { return connect_done_; });
  if (end == WaitEnd::TimedOut) throw ESockError("Connection Timed out");
  if (end == WaitEnd::Cancelled) throw ESockError("Connection Canceled");
  if (connect_error_ != 0) throw ESockError("Connection Failed");
}

void THttpClient::Send(const std::string& text) {
  std::size_t sent = 0;
  WaitEnd end = Wait([&] {
    while (sent < text.size()) {
      // Taken before the call: the bytes may reach the server, and its
      // answer be under way, before the call returns.
      const std::int64_t handing = clock_.performance_counter();
      TcpIoResult r = session_->send(reinterpret_cast<const std::uint8_t*>(text.data()) + sent,
                                     text.size() - sent);
      if (r.error == kSocketWouldBlock) return false;
      if (r.error != 0) throw ESockError::FromErrorNumber(r.error);
      sent += static_cast<std::size_t>(r.bytes);
      sent_at_ = handing;
    }
    return true;
  });
  if (end != WaitEnd::Arrived) throw EAbortError("Socket send aborted");
}

std::string THttpClient::ReadLine(std::size_t header_bytes, bool status_line) {
  std::string line;
  WaitEnd end = Wait([&] {
    for (;;) {
      TcpIoResult r = session_->peek(buffer_.data(), buffer_.size());
      if (r.error == kSocketWouldBlock) return false;
      if (status_line && reply_at_ == 0 && r.error == 0 && r.bytes > 0)
        reply_at_ = clock_.performance_counter();
      if (r.error == kSocketNotConnected || (r.error == 0 && r.bytes == 0)) {
        line.clear();  // the peer closed before the line ended
        return true;
      }
      if (r.error != 0) throw ESockError::FromErrorNumber(r.error);
      auto begin = buffer_.begin();
      auto lf = std::find(begin, begin + r.bytes, std::uint8_t{'\n'});
      std::size_t take = static_cast<std::size_t>(lf - begin) + (lf != begin + r.bytes ? 1 : 0);
      TcpIoResult got = session_->receive(buffer_.data(), take);
      if (got.error != 0) throw ESockError::FromErrorNumber(got.error);
      line.append(reinterpret_cast<const char*>(buffer_.data()),
                  static_cast<std::size_t>(got.bytes));
      if (line.size() > Limits.max_header_line) throw EAbortError("Header line too long");
      if (header_bytes + line.size() > Limits.max_header_block)
        throw EAbortError("Header too long");
      if (!line.empty() && line.back() == '\n') return true;
    }
  });
  if (end != WaitEnd::Arrived) throw EAbortError("Socket readln aborted");
  return line;
}

void THttpClient::ReadHeader() {
  std::string copy;
  reply_header_.clear();
  // The copy is best effort: a folder that cannot be written to does not
  // fail a good fetch.
  auto keep_copy = [&] {
    if (OutputFileMode)
      files_.write(Header, copy);
    else
      Header = copy;
  };
  try {
    for (bool first = true;; first = false) {
      std::string line = ReadLine(copy.size(), first);
      copy += line;
      if (first) {
        status_ = ParseStatus(line);
        continue;
      }
      if (line.empty() || line == "\n" || line == "\r\n") break;
      std::string text = WithoutLineEnd(line);
      std::string word = AsciiUppered(text.substr(0, text.find(' ')));
      if (word == "LOCATION:")
        location_ = text.size() > 10 ? text.substr(10) : "";
      else if (word == "SET-COOKIE:") {
        // Sent back in a header line of ours: a value that could split it
        // is not kept. Blanks stay: every cookie with attributes has them.
        std::string value = text.size() > 12 ? text.substr(12) : "";
        reply_cookie_ = HasControl(value) ? "" : value;
      } else if (word == "CONNECTION:" || word == "PROXY-CONNECTION:") {
        if (AsciiUppered(text).find("CLOSE") != std::string::npos) peer_closes_ = true;
      } else if (word == "CONTENT-LENGTH:") {
        int length = 0;
        if (ParseInteger(text.substr(15), length) && length >= 0)
          content_length_ = static_cast<std::size_t>(length);
      }
    }
  } catch (...) {
    keep_copy();
    throw;
  }
  reply_header_ = copy;
  keep_copy();
}

void THttpClient::ReadBody() {
  std::string body;
  if (!InputFileMode) Body.clear();
  bool complete = content_length_ && *content_length_ == 0;
  WaitEnd end = complete ? WaitEnd::Arrived : Wait([&] {
    for (;;) {
      std::size_t want = buffer_.size();
      if (content_length_) want = std::min(want, *content_length_ - body.size());
      TcpIoResult r = session_->receive(buffer_.data(), want);
      if (r.error == kSocketWouldBlock) return false;
      if (r.error == kSocketNotConnected || (r.error == 0 && r.bytes == 0)) return true;
      if (r.error != 0) throw ESockError::FromErrorNumber(r.error);
      body.append(reinterpret_cast<const char*>(buffer_.data()), static_cast<std::size_t>(r.bytes));
      if (body.size() > Limits.max_body) throw EAbortError("Body too long");
      RestartTimer();  // the limit is silence, not the whole body
      if (content_length_ && body.size() >= *content_length_) return true;
    }
  });
  if (end != WaitEnd::Arrived) throw EAbortError("Socket capture aborted");
  body_by_length_ = content_length_ && body.size() == *content_length_;
  if (InputFileMode)
    files_.write(Body, body);
  else
    Body = std::move(body);
}

void THttpClient::CloseConnection() {
  if (session_) session_->close_abortive();
  connected_ = false;
}

}  // namespace horalux
