#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/fakes/http_get_error.h"
#include "core/net/http_client.h"
#include "core/net/time_page.h"
#include "core/base/date_time.h"
#include "tools/lib/http_responder.h"
#include "win32/net/tcp_session.h"
#include "win32/platform/win_clock.h"
#include "win32/platform/win_files.h"
#include "win32/platform/win_pump.h"

namespace horalux {
namespace {

using tools::HttpReply;
using tools::HttpResponder;

// tests/hosts maps the first source's host to 127.0.0.71.
const char kPageHost[] = "jjy.nict.go.jp";

struct Rig {
  WinPump pump;
  WinTcpNetwork network{pump};
  WinClock clock;
  WinFiles files;
  THttpClient client{network, pump, clock, files};
  HttpResponder server{"127.0.0.71"};
  std::string head_path;
  Rig() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    char narrow[MAX_PATH * 3];
    WideCharToMultiByte(CP_UTF8, 0, temp, -1, narrow, sizeof narrow, nullptr, nullptr);
    head_path = std::string(narrow) + "horalux-http-test-head.txt";
    client.Header = head_path;
    client.TimeOut = 1000;
  }
  ~Rig() { DeleteFileA(head_path.c_str()); }
  std::string Url(const std::string& path) {
    return "http://" + std::string(kPageHost) + ":" + std::to_string(server.port()) + path;
  }
  // The message of the error Get raises, or "" when it returns.
  std::string Get(const std::string& url) { return fakes::GetError(client, url); }
};

HttpReply Chunked(const std::string& body, std::size_t chunk) {
  HttpReply r = HttpReply::Ok(body);
  r.chunk = chunk;
  return r;
}

TEST(HttpExchange, ScriptedServersEndAsExpected) {
  const std::string big(65536, 'b');
  HttpReply open_after = HttpReply::Ok("kept");
  open_after.hold_open = true;
  HttpReply endless_body = HttpReply::Ok("");
  endless_body.endless = true;
  HttpReply endless_line = HttpReply::Ok("");
  endless_line.head = "HTTP/1.0 200 OK\r\nX-Long: ";
  endless_line.endless = true;
  HttpReply drip = HttpReply::Ok("");
  drip.endless = true;
  drip.drip_ms = 300;  // silence stays under TimeOut; the deadline ends it
  HttpReply no_reason = HttpReply::Ok("plain");
  no_reason.head = "HTTP/1.0 200\r\n\r\n";
  HttpReply not_found = HttpReply::Ok("gone");
  not_found.head = "HTTP/1.0 404 Not Found\r\n\r\n";
  HttpReply loop = HttpReply::Redirect("302 Found", "/loop");

  struct Case {
    const char* name;
    std::vector<HttpReply> replies;
    std::string error;
    std::string body;
    int requests;
    std::uint32_t deadline_ms = 0;  // else the default, and the case must not meet it
  } cases[] = {
      {"64 KiB in one chunk", {Chunked(big, 0)}, "", big, 1},
      {"close right after the header", {HttpReply::Ok("")}, "", "", 1},
      {"connection kept open", {open_after}, "Socket capture aborted", "", 1},
      {"404", {not_found}, "", "gone", 1},
      {"status line without reason", {no_reason}, "", "plain", 1},
      {"relative 302 then absolute 301",
       {HttpReply::Redirect("302 Found", "/next.cgi"),
        HttpReply::Redirect("301 Moved", "http://127.0.0.71:PORT/last"), HttpReply::Ok("end")},
       "",
       "end",
       3},
      {"redirect loop", {loop, loop, loop, loop, loop, loop}, "Too many redirects", "moved", 6},
      {"endless body", {endless_body}, "Body too long", "", 1},
      {"endless header line", {endless_line}, "Header line too long", "Default.htm", 1},
      {"drip server", {drip}, "Socket capture aborted", "", 1, 2500},
  };
  for (Case& c : cases) {
    Rig rig;
    if (c.deadline_ms) rig.client.Limits.deadline_ms = c.deadline_ms;
    for (HttpReply& r : c.replies) {
      std::size_t at = r.head.find("PORT");
      if (at != std::string::npos) r.head.replace(at, 4, std::to_string(rig.server.port()));
      rig.server.queue(r);
    }
    DWORD start = GetTickCount();
    EXPECT_EQ(rig.Get(rig.Url("/page")), c.error) << c.name;
    DWORD took = GetTickCount() - start;
    if (c.deadline_ms) {  // ended by the deadline, not by silence
      EXPECT_GE(took + 20, c.deadline_ms) << c.name;
      EXPECT_LT(took, c.deadline_ms + 1000u) << c.name;
    }
    EXPECT_EQ(rig.client.Body.size(), c.body.size()) << c.name;
    EXPECT_TRUE(rig.client.Body == c.body) << c.name;
    EXPECT_EQ(static_cast<int>(rig.server.requests().size()), c.requests) << c.name;
  }
}

// Each byte is a send of its own, so the sending alone may take long on a
// busy machine: the limit here is silence, not the whole fetch.
TEST(HttpExchange, A64KiBBodyIn1ByteChunksArrivesWhole) {
  Rig rig;
  rig.client.Limits.deadline_ms = 24 * 3600 * 1000;
  rig.client.TimeOut = 10000;
  const std::string big(65536, 'b');
  rig.server.queue(Chunked(big, 1));
  EXPECT_EQ(rig.Get(rig.Url("/page")), "");
  EXPECT_TRUE(rig.client.Body == big);
}

TEST(HttpExchange, RequestBytesAndTheCookieRoundTrip) {
  Rig rig;
  rig.server.queue(HttpReply::Redirect("302 Found", "/in", "session=42"));
  rig.server.queue(HttpReply::Ok("welcome"));
  EXPECT_EQ(rig.Get(rig.Url("/login")), "");
  std::vector<std::string> sent = rig.server.requests();
  ASSERT_EQ(sent.size(), 2u);
  const std::string accept =
      "Accept: www/source, text/html, video/mpeg, image/jpeg, image/x-tiff\r\n"
      "Accept: image/x-rgb, image/x-xbm, image/gif, */*, application/postscript\r\n";
  const std::string end =
      "Content-type: application/x-www-form-urlencoded\r\n"
      "Pragma: no-cache\r\nCache-Control: no-cache\r\n\r\n";
  EXPECT_EQ(sent[0],
            "GET /login HTTP/1.0\r\nHost: " + std::string(kPageHost) + "\r\n" + accept + end);
  EXPECT_EQ(sent[1], "GET /in HTTP/1.0\r\nHost: " + std::string(kPageHost) + "\r\n" + accept +
                         "Cookie: session=42\r\n" + end);
  EXPECT_EQ(rig.client.Body, "welcome");
}

TEST(HttpExchange, FailedLookupAndRefusedConnect) {
  Rig rig;
  EXPECT_EQ(rig.Get("http://no-such-host.example/"), "Null Remote Address");
  EXPECT_EQ(rig.Get("http://127.0.0.71:1/"), "Connection Failed");
}

TEST(HttpExchange, WindowTimersFireDuringAWaitAndCanCancelIt) {
  Rig rig;
  HttpReply silent = HttpReply::Ok("");
  silent.hold_open = true;
  rig.server.queue(silent);
  rig.client.TimeOut = 10000;
  int fired = 0;
  rig.pump.start_timer(77, 20, [&] {
    if (++fired == 10) rig.client.Cancel();
  });
  DWORD start = GetTickCount();
  EXPECT_EQ(rig.Get(rig.Url("/")), "Socket capture aborted");
  rig.pump.stop_timer(77);
  EXPECT_EQ(fired, 10);
  EXPECT_LT(GetTickCount() - start, 5000u);  // well before the 10 s time-out
}

TEST(HttpExchange, GetHttpTimeReadsJapanTimeFromTheStandardPage) {
  Rig rig;
  rig.server.queue(HttpReply::TimePage());
  FILETIME ft;
  GetSystemTimePreciseAsFileTime(&ft);
  SYSTEMTIME st;
  FileTimeToSystemTime(&ft, &st);
  double utc_now = EncodeDateTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond,
                                  st.wMilliseconds);
  double page = GetHttpTime(rig.client, rig.Url("/cgi-bin/JST.cgi"), st.wYear, rig.head_path);
  EXPECT_NEAR((page - utc_now) * kSecondsPerDay, 9 * 3600, 1.0);
  HANDLE copy =
      CreateFileA(rig.head_path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(copy, INVALID_HANDLE_VALUE);
  if (copy != INVALID_HANDLE_VALUE) CloseHandle(copy);
}

}  // namespace
}  // namespace horalux
