// The HTTP client against the test responder: a 64 KiB body sent in 1-byte
// chunks against the same body in one chunk. Prints, for each, the time from
// the responder's last byte sent to Get returning (median and worst of the
// runs). Measures only; passes or fails on nothing.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "core/net/http_client.h"
#include "tools/lib/http_responder.h"
#include "win32/net/tcp_session.h"
#include "win32/platform/win_clock.h"
#include "win32/platform/win_files.h"
#include "win32/platform/win_pump.h"

using namespace horalux;

int main(int argc, char** argv) {
  int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  WinPump pump;
  WinTcpNetwork network{pump};
  WinClock clock;
  WinFiles files;
  THttpClient client{network, pump, clock, files};
  // Sending 65536 bytes one by one may itself take longer than a fetch is
  // allowed to; what is measured here is the end, not the sending.
  client.Limits.deadline_ms = 24 * 3600 * 1000;
  tools::HttpResponder server{"127.0.0.1"};
  std::string url = "http://127.0.0.1:" + std::to_string(server.port()) + "/page";
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  const std::string body(65536, 'b');

  std::printf("64 KiB body, %d runs each: last byte sent -> Get returned\n", runs);
  for (std::size_t chunk : {std::size_t{1}, std::size_t{0}}) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
      tools::HttpReply reply = tools::HttpReply::Ok(body);
      reply.chunk = chunk;
      server.queue(reply);
      try {
        client.Get(url);
      } catch (const EIdException& e) {
        std::printf("  Get failed: %s\n", e.what());
        return 1;
      }
      LARGE_INTEGER returned;
      QueryPerformanceCounter(&returned);
      if (client.Body.size() != body.size()) std::printf("  short body: %zu\n", client.Body.size());
      ms.push_back(static_cast<double>(returned.QuadPart - server.last_byte_counter()) * 1000.0 /
                   static_cast<double>(frequency.QuadPart));
    }
    std::sort(ms.begin(), ms.end());
    std::printf("  %-14s median %7.2f ms   worst %7.2f ms\n",
                chunk == 1 ? "1-byte chunks" : "one chunk", ms[ms.size() / 2], ms.back());
  }
  return 0;
}
