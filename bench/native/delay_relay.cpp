// A UDP relay that holds every datagram DELAY_MS milliseconds each way, for
// the delay benchmark: a Linux program on loopback, so that its replies leave
// from the address it listens on (a Windows program under Wine cannot).
//
//   delay_relay LISTEN_ADDRESS PORT SERVER_ADDRESS SERVER_PORT DELAY_MS
//
// Each client (address and port) gets a socket of its own towards the
// server; the server's replies go back to that client from the listening
// socket. Runs until it is ended by a signal.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <queue>
#include <vector>

#include "relay_parts.h"

namespace {

struct Held {
  std::int64_t due_ns;
  int fd;
  sockaddr_in to;
  std::vector<std::uint8_t> bytes;
  bool operator>(const Held& other) const { return due_ns > other.due_ns; }
};

std::uint64_t Key(const sockaddr_in& a) {
  return std::uint64_t{a.sin_addr.s_addr} << 16 | a.sin_port;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr,
                 "usage: delay_relay LISTEN_ADDRESS PORT SERVER_ADDRESS SERVER_PORT DELAY_MS\n");
    return 2;
  }
  const sockaddr_in listen_at = Address("delay_relay", argv[1], argv[2]);
  const sockaddr_in server = Address("delay_relay", argv[3], argv[4]);
  const std::int64_t delay_ns = std::int64_t{std::atoi(argv[5])} * 1000000;

  const int listener = socket(AF_INET, SOCK_DGRAM, 0);
  if (listener < 0 ||
      bind(listener, reinterpret_cast<const sockaddr*>(&listen_at), sizeof listen_at) != 0) {
    std::fprintf(stderr, "delay_relay: cannot listen on %s:%s: %s\n", argv[1], argv[2],
                 std::strerror(errno));
    return 1;
  }
  std::map<std::uint64_t, int> upstream_of;  // client -> its socket towards the server
  std::map<int, sockaddr_in> client_of;      // that socket -> the client
  std::priority_queue<Held, std::vector<Held>, std::greater<Held>> held;

  for (;;) {
    std::vector<pollfd> fds{{listener, POLLIN, 0}};
    for (const auto& [fd, client] : client_of) fds.push_back({fd, POLLIN, 0});
    timespec wait{};
    timespec* timeout = nullptr;
    if (!held.empty()) {
      const std::int64_t left = std::max<std::int64_t>(0, held.top().due_ns - NowNs());
      wait = {static_cast<time_t>(left / 1000000000), static_cast<long>(left % 1000000000)};
      timeout = &wait;
    }
    if (ppoll(fds.data(), fds.size(), timeout, nullptr) < 0 && errno != EINTR) return 1;
    const std::int64_t now = NowNs();
    while (!held.empty() && held.top().due_ns <= now) {
      const Held& h = held.top();
      sendto(h.fd, h.bytes.data(), h.bytes.size(), 0, reinterpret_cast<const sockaddr*>(&h.to),
             sizeof h.to);
      held.pop();
    }
    for (const pollfd& p : fds) {
      if (!(p.revents & POLLIN)) continue;
      std::uint8_t buffer[2048];
      sockaddr_in from{};
      socklen_t from_size = sizeof from;
      const ssize_t n =
          recvfrom(p.fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &from_size);
      if (n < 0) continue;
      std::vector<std::uint8_t> bytes(buffer, buffer + n);
      if (p.fd == listener) {
        int& up = upstream_of[Key(from)];
        if (up == 0) {
          up = socket(AF_INET, SOCK_DGRAM, 0);
          if (up < 0) return 1;
          client_of[up] = from;
        }
        held.push({now + delay_ns, up, server, std::move(bytes)});
      } else {
        held.push({now + delay_ns, listener, client_of[p.fd], std::move(bytes)});
      }
    }
  }
}
