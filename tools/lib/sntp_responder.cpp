#include "tools/lib/sntp_responder.h"

#include <winsock2.h>
#include <windows.h>
#include <ws2tcpip.h>

#include <cstdio>
#include <sstream>
#include <stdexcept>

namespace horalux::tools {
namespace {

// How long the native program may take to start and bind.
constexpr int kStartMs = 15000;
// Longest wait for the answer to one command.
constexpr DWORD kCommandMs = 15000;

std::runtime_error Failure(const std::string& what) {
  return std::runtime_error("SntpResponder: " + what);
}

// The native program's Linux path as Wine's drive Z: shows it.
std::wstring ProgramPath() {
  std::wstring path = L"Z:";
  for (const char* c = HORALUX_NATIVE_SNTP_RESPONDER; *c; ++c)
    path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
  return path;
}

std::string Words(const SntpAnswer& a) {
  char number[64];
  auto real = [&](double v) {
    std::snprintf(number, sizeof number, "%.17g", v);
    return std::string(number);
  };
  std::string words = "silent=" + std::to_string(a.silent) + " offset=" + real(a.offset_seconds) +
                      " leap=" + std::to_string(a.leap) + " stratum=" + std::to_string(a.stratum) +
                      " length=" + std::to_string(a.length) +
                      " delay=" + std::to_string(a.delay_ms) +
                      " other=" + std::to_string(a.from_other_socket);
  if (a.fixed_utc) words += " fixed=" + real(*a.fixed_utc);
  if (a.raw_seconds)
    words += " raw_seconds=" + std::to_string(*a.raw_seconds) +
             " raw_fraction=" + std::to_string(a.raw_fraction);
  if (!a.spoof_from.empty())
    words += " spoof=" + a.spoof_from + " spoof_offset=" + real(a.spoof_offset_seconds) +
             " spoof_length=" + std::to_string(a.spoof_length);
  return words;
}

// Starts the program; its handles are of no use (Wine runs a Linux program
// detached), the control connection says when it is gone.
void StartProgram(std::uint16_t control_port, const std::vector<std::string>& addresses,
                  std::uint16_t port) {
  const std::wstring program = ProgramPath();
  std::wstring command =
      L"\"" + program + L"\" " + std::to_wstring(control_port) + L" " + std::to_wstring(port);
  for (const std::string& a : addresses) command += L" " + std::wstring(a.begin(), a.end());
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process))
    throw Failure("cannot start " + std::string(HORALUX_NATIVE_SNTP_RESPONDER) + ", error " +
                  std::to_string(GetLastError()));
  if (process.hThread) CloseHandle(process.hThread);
  if (process.hProcess) CloseHandle(process.hProcess);
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
    : SntpResponder(std::vector<std::string>{address}, port) {}

SntpResponder::SntpResponder(const std::vector<std::string>& addresses, std::uint16_t port)
    : control_(INVALID_SOCKET) {
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) throw Failure("WSAStartup failed");
  SOCKET listener = INVALID_SOCKET;
  try {
    listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int len = sizeof sa;
    if (listener == INVALID_SOCKET ||
        bind(listener, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == SOCKET_ERROR ||
        listen(listener, 1) == SOCKET_ERROR ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&sa), &len) == SOCKET_ERROR)
      throw Failure("control socket failed, error " + std::to_string(WSAGetLastError()));
    StartProgram(ntohs(sa.sin_port), addresses, port);
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(listener, &readable);
    timeval tv{kStartMs / 1000, 0};
    if (select(0, &readable, nullptr, nullptr, &tv) != 1)
      throw Failure("the native responder did not call back");
    SOCKET control = accept(listener, nullptr, nullptr);
    if (control == INVALID_SOCKET) throw Failure("accept failed");
    control_ = control;
    DWORD timeout = kCommandMs;
    setsockopt(control, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout),
               sizeof timeout);
    std::string first = ReadLine();
    if (first != "ready") throw Failure(first.empty() ? "the native responder ended" : first);
  } catch (...) {
    if (control_ != INVALID_SOCKET) closesocket(control_);
    if (listener != INVALID_SOCKET) closesocket(listener);
    WSACleanup();
    throw;
  }
  closesocket(listener);
}

SntpResponder::~SntpResponder() {
  // "bye" comes once its sockets are closed: the next responder may bind
  // the same addresses at once.
  try {
    Command("quit");
  } catch (const std::exception&) {
  }
  closesocket(control_);
  WSACleanup();
}

std::string SntpResponder::ReadLine() const {
  for (;;) {
    std::size_t end = input_.find('\n');
    if (end != std::string::npos) {
      std::string line = input_.substr(0, end);
      input_.erase(0, end + 1);
      return line;
    }
    char chunk[4096];
    int n = recv(control_, chunk, sizeof chunk, 0);
    if (n <= 0) return "";
    input_.append(chunk, static_cast<std::size_t>(n));
  }
}

std::string SntpResponder::Command(const std::string& line) const {
  const std::string text = line + "\n";
  if (send(control_, text.data(), static_cast<int>(text.size()), 0) !=
      static_cast<int>(text.size()))
    throw Failure("the native responder is gone");
  std::string reply = ReadLine();
  if (reply.empty()) throw Failure("no answer to " + line);
  return reply;
}

void SntpResponder::answer_all(const SntpAnswer& answer) {
  std::lock_guard<std::mutex> guard(lock_);
  Command("all " + Words(answer));
}

void SntpResponder::queue(const SntpAnswer& answer) {
  std::lock_guard<std::mutex> guard(lock_);
  Command("queue " + Words(answer));
}

void SntpResponder::answer_at(const std::string& to, const SntpAnswer& answer) {
  std::lock_guard<std::mutex> guard(lock_);
  Command("at " + to + " " + Words(answer));
}

int SntpResponder::request_count() const {
  std::lock_guard<std::mutex> guard(lock_);
  return std::stoi(Command("count"));
}

std::vector<SntpRequest> SntpResponder::requests() const {
  std::lock_guard<std::mutex> guard(lock_);
  const int count = std::stoi(Command("requests"));
  std::vector<SntpRequest> requests;
  for (int i = 0; i < count; ++i) {
    std::istringstream in(ReadLine());
    SntpRequest r;
    std::string hex;
    in >> r.from_port >> r.to >> hex;
    for (std::size_t at = 0; at + 1 < hex.size(); at += 2)
      r.bytes.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(at, 2), nullptr, 16)));
    requests.push_back(std::move(r));
  }
  return requests;
}

std::vector<std::chrono::steady_clock::time_point> SntpResponder::answer_times() const {
  std::lock_guard<std::mutex> guard(lock_);
  // Taken before asking: the ages it gets back are measured later, so each
  // time comes out early by at most the round trip, never late.
  const auto asked = std::chrono::steady_clock::now();
  const int count = std::stoi(Command("times"));
  std::vector<std::chrono::steady_clock::time_point> times;
  for (int i = 0; i < count; ++i)
    times.push_back(asked - std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                std::chrono::nanoseconds(std::stoll(ReadLine()))));
  return times;
}

}  // namespace horalux::tools
