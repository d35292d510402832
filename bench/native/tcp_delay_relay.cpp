// A TCP relay that holds every byte DELAY_MS milliseconds each way, for the
// HTTP boundary benchmark: a Linux program on loopback between the engine
// under Wine and the web server.
//
//   tcp_delay_relay LISTEN_ADDRESS PORT SERVER_ADDRESS SERVER_PORT DELAY_MS
//
// Each accepted connection gets its own connection to the server and a
// thread that moves the bytes both ways; an end of stream is passed on
// after the same delay, a reset at once. Runs until it is ended by a signal.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <deque>
#include <string>
#include <thread>

#include "relay_parts.h"

namespace {

// Bytes read from one side, due on the other; an empty chunk is the end.
struct Chunk {
  std::int64_t due;
  std::string bytes;
};

struct Direction {
  int from, to;
  std::deque<Chunk> queue;
  bool read_done = false;   // the end has been read (and queued)
  bool write_done = false;  // the end has been passed on
};

void Relay(int client, sockaddr_in server, std::int64_t delay_ns) {
  int upstream = socket(AF_INET, SOCK_STREAM, 0);
  const int one = 1;
  setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  setsockopt(upstream, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  if (connect(upstream, reinterpret_cast<sockaddr*>(&server), sizeof server) != 0) {
    close(upstream);
    close(client);
    return;
  }
  Direction ways[2] = {{client, upstream, {}}, {upstream, client, {}}};
  char buffer[65536];
  for (;;) {
    std::int64_t now = NowNs();
    for (Direction& w : ways) {
      while (!w.queue.empty() && w.queue.front().due <= now) {
        const std::string& bytes = w.queue.front().bytes;
        if (bytes.empty()) {
          shutdown(w.to, SHUT_WR);
          w.write_done = true;
        } else if (send(w.to, bytes.data(), bytes.size(), MSG_NOSIGNAL) !=
                   static_cast<ssize_t>(bytes.size())) {
          close(client);
          close(upstream);
          return;
        }
        w.queue.pop_front();
      }
    }
    if (ways[0].write_done && ways[1].write_done) break;
    pollfd fds[2];
    int count = 0;
    for (Direction& w : ways)
      if (!w.read_done) fds[count++] = {w.from, POLLIN, 0};
    std::int64_t wait_ns = 1000000000;
    for (Direction& w : ways)
      if (!w.queue.empty()) wait_ns = std::min(wait_ns, w.queue.front().due - now);
    poll(fds, static_cast<nfds_t>(count),
         static_cast<int>(std::max<std::int64_t>(0, wait_ns) / 1000000));
    now = NowNs();
    for (int i = 0; i < count; ++i) {
      if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      Direction& w = fds[i].fd == client ? ways[0] : ways[1];
      ssize_t n = recv(w.from, buffer, sizeof buffer, 0);
      if (n < 0) {  // a reset: no reason to hold anything back
        close(client);
        close(upstream);
        return;
      }
      w.queue.push_back({now + delay_ns, std::string(buffer, static_cast<std::size_t>(n))});
      if (n == 0) w.read_done = true;
    }
  }
  close(client);
  close(upstream);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(
        stderr, "usage: tcp_delay_relay LISTEN_ADDRESS PORT SERVER_ADDRESS SERVER_PORT DELAY_MS\n");
    return 2;
  }
  sockaddr_in listen_at = Address("tcp_delay_relay", argv[1], argv[2]);
  sockaddr_in server = Address("tcp_delay_relay", argv[3], argv[4]);
  const std::int64_t delay_ns = std::int64_t{std::atoi(argv[5])} * 1000000;
  int listener = socket(AF_INET, SOCK_STREAM, 0);
  const int one = 1;
  setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  if (bind(listener, reinterpret_cast<sockaddr*>(&listen_at), sizeof listen_at) != 0 ||
      listen(listener, 16) != 0) {
    std::perror("tcp_delay_relay: listen");
    return 1;
  }
  for (;;) {
    int client = accept(listener, nullptr, nullptr);
    if (client < 0) continue;
    std::thread(Relay, client, server, delay_ns).detach();
  }
}
