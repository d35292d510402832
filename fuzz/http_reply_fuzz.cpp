// The HTTP exchange: the URL (also one a redirect names) and whatever the
// server sends back, its status line, header lines and body, over as many
// connections as the redirects take.
//
// Input: one byte of options, the URL up to the first line feed, then one
// reply per connection, the replies separated by kNextReply.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/net/http_client.h"
#include "fuzz/fuzz_input.h"
#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_tcp.h"
#include "tests/fakes/memory_files.h"

using namespace horalux;

namespace {

constexpr char kNextReply[] = "\n\xFF\xFF\n";

enum Options : std::uint8_t { kThroughProxy = 1, kSmallLimits = 2, kToFiles = 4 };

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::FuzzInput in(data, size);
  const std::uint8_t options = in.Byte();
  std::string rest = in.Rest();
  const std::size_t url_end = rest.find('\n');
  const std::string url = rest.substr(0, url_end);
  rest = url_end == std::string::npos ? "" : rest.substr(url_end + 1);

  fakes::FakeClock clock;
  fakes::FakeTcpNetwork network(clock);
  network.hosts["www.example.jp"] = Ipv4Address{{127, 0, 0, 2}};
  network.hosts["proxy.example.jp"] = Ipv4Address{{127, 0, 0, 3}};
  for (std::size_t start = 0;;) {
    std::size_t end = rest.find(kNextReply, start);
    network.replies.push_back({rest.substr(start, end - start)});
    if (end == std::string::npos) break;
    start = end + sizeof kNextReply - 1;
  }
  fakes::ClockedPump pump(clock, network);
  fakes::MemoryFiles files;
  files.add_folder("C:\\Apps\\Horalux");

  THttpClient client(network, pump, clock, files);
  if (options & kThroughProxy) {
    client.Proxy = "proxy.example.jp";
    client.ProxyPort = 8080;
  }
  if (options & kSmallLimits) client.Limits = {2, 64, 256, 1024, 30000};
  if (options & kToFiles) {
    client.InputFileMode = client.OutputFileMode = true;
    client.Body = "C:\\Apps\\Horalux\\Default.htm";
    client.Header = "C:\\Apps\\Horalux\\Head.txt";
  }
  try {
    client.Get(url);
  } catch (const EIdException&) {
  }
  fuzz::Require(!client.Busy(), "a fetch ends");
  const std::string body = options & kToFiles ? files.content(client.Body) : client.Body;
  const std::string header = options & kToFiles ? files.content(client.Header) : client.Header;
  fuzz::Require(body == "<missing>" || body.size() <= client.Limits.max_body,
                "the body stays within its limit");
  fuzz::Require(header == "<missing>" || header.size() <= client.Limits.max_header_block,
                "the header stays within its limit");
  // Whatever a URL or a reply holds, a request is its own lines: CR and LF
  // come only as the CR LF that ends each, and the empty line at the end.
  for (const std::string& request : network.requests) {
    if (request.empty()) continue;  // connected, nothing sent yet
    fuzz::Require(request.size() >= 4 && request.ends_with("\r\n\r\n"),
                  "a request ends with an empty line");
    const std::string lines = request.substr(0, request.size() - 2);
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (lines[i] == '\r') {
        fuzz::Require(i + 1 < lines.size() && lines[i + 1] == '\n', "a CR only ends a line");
        fuzz::Require(i > 0 && lines[i - 1] != '\n', "no empty line inside a request");
        ++i;
      } else {
        fuzz::Require(lines[i] != '\n', "a LF only ends a line");
      }
    }
  }
  return 0;
}
