// What the benchmark's delaying relays share: the monotonic clock their
// held bytes fall due by, and the IPv4 addresses of their command lines.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>

inline std::int64_t NowNs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return std::int64_t{t.tv_sec} * 1000000000 + t.tv_nsec;
}

// ADDRESS and PORT as given on PROGRAM's command line; ends PROGRAM unless
// ADDRESS is a dotted IPv4 address.
inline sockaddr_in Address(const char* program, const char* address, const char* port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<std::uint16_t>(std::atoi(port)));
  if (inet_pton(AF_INET, address, &a.sin_addr) != 1) {
    std::fprintf(stderr, "%s: not an IPv4 address: %s\n", program, address);
    std::exit(2);
  }
  return a;
}
