#include "tools/lib/sntp_responder.h"

#include <winsock2.h>
#include <mswsock.h>
#include <ws2tcpip.h>

#include <chrono>
#include <cmath>
#include <stdexcept>

namespace horalux::tools {
namespace {

constexpr double kTwoTo32 = 4294967296.0;
// 1601-01-01 (FILETIME's epoch) to 1900-01-01, in seconds.
constexpr std::uint64_t kFiletimeTo1900Seconds = 9435484800ull;

struct Stamp {
  std::uint32_t seconds;
  std::uint32_t fraction;
};

Stamp TrueUtcNow(double offset_seconds) {
  FILETIME ft;
  GetSystemTimePreciseAsFileTime(&ft);
  std::uint64_t ticks = (static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  double seconds = static_cast<double>(ticks / 10000000 - kFiletimeTo1900Seconds) +
                   static_cast<double>(ticks % 10000000) / 1e7 + offset_seconds;
  double whole = std::floor(seconds);
  return {static_cast<std::uint32_t>(static_cast<std::uint64_t>(whole)),
          static_cast<std::uint32_t>((seconds - whole) * kTwoTo32)};
}

Stamp FromUtcDays(double utc_days) {
  double seconds = (utc_days - 2) * 86400;  // day 2 is 1900-01-01
  double whole = std::floor(seconds);
  return {static_cast<std::uint32_t>(static_cast<std::uint64_t>(whole)),
          static_cast<std::uint32_t>((seconds - whole) * kTwoTo32)};
}

void Put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  b[at] = static_cast<std::uint8_t>(v >> 24);
  b[at + 1] = static_cast<std::uint8_t>(v >> 16);
  b[at + 2] = static_cast<std::uint8_t>(v >> 8);
  b[at + 3] = static_cast<std::uint8_t>(v);
}

std::runtime_error Failure(const std::string& what) {
  return std::runtime_error("SntpResponder: " + what + " failed, error " +
                            std::to_string(WSAGetLastError()));
}

}  // namespace

SntpAnswer SntpAnswer::TrueTime(double offset_seconds) {
  SntpAnswer a;
  a.offset_seconds = offset_seconds;
  return a;
}

SntpAnswer SntpAnswer::AtUtc(double utc_days) {
  SntpAnswer a;
  a.fixed_utc = utc_days;
  return a;
}

SntpAnswer SntpAnswer::Raw(std::uint32_t seconds, std::uint32_t fraction) {
  SntpAnswer a;
  a.raw_seconds = seconds;
  a.raw_fraction = fraction;
  return a;
}

SntpAnswer SntpAnswer::Silence() {
  SntpAnswer a;
  a.silent = true;
  return a;
}

SntpResponder::SntpResponder(const std::string& address, std::uint16_t port)
    : socket_(INVALID_SOCKET), other_socket_(INVALID_SOCKET) {
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) throw std::runtime_error("WSAStartup failed");
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(port);
  SOCKET main = INVALID_SOCKET, other = INVALID_SOCKET;
  try {
    if (inet_pton(AF_INET, address.c_str(), &sa.sin_addr) != 1)
      throw std::runtime_error("SntpResponder: bad address " + address);
    main = socket(AF_INET, SOCK_DGRAM, 0);
    if (main == INVALID_SOCKET) throw Failure("socket");
    if (bind(main, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == SOCKET_ERROR)
      throw Failure("bind " + address + ":" + std::to_string(port));
    other = socket(AF_INET, SOCK_DGRAM, 0);
    if (other == INVALID_SOCKET) throw Failure("socket");
    sa.sin_port = 0;
    if (bind(other, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == SOCKET_ERROR)
      throw Failure("bind " + address + ":0");
  } catch (...) {
    if (main != INVALID_SOCKET) closesocket(main);
    if (other != INVALID_SOCKET) closesocket(other);
    WSACleanup();
    throw;
  }
  socket_ = main;
  other_socket_ = other;
  DWORD on = 1, got = 0;
  GUID recv_msg_id = WSAID_WSARECVMSG;
  if (setsockopt(main, IPPROTO_IP, IP_PKTINFO, reinterpret_cast<const char*>(&on), sizeof on) ==
      0) {
    WSAIoctl(main, SIO_GET_EXTENSION_FUNCTION_POINTER, &recv_msg_id, sizeof recv_msg_id, &recv_msg_,
             sizeof recv_msg_, &got, nullptr, nullptr);
  }
  thread_ = std::thread([this] { Run(); });
}

SntpResponder::~SntpResponder() {
  stopping_ = true;
  thread_.join();
  closesocket(socket_);
  closesocket(other_socket_);
  WSACleanup();
}

void SntpResponder::answer_all(const SntpAnswer& answer) {
  std::lock_guard<std::mutex> guard(lock_);
  default_answer_ = answer;
}

void SntpResponder::queue(const SntpAnswer& answer) {
  std::lock_guard<std::mutex> guard(lock_);
  queued_.push_back(answer);
}

void SntpResponder::answer_at(const std::string& to, const SntpAnswer& answer) {
  std::lock_guard<std::mutex> guard(lock_);
  by_address_[to] = answer;
}

std::vector<SntpRequest> SntpResponder::requests() const {
  std::lock_guard<std::mutex> guard(lock_);
  return requests_;
}

std::vector<std::chrono::steady_clock::time_point> SntpResponder::answer_times() const {
  std::lock_guard<std::mutex> guard(lock_);
  return answer_times_;
}

void SntpResponder::Run() {
  // Short waits, so that the destructor is never kept long.
  while (!stopping_) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(socket_, &readable);
    timeval tv{0, 20000};
    if (select(0, &readable, nullptr, nullptr, &tv) <= 0) continue;
    std::uint8_t buffer[1024];
    sockaddr_in from{};
    int from_len = sizeof from;
    std::string to;
    int n = SOCKET_ERROR;
    if (recv_msg_) {
      char control[WSA_CMSG_SPACE(sizeof(IN_PKTINFO))] = {};
      WSABUF data{sizeof buffer, reinterpret_cast<char*>(buffer)};
      WSAMSG message{};
      message.name = reinterpret_cast<sockaddr*>(&from);
      message.namelen = from_len;
      message.lpBuffers = &data;
      message.dwBufferCount = 1;
      message.Control = {sizeof control, control};
      DWORD received = 0;
      if (reinterpret_cast<LPFN_WSARECVMSG>(recv_msg_)(socket_, &message, &received, nullptr,
                                                       nullptr) == 0) {
        n = static_cast<int>(received);
        for (WSACMSGHDR* c = WSA_CMSG_FIRSTHDR(&message); c; c = WSA_CMSG_NXTHDR(&message, c)) {
          if (c->cmsg_level != IPPROTO_IP || c->cmsg_type != IP_PKTINFO) continue;
          char text[INET_ADDRSTRLEN] = {};
          auto* info = reinterpret_cast<IN_PKTINFO*>(WSA_CMSG_DATA(c));
          if (inet_ntop(AF_INET, &info->ipi_addr, text, sizeof text)) to = text;
        }
      }
    } else {
      n = recvfrom(socket_, reinterpret_cast<char*>(buffer), sizeof buffer, 0,
                   reinterpret_cast<sockaddr*>(&from), &from_len);
    }
    if (n == SOCKET_ERROR) continue;  // e.g. a port-unreachable report of an earlier reply
    SntpRequest request{std::vector<std::uint8_t>(buffer, buffer + n), ntohs(from.sin_port), to};
    {
      std::lock_guard<std::mutex> guard(lock_);
      requests_.push_back(request);
    }
    ++request_count_;
    Reply(request, &from, from_len);
  }
}

void SntpResponder::Reply(const SntpRequest& request, const void* to, int to_len) {
  SntpAnswer answer;
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (queued_.empty()) {
      auto at = by_address_.find(request.to);
      answer = at != by_address_.end() ? at->second : default_answer_;
    } else {
      answer = queued_.front();
      queued_.pop_front();
    }
  }
  if (answer.silent) return;
  auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(answer.delay_ms);
  while (!stopping_ && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));

  const auto stamped = std::chrono::steady_clock::now();
  Stamp transmit = answer.raw_seconds ? Stamp{*answer.raw_seconds, answer.raw_fraction}
                   : answer.fixed_utc ? FromUtcDays(*answer.fixed_utc)
                                      : TrueUtcNow(answer.offset_seconds);
  std::vector<std::uint8_t> reply(48, 0);
  reply[0] = static_cast<std::uint8_t>((answer.leap & 3) << 6 | 4 << 3 | 4);  // version 4, server
  reply[1] = static_cast<std::uint8_t>(answer.stratum);
  reply[2] = 6;     // poll: 64 s
  reply[3] = 0xEC;  // precision: 2^-20 s
  reply[12] = 'L', reply[13] = 'O', reply[14] = 'C', reply[15] = 'L';
  Put32(reply, 16, transmit.seconds);  // reference: this very moment
  // Originate echoes the request's transmit time.
  if (request.bytes.size() >= 48)
    std::copy(request.bytes.begin() + 40, request.bytes.begin() + 48, reply.begin() + 24);
  Put32(reply, 32, transmit.seconds);
  Put32(reply, 36, transmit.fraction);
  Put32(reply, 40, transmit.seconds);
  Put32(reply, 44, transmit.fraction);
  reply.resize(answer.length, 0);

  SOCKET from = answer.from_other_socket ? other_socket_ : socket_;
  {
    // Recorded before the reply leaves, so that whoever sees the reply sees
    // its time here too.
    std::lock_guard<std::mutex> guard(lock_);
    answer_times_.push_back(stamped);
  }
  sendto(from, reinterpret_cast<const char*>(reply.data()), static_cast<int>(reply.size()), 0,
         static_cast<const sockaddr*>(to), to_len);
}

}  // namespace horalux::tools
