#include "tools/lib/http_responder.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <chrono>
#include <cstdio>
#include <stdexcept>

namespace horalux::tools {
namespace {

std::runtime_error Failure(const std::string& what) {
  return std::runtime_error("HttpResponder: " + what + " failed, error " +
                            std::to_string(WSAGetLastError()));
}

const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// UTC now plus offset_ms.
SYSTEMTIME UtcPlus(double offset_ms) {
  FILETIME ft;
  GetSystemTimePreciseAsFileTime(&ft);
  ULARGE_INTEGER t;
  t.LowPart = ft.dwLowDateTime;
  t.HighPart = ft.dwHighDateTime;
  t.QuadPart += static_cast<LONGLONG>(offset_ms * 10000);
  ft.dwLowDateTime = t.LowPart;
  ft.dwHighDateTime = t.HighPart;
  SYSTEMTIME st;
  FileTimeToSystemTime(&ft, &st);
  return st;
}

// "Sun, 06 Dec 2026 01:04:58 GMT", plus offset_ms, the fraction cut off.
std::string HttpDateText(double offset_ms) {
  const SYSTEMTIME st = UtcPlus(offset_ms);
  char text[64];
  std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d GMT", kDays[st.wDayOfWeek],
                st.wDay, kMonths[st.wMonth - 1], st.wYear, st.wHour, st.wMinute, st.wSecond);
  return text;
}

// "Sun Dec 6 10:04:58.250 2026" in Japan time (UTC + 9 h), plus offset_ms.
std::string JapanTimeText(double offset_ms) {
  const SYSTEMTIME st = UtcPlus(9 * 3600 * 1000.0 + offset_ms);
  char text[64];
  std::snprintf(text, sizeof text, "%s %s %d %02d:%02d:%02d.%03d %d", kDays[st.wDayOfWeek],
                kMonths[st.wMonth - 1], st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds,
                st.wYear);
  return text;
}

// Sleeps in short steps; false when the responder is stopping.
bool Pause(std::uint32_t ms, const std::atomic<bool>& stopping) {
  auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < until) {
    if (stopping) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(std::min<std::uint32_t>(ms, 5)));
  }
  return !stopping;
}

// True when the peer has closed (or reset) the connection.
bool PeerGone(SOCKET s) {
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(s, &readable);
  timeval none{0, 0};
  if (select(0, &readable, nullptr, nullptr, &none) <= 0) return false;
  char scratch[512];
  return recv(s, scratch, sizeof scratch, 0) <= 0;
}

}  // namespace

HttpReply HttpReply::Ok(const std::string& body) {
  HttpReply r;
  r.head = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n";
  r.body = body;
  return r;
}

HttpReply HttpReply::TimePage(double offset_ms) {
  HttpReply r =
      Ok("<HTML><HEAD><TITLE>JST</TITLE></HEAD><BODY>\r\n<SCRIPT>\r\n"
         "var now = new Date(Date.parse(\"%JST%\"));\r\n</SCRIPT>\r\n</BODY></HTML>\r\n");
  if (offset_ms != 0)
    r.body.replace(r.body.find("%JST%"), 5, "%JST" + std::to_string(offset_ms) + "%");
  return r;
}

HttpReply HttpReply::Redirect(const std::string& status, const std::string& location,
                              const std::string& cookie) {
  HttpReply r;
  r.head = "HTTP/1.0 " + status + "\r\nLocation: " + location + "\r\n";
  if (!cookie.empty()) r.head += "Set-Cookie: " + cookie + "\r\n";
  r.head += "\r\n";
  r.body = "moved";
  return r;
}

HttpReply& HttpReply::WithDate(double offset_ms) {
  head.insert(head.size() - 2, "Date: %GMT" + std::to_string(offset_ms) + "%\r\n");
  return *this;
}

HttpReply& HttpReply::WithDateNow(double offset_ms) {
  head.insert(head.size() - 2, "Date: %NOW" + std::to_string(offset_ms) + "%\r\n");
  return *this;
}

HttpResponder::HttpResponder(const std::string& address, std::uint16_t port)
    : listener_(INVALID_SOCKET), default_reply_(HttpReply::Ok("")) {
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) throw std::runtime_error("WSAStartup failed");
  SOCKET s = INVALID_SOCKET;
  try {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    if (inet_pton(AF_INET, address.c_str(), &sa.sin_addr) != 1)
      throw std::runtime_error("HttpResponder: bad address " + address);
    s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) throw Failure("socket");
    BOOL reuse = TRUE;
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse), sizeof reuse);
    if (bind(s, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == SOCKET_ERROR)
      throw Failure("bind " + address + ":" + std::to_string(port));
    if (listen(s, 8) == SOCKET_ERROR) throw Failure("listen");
    int len = sizeof sa;
    getsockname(s, reinterpret_cast<sockaddr*>(&sa), &len);
    port_ = ntohs(sa.sin_port);
  } catch (...) {
    if (s != INVALID_SOCKET) closesocket(s);
    WSACleanup();
    throw;
  }
  listener_ = s;
  thread_ = std::thread([this] { Run(); });
}

HttpResponder::~HttpResponder() {
  stopping_ = true;
  thread_.join();
  closesocket(listener_);
  WSACleanup();
}

void HttpResponder::answer_all(const HttpReply& reply) {
  std::lock_guard<std::mutex> guard(lock_);
  default_reply_ = reply;
}

void HttpResponder::queue(const HttpReply& reply) {
  std::lock_guard<std::mutex> guard(lock_);
  queued_.push_back(reply);
}

std::vector<std::string> HttpResponder::requests() const {
  std::lock_guard<std::mutex> guard(lock_);
  return requests_;
}

void HttpResponder::Run() {
  while (!stopping_) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(listener_, &readable);
    timeval tv{0, 20000};
    if (select(0, &readable, nullptr, nullptr, &tv) <= 0) continue;
    SOCKET c = accept(listener_, nullptr, nullptr);
    if (c == INVALID_SOCKET) continue;
    Serve(c);
    closesocket(c);
  }
}

void HttpResponder::Serve(std::uintptr_t connection) {
  SOCKET c = connection;
  BOOL no_delay = TRUE;  // so that small chunks leave as they are sent
  setsockopt(c, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&no_delay),
             sizeof no_delay);
  // A blocking receive bounded to 20 ms: under Wine select() sees a request
  // up to several milliseconds late, which a Date stamped on arrival shows.
  DWORD slice_ms = 20;
  setsockopt(c, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&slice_ms), sizeof slice_ms);
  std::string request;
  auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (request.find("\r\n\r\n") == std::string::npos && !stopping_ &&
         std::chrono::steady_clock::now() < give_up) {
    char buffer[4096];
    int n = recv(c, buffer, sizeof buffer, 0);
    if (n == SOCKET_ERROR && WSAGetLastError() == WSAETIMEDOUT) continue;
    if (n <= 0) break;
    request.append(buffer, n);
  }
  HttpReply reply;
  {
    std::lock_guard<std::mutex> guard(lock_);
    requests_.push_back(request);
    if (queued_.empty()) {
      reply = default_reply_;
    } else {
      reply = queued_.front();
      queued_.pop_front();
    }
  }
  std::size_t stamp = reply.head.find("%NOW");
  if (stamp != std::string::npos) {
    std::size_t end = reply.head.find('%', stamp + 1);
    double offset = std::stod(reply.head.substr(stamp + 4, end - stamp - 4));
    reply.head.replace(stamp, end - stamp + 1, HttpDateText(offset));
  }
  std::size_t date = reply.head.find("%GMT");
  if (date != std::string::npos) {
    std::size_t end = reply.head.find('%', date + 1);
    double offset = std::stod(reply.head.substr(date + 4, end - date - 4));
    // Just past the turn of the second, the cut-off fraction is next to none.
    if (!Pause(1002 - UtcPlus(offset).wMilliseconds, stopping_)) return;
    reply.head.replace(date, end - date + 1, HttpDateText(offset));
  }
  std::size_t mark = reply.body.find("%JST");
  if (mark != std::string::npos) {
    std::size_t end = reply.body.find('%', mark + 1);
    double offset = end > mark + 4 ? std::stod(reply.body.substr(mark + 4, end - mark - 4)) : 0;
    reply.body.replace(mark, end - mark + 1, JapanTimeText(offset));
  }

  std::string out = reply.head + reply.body;
  std::size_t chunk = reply.chunk == 0 ? out.size() : reply.chunk;
  for (std::size_t at = 0; at < out.size(); at += chunk) {
    if (at > 0 && reply.pause_ms && !Pause(reply.pause_ms, stopping_)) return;
    int size = static_cast<int>(std::min(chunk, out.size() - at));
    if (send(c, out.data() + at, size, 0) != size) return;
    if (stopping_) return;
  }
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  last_byte_counter_ = now.QuadPart;

  if (reply.endless) {
    std::string filler(reply.drip_ms ? 1 : 4096, 'x');
    while (!stopping_) {
      if (reply.drip_ms && !Pause(reply.drip_ms, stopping_)) return;
      if (send(c, filler.data(), static_cast<int>(filler.size()), 0) == SOCKET_ERROR) return;
    }
  }
  if (reply.hold_open) {
    while (!stopping_ && !PeerGone(c)) Pause(10, stopping_);
    return;
  }
  shutdown(c, SD_SEND);
}

}  // namespace horalux::tools
