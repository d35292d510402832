// A scripted SNTP server for the Wine suites, run as a native Linux program:
// under Wine a socket bound to one loopback address still sends from
// 127.0.0.1, so a server that must answer from its own address cannot be a
// Windows program. The Windows side (tools/lib/sntp_responder.cpp) starts it
// and scripts it over a TCP connection on 127.0.0.1; it ends when that
// connection ends.
//
//   sntp_responder CONTROL_PORT UDP_PORT ADDRESS...
//
// It binds UDP_PORT on every ADDRESS, connects to CONTROL_PORT and writes
// "ready" (or "error <why>"). Every command is one line and gets one line
// back, a count line before the lines of a list:
//   all ANSWER | queue ANSWER | at ADDRESS ANSWER   -> ok
//   count                                          -> N
//   requests      -> N, then "FROM_PORT TO HEXBYTES" per request
//   times         -> N, then per reply sent the nanoseconds since it was stamped
//   quit          -> bye, once every socket is closed
// ANSWER is key=value words: silent offset fixed raw_seconds raw_fraction leap
// stratum length delay other spoof spoof_offset spoof_length.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr double kTwoTo32 = 4294967296.0;
constexpr std::int64_t kUnixTo1900Seconds = 2208988800;

struct Answer {
  bool silent = false;
  double offset = 0;
  std::optional<double> fixed;  // UTC days since 1899-12-30
  std::optional<std::uint32_t> raw_seconds;
  std::uint32_t raw_fraction = 0;
  int leap = 0;
  int stratum = 2;
  std::size_t length = 48;
  int delay_ms = 0;
  bool other = false;
  std::string spoof;  // address a forged copy comes from first; empty: none
  double spoof_offset = 0;
  std::size_t spoof_length = 48;
};

struct Server {
  std::string address;
  int main = -1;
  int other = -1;
};

struct Request {
  std::vector<std::uint8_t> bytes;
  std::uint16_t from_port;
  std::string to;
};

struct Pending {
  std::int64_t due_ns;
  int socket;
  sockaddr_in to;
  std::vector<std::uint8_t> request;
  Answer answer;
};

std::int64_t MonotonicNs() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<std::int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

std::pair<std::uint32_t, std::uint32_t> Stamp(double seconds_since_1900) {
  double whole = std::floor(seconds_since_1900);
  return {static_cast<std::uint32_t>(static_cast<std::uint64_t>(whole)),
          static_cast<std::uint32_t>((seconds_since_1900 - whole) * kTwoTo32)};
}

std::pair<std::uint32_t, std::uint32_t> TransmitStamp(const Answer& a, double offset) {
  if (a.raw_seconds) return {*a.raw_seconds, a.raw_fraction};
  if (a.fixed) return Stamp((*a.fixed - 2) * 86400);  // day 2 is 1900-01-01
  timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  return Stamp(static_cast<double>(ts.tv_sec + kUnixTo1900Seconds) + ts.tv_nsec / 1e9 + offset);
}

void Put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  b[at] = static_cast<std::uint8_t>(v >> 24);
  b[at + 1] = static_cast<std::uint8_t>(v >> 16);
  b[at + 2] = static_cast<std::uint8_t>(v >> 8);
  b[at + 3] = static_cast<std::uint8_t>(v);
}

std::vector<std::uint8_t> BuildReply(const Answer& a, const std::vector<std::uint8_t>& request,
                                     double offset, std::size_t length) {
  auto [seconds, fraction] = TransmitStamp(a, offset);
  std::vector<std::uint8_t> reply(48, 0);
  reply[0] = static_cast<std::uint8_t>((a.leap & 3) << 6 | 4 << 3 | 4);  // version 4, server
  reply[1] = static_cast<std::uint8_t>(a.stratum);
  reply[2] = 6;     // poll: 64 s
  reply[3] = 0xEC;  // precision: 2^-20 s
  reply[12] = 'L', reply[13] = 'O', reply[14] = 'C', reply[15] = 'L';
  Put32(reply, 16, seconds);
  // Originate echoes the request's transmit time.
  if (request.size() >= 48)
    std::copy(request.begin() + 40, request.begin() + 48, reply.begin() + 24);
  Put32(reply, 32, seconds);
  Put32(reply, 36, fraction);
  Put32(reply, 40, seconds);
  Put32(reply, 44, fraction);
  reply.resize(length, 0);
  return reply;
}

int BoundUdp(const std::string& address, std::uint16_t port, std::string& why) {
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(port);
  if (inet_pton(AF_INET, address.c_str(), &sa.sin_addr) != 1) {
    why = "bad address " + address;
    return -1;
  }
  int s = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (s < 0 || bind(s, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
    why = "bind " + address + ":" + std::to_string(port) + " failed, " + std::strerror(errno);
    if (s >= 0) close(s);
    return -1;
  }
  return s;
}

Answer ParseAnswer(std::istringstream& in) {
  Answer a;
  std::string word;
  while (in >> word) {
    std::size_t eq = word.find('=');
    if (eq == std::string::npos) continue;
    std::string key = word.substr(0, eq), value = word.substr(eq + 1);
    if (key == "silent")
      a.silent = value == "1";
    else if (key == "offset")
      a.offset = std::stod(value);
    else if (key == "fixed")
      a.fixed = std::stod(value);
    else if (key == "raw_seconds")
      a.raw_seconds = static_cast<std::uint32_t>(std::stoul(value));
    else if (key == "raw_fraction")
      a.raw_fraction = static_cast<std::uint32_t>(std::stoul(value));
    else if (key == "leap")
      a.leap = std::stoi(value);
    else if (key == "stratum")
      a.stratum = std::stoi(value);
    else if (key == "length")
      a.length = std::stoul(value);
    else if (key == "delay")
      a.delay_ms = std::stoi(value);
    else if (key == "other")
      a.other = value == "1";
    else if (key == "spoof")
      a.spoof = value;
    else if (key == "spoof_offset")
      a.spoof_offset = std::stod(value);
    else if (key == "spoof_length")
      a.spoof_length = std::stoul(value);
  }
  return a;
}

class Responder {
 public:
  Responder(int control, std::vector<Server> servers)
      : control_(control), servers_(std::move(servers)) {}

  int Run() {
    for (;;) {
      std::vector<pollfd> fds{{control_, POLLIN, 0}};
      for (const Server& s : servers_) fds.push_back({s.main, POLLIN, 0});
      int wait = 100;
      if (!pending_.empty()) {
        std::int64_t left = (NextDue() - MonotonicNs()) / 1000000;
        wait = static_cast<int>(std::max<std::int64_t>(0, std::min<std::int64_t>(wait, left)));
      }
      poll(fds.data(), fds.size(), wait);
      SendDue();
      for (std::size_t i = 0; i < servers_.size(); ++i)
        if (fds[i + 1].revents & POLLIN) Receive(servers_[i]);
      if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
        if (!ReadControl()) return 0;
      }
    }
  }

 private:
  std::int64_t NextDue() const {
    std::int64_t due = pending_.front().due_ns;
    for (const Pending& p : pending_) due = std::min(due, p.due_ns);
    return due;
  }

  void Receive(const Server& server) {
    std::uint8_t buffer[1024];
    sockaddr_in from{};
    socklen_t from_len = sizeof from;
    ssize_t n = recvfrom(server.main, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from),
                         &from_len);
    if (n < 0) return;  // e.g. a port-unreachable report of an earlier reply
    Request request{std::vector<std::uint8_t>(buffer, buffer + n), ntohs(from.sin_port),
                    server.address};
    requests_.push_back(request);
    Answer answer;
    if (!queued_.empty()) {
      answer = queued_.front();
      queued_.pop_front();
    } else {
      auto at = by_address_.find(server.address);
      answer = at != by_address_.end() ? at->second : default_answer_;
    }
    if (answer.silent) return;
    if (!answer.spoof.empty()) Spoof(answer, request.bytes, from);
    pending_.push_back({MonotonicNs() + std::int64_t{answer.delay_ms} * 1000000,
                        answer.other ? server.other : server.main, from, request.bytes, answer});
  }

  // A forged copy from another address, echoing the request as a
  // well-placed eavesdropper could.
  void Spoof(const Answer& answer, const std::vector<std::uint8_t>& request,
             const sockaddr_in& to) {
    auto found = spoofers_.find(answer.spoof);
    if (found == spoofers_.end()) {
      std::string why;
      int s = BoundUdp(answer.spoof, 123, why);
      if (s < 0) s = BoundUdp(answer.spoof, 0, why);
      if (s < 0) return;
      found = spoofers_.emplace(answer.spoof, s).first;
    }
    std::vector<std::uint8_t> forged =
        BuildReply(answer, request, answer.spoof_offset, answer.spoof_length);
    sendto(found->second, forged.data(), forged.size(), 0, reinterpret_cast<const sockaddr*>(&to),
           sizeof to);
  }

  void SendDue() {
    const std::int64_t now = MonotonicNs();
    for (auto p = pending_.begin(); p != pending_.end();) {
      if (p->due_ns > now) {
        ++p;
        continue;
      }
      std::vector<std::uint8_t> reply =
          BuildReply(p->answer, p->request, p->answer.offset, p->answer.length);
      // Recorded before the reply leaves, so that whoever sees the reply sees its time too.
      answer_times_.push_back(MonotonicNs());
      sendto(p->socket, reply.data(), reply.size(), 0, reinterpret_cast<const sockaddr*>(&p->to),
             sizeof p->to);
      p = pending_.erase(p);
    }
  }

  bool ReadControl() {
    char chunk[4096];
    ssize_t n = read(control_, chunk, sizeof chunk);
    if (n <= 0) return false;
    input_.append(chunk, static_cast<std::size_t>(n));
    for (std::size_t end; (end = input_.find('\n')) != std::string::npos;) {
      std::string line = input_.substr(0, end);
      input_.erase(0, end + 1);
      if (!Command(line)) return false;
    }
    return true;
  }

  bool Command(const std::string& line) {
    std::istringstream in(line);
    std::string verb;
    in >> verb;
    std::ostringstream out;
    if (verb == "all") {
      default_answer_ = ParseAnswer(in);
      out << "ok\n";
    } else if (verb == "queue") {
      queued_.push_back(ParseAnswer(in));
      out << "ok\n";
    } else if (verb == "at") {
      std::string address;
      in >> address;
      by_address_[address] = ParseAnswer(in);
      out << "ok\n";
    } else if (verb == "count") {
      out << requests_.size() << "\n";
    } else if (verb == "requests") {
      out << requests_.size() << "\n";
      for (const Request& r : requests_) {
        out << r.from_port << " " << r.to << " ";
        char hex[3];
        for (std::uint8_t b : r.bytes) {
          std::snprintf(hex, sizeof hex, "%02x", b);
          out << hex;
        }
        out << "\n";
      }
    } else if (verb == "times") {
      const std::int64_t now = MonotonicNs();
      out << answer_times_.size() << "\n";
      for (std::int64_t t : answer_times_) out << now - t << "\n";
    } else if (verb == "quit") {
      for (Server& s : servers_) close(s.main), close(s.other);
      for (auto& [address, s] : spoofers_) close(s);
      Write("bye\n");
      return false;
    } else {
      out << "unknown\n";
    }
    Write(out.str());
    return true;
  }

  void Write(const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
      ssize_t n = write(control_, text.data() + done, text.size() - done);
      if (n <= 0) return;
      done += static_cast<std::size_t>(n);
    }
  }

  int control_;
  std::vector<Server> servers_;
  std::map<std::string, int> spoofers_;
  Answer default_answer_;
  std::deque<Answer> queued_;
  std::map<std::string, Answer> by_address_;
  std::vector<Request> requests_;
  std::vector<std::int64_t> answer_times_;
  std::vector<Pending> pending_;
  std::string input_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: sntp_responder CONTROL_PORT UDP_PORT ADDRESS...\n");
    return 2;
  }
  // Whatever Wine handed over as standard streams belongs to the test.
  int null = open("/dev/null", O_RDWR);
  for (int fd = 0; fd <= 2; ++fd) dup2(null, fd);
  if (null > 2) close(null);

  sockaddr_in control_to{};
  control_to.sin_family = AF_INET;
  control_to.sin_port = htons(static_cast<std::uint16_t>(std::atoi(argv[1])));
  control_to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int control = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (control < 0 ||
      connect(control, reinterpret_cast<sockaddr*>(&control_to), sizeof control_to) != 0)
    return 1;

  const auto port = static_cast<std::uint16_t>(std::atoi(argv[2]));
  std::vector<Server> servers;
  std::string why;
  for (int i = 3; i < argc && why.empty(); ++i) {
    Server s{argv[i], BoundUdp(argv[i], port, why), -1};
    if (s.main >= 0) s.other = BoundUdp(argv[i], 0, why);
    servers.push_back(s);
  }
  std::string first = why.empty() ? "ready\n" : "error " + why + "\n";
  if (write(control, first.data(), first.size()) != static_cast<ssize_t>(first.size()) ||
      !why.empty())
    return 1;
  return Responder(control, std::move(servers)).Run();
}
