#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/fakes/http_get_error.h"
#include "core/net/http_client.h"
#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_tcp.h"
#include "tests/fakes/memory_files.h"

namespace horalux {
namespace {

struct Rig {
  fakes::FakeClock clock;
  fakes::FakeTcpNetwork network{clock};
  fakes::ClockedPump pump{clock, network};
  fakes::MemoryFiles files;
  THttpClient client{network, pump, clock, files};
  Rig() {
    network.hosts["www.example.jp"] = Ipv4Address{{127, 0, 0, 71}};
    network.hosts["proxy.lan"] = Ipv4Address{{127, 0, 0, 9}};
    files.add_folder("C:\\Work");
    client.Header = "C:\\Work\\Head.txt";
    client.OutputFileMode = true;
  }
  void Reply(const std::string& bytes) { network.replies.push_back({bytes}); }
  // The message of the error Get raises, or "" when it returns.
  std::string Get(const std::string& url) { return fakes::GetError(client, url); }
};

const char kAccept[] =
    "Accept: www/source, text/html, video/mpeg, image/jpeg, image/x-tiff\r\n"
    "Accept: image/x-rgb, image/x-xbm, image/gif, */*, application/postscript\r\n"
    "Content-type: application/x-www-form-urlencoded\r\n"
    "Pragma: no-cache\r\nCache-Control: no-cache\r\n\r\n";

TEST(HttpClientRequest, IsSentByteForByteDirectAndThroughAProxy) {
  struct Case {
    const char* proxy;
    const char* url;
    const char* connected_to;
    std::string request;
  } cases[] = {
      {"", "http://www.example.jp/cgi-bin/JST.cgi", "127.0.0.71:80",
       std::string("GET /cgi-bin/JST.cgi HTTP/1.0\r\nHost: www.example.jp\r\n") + kAccept},
      {"proxy.lan", "http://www.example.jp:8080/cgi-bin/JST.cgi", "127.0.0.9:3128",
       std::string("GET http://www.example.jp:8080/cgi-bin/JST.cgi HTTP/1.0\r\n"
                   "Proxy-Connection: Keep-Alive\r\nHost: www.example.jp\r\n") +
           kAccept},
      {"", "http://www.example.jp:8080", "127.0.0.71:8080",
       std::string("GET / HTTP/1.0\r\nHost: www.example.jp\r\n") + kAccept},
  };
  for (const Case& c : cases) {
    Rig rig;
    rig.client.Proxy = c.proxy;
    rig.client.ProxyPort = 3128;
    rig.Reply("HTTP/1.0 200 OK\r\n\r\nbody");
    EXPECT_EQ(rig.Get(c.url), "") << c.url;
    ASSERT_EQ(rig.network.requests.size(), 1u);
    EXPECT_EQ(rig.network.requests[0], c.request) << c.url;
    EXPECT_EQ(rig.network.connected_to[0], c.connected_to) << c.url;
    EXPECT_EQ(rig.client.Body, "body");
    EXPECT_EQ(rig.network.closes, 1);
  }
}

// Each row: what the servers do, and how Get ends.
TEST(HttpClientFaults, EndWithinTheirBoundsAndWithTheirErrors) {
  const std::string big_line = "X-Pad: " + std::string(8200, 'a') + "\r\n";
  std::string big_block = "HTTP/1.0 200 OK\r\n";
  while (big_block.size() < 70000) big_block += "X-Pad: " + std::string(1000, 'a') + "\r\n";
  const std::string kUntouched = "Default.htm";  // failed before the body
  const std::string loop = "HTTP/1.0 302 Found\r\nLocation: /again\r\n\r\n";
  struct Case {
    const char* name;
    std::vector<fakes::FakeTcpReply> replies;
    const char* url;
    std::string error;
    std::string body;
  } cases[] = {
      {"empty URL", {}, "", "Empty URL", kUntouched},
      {"https", {}, "https://www.example.jp/", "HTTP Secure Socket is not supported", kUntouched},
      {"port not a number",
       {},
       "http://www.example.jp:8o/",
       "'8o' is not a valid integer value",
       kUntouched},
      {"unknown host", {}, "http://nowhere.example/", "Null Remote Address", kUntouched},
      {"404 returns",
       {{"HTTP/1.0 404 Not Found\r\n\r\nmissing"}},
       "www.example.jp/x",
       "",
       "missing"},
      {"close after header", {{"HTTP/1.0 200 OK\r\n\r\n"}}, "www.example.jp/x", "", ""},
      {"silent after body",
       {{"HTTP/1.0 200 OK\r\n\r\nbody", false}},
       "www.example.jp/x",
       "Socket capture aborted",
       ""},
      {"content-length ends body",
       {{"HTTP/1.0 200 OK\r\nContent-Length: 4\r\n\r\nbodyMORE", false}},
       "www.example.jp/x",
       "",
       "body"},
      {"header line cap",
       {{"HTTP/1.0 200 OK\r\n" + big_line + "\r\n"}},
       "www.example.jp/x",
       "Header line too long",
       kUntouched},
      {"header block cap",
       {{big_block + "\r\n"}},
       "www.example.jp/x",
       "Header too long",
       kUntouched},
      {"body cap",
       {{"HTTP/1.0 200 OK\r\n\r\n", false, true}},
       "www.example.jp/x",
       "Body too long",
       ""},
      {"endless header line",
       {{"HTTP/1.0 200 OK\r\nX: ", false, true}},
       "www.example.jp/x",
       "Header line too long",
       kUntouched},
      {"drip within silence, past deadline",
       {{"HTTP/1.0 200 OK\r\n\r\n", false, true, 9000}},
       "www.example.jp/x",
       "Socket capture aborted",
       ""},
      {"redirect loop",
       {{loop}, {loop}, {loop}, {loop}, {loop}, {loop}, {loop}},
       "www.example.jp/x",
       "Too many redirects",
       ""},
      {"303 ends normally",
       {{"HTTP/1.0 303 See\r\nLocation: /y\r\n\r\nseen"}},
       "www.example.jp/x",
       "",
       "seen"},
      {"299 ends normally",
       {{"HTTP/1.0 299 Odd\r\nLocation: /y\r\n\r\nodd"}},
       "www.example.jp/x",
       "",
       "odd"},
  };
  for (Case& c : cases) {
    Rig rig;
    for (auto& r : c.replies) rig.network.replies.push_back(r);
    std::uint32_t start = rig.clock.tick_count();
    EXPECT_EQ(rig.Get(c.url), c.error) << c.name;
    EXPECT_EQ(rig.client.Body, c.body) << c.name;
    EXPECT_LE(rig.clock.tick_count() - start, 30010u) << c.name;
    EXPECT_FALSE(rig.client.Busy()) << c.name;
  }
}

TEST(HttpClientFaults, WaitsEndOnTimeOutAndOnCancel) {
  struct Case {
    const char* name;
    bool silent_lookups, silent_connects, cancel;
    std::string error;
  } cases[] = {
      {"lookup time-out", true, false, false, "Host Lookup Timed Out"},
      {"lookup cancel", true, false, true, "Host Lookup Canceled"},
      {"connect time-out", false, true, false, "Connection Timed out"},
      {"connect cancel", false, true, true, "Connection Canceled"},
  };
  for (const Case& c : cases) {
    Rig rig;
    rig.network.silent_lookups = c.silent_lookups;
    rig.network.silent_connects = c.silent_connects;
    if (c.cancel)
      rig.pump.on_process = [&](int pass) {
        if (pass == 3) rig.client.Cancel();
      };
    std::uint32_t start = rig.clock.tick_count();
    EXPECT_EQ(rig.Get("http://www.example.jp/"), c.error) << c.name;
    std::uint32_t took = rig.clock.tick_count() - start;
    if (c.cancel)
      EXPECT_LT(took, 20u) << c.name;
    else
      EXPECT_GE(took, 10000u) << c.name;
  }
}

TEST(HttpClientRedirects, KeepTheCookieForTheSameHostWithinOneGetOnly) {
  Rig rig;
  rig.network.hosts["other.example.jp"] = Ipv4Address{{127, 0, 0, 72}};
  rig.Reply("HTTP/1.0 302 Found\r\nLocation: next.cgi\r\nSet-Cookie: id=7; path=/\r\n\r\n");
  rig.Reply("HTTP/1.0 301 Moved\r\nLocation: http://other.example.jp/z\r\n\r\n");
  rig.Reply("HTTP/1.0 302 Found\r\n\r\n");  // no Location: the older one is not reused
  rig.Reply("HTTP/1.0 200 OK\r\n\r\ndone");
  rig.Reply("HTTP/1.0 200 OK\r\n\r\nagain");
  EXPECT_EQ(rig.Get("http://www.example.jp/a"), "");
  EXPECT_EQ(rig.Get("http://www.example.jp/a"), "");
  const auto& sent = rig.network.requests;
  ASSERT_EQ(sent.size(), 5u);
  EXPECT_EQ(sent[1].substr(0, 19), "GET /next.cgi HTTP/");
  EXPECT_NE(sent[1].find("Cookie: id=7; path=/\r\n"), std::string::npos);
  EXPECT_EQ(sent[2].find("Cookie:"), std::string::npos);  // another host
  EXPECT_EQ(sent[3].substr(0, 14), "GET / HTTP/1.0");
  EXPECT_EQ(sent[3].find("Host: other.example.jp\r\n") != std::string::npos, true);
  EXPECT_EQ(sent[4].find("Cookie:"), std::string::npos);  // a new Get
  EXPECT_EQ(rig.client.Body, "again");
}

// Whatever a server says, no request of ours gains a line or goes to a port
// the URL did not mean.
TEST(HttpClientHostileReplies, NothingIsSentThatTheReplyWouldBend) {
  struct Case {
    const char* name;
    const char* url;
    std::vector<std::string> replies;
    std::string error;
    std::size_t sent;
  } cases[] = {
      {"Location with a bare CR",
       "http://www.example.jp/a",
       {"HTTP/1.0 302 Found\r\nLocation: /x\rHELO evil\r\n\r\n"},
       "Invalid character in URL",
       1},
      {"Location with port 70000",
       "http://www.example.jp/a",
       {"HTTP/1.0 302 Found\r\nLocation: http://www.example.jp:70000/x\r\n\r\n"},
       "Invalid port in URL",
       1},
      {"URL with a LF", "http://www.example.jp/a\nX: y", {}, "Invalid character in URL", 0},
      {"URL with a blank", "http://www.example.jp/a b", {}, "Invalid character in URL", 0},
      {"URL with DEL", "http://www.example.jp/a\x7f", {}, "Invalid character in URL", 0},
      {"URL with port 0", "http://www.example.jp:0/", {}, "Invalid port in URL", 0},
      {"status 65838 is no 302",
       "http://www.example.jp/a",
       {"HTTP/1.0 65838 Odd\r\nLocation: /y\r\n\r\n"},
       "",
       1},
  };
  for (const Case& c : cases) {
    Rig rig;
    for (const std::string& r : c.replies) rig.Reply(r);
    EXPECT_EQ(rig.Get(c.url), c.error) << c.name;
    EXPECT_EQ(rig.network.requests.size(), c.sent) << c.name;
  }
  Rig rig;
  rig.Reply("HTTP/1.0 65838 Odd\r\n\r\n");
  rig.Get("http://www.example.jp/a");
  EXPECT_EQ(rig.client.Status(), 65838);
}

TEST(HttpClientHostileReplies, ACookieThatCouldSplitALineIsNotSentBack) {
  Rig rig;
  rig.Reply("HTTP/1.0 302 Found\r\nLocation: /b\r\nSet-Cookie: id=7\rX-Evil: 1\r\n\r\n");
  rig.Reply("HTTP/1.0 200 OK\r\n\r\ndone");
  EXPECT_EQ(rig.Get("http://www.example.jp/a"), "");
  ASSERT_EQ(rig.network.requests.size(), 2u);
  EXPECT_EQ(rig.network.requests[1].find("Cookie"), std::string::npos);
  EXPECT_EQ(rig.network.requests[1].find("X-Evil"), std::string::npos);
}

TEST(HttpClientHeaderCopy, HoldsTheHeaderBlockAndNeverFailsAGoodFetch) {
  const std::string head = "HTTP/1.0 200 OK\r\nVia: 1.1 proxy\r\n\r\n";
  Rig rig;
  rig.Reply(head + "page");
  EXPECT_EQ(rig.Get("http://www.example.jp/"), "");
  EXPECT_EQ(rig.files.content("C:\\Work\\Head.txt"), head);
  rig.files.read_only_paths.insert("C:\\WORK\\HEAD.TXT");
  rig.Reply("HTTP/1.0 200\r\n\r\npage2");
  EXPECT_EQ(rig.Get("http://www.example.jp/"), "");
  EXPECT_EQ(rig.client.Body, "page2");
  EXPECT_EQ(rig.client.Status(), 0);  // no reason phrase
}

}  // namespace
}  // namespace horalux
