// The browser's proxy in Horalux.exe under Wine: the question before an SNTP
// cycle, in a connection test and in a resident run, and the proxy box with
// its "← 自動取得" button. The internet settings are the prefix's own, put
// back after each test.
#include <windows.h>
#include <wincred.h>

#include <gtest/gtest.h>

#include <functional>

#include <string>
#include <utility>
#include <vector>

#include "tests/e2e/driver.h"
#include "tests/e2e/http_rig.h"
#include "tests/e2e/sync_checks.h"

namespace horalux::e2e {
namespace {

using tools::HttpReply;

constexpr char kQuestion[] =
    "プロキシが使われています。\r\nタイムサーバーに接続できません。\r\n\r\nHTTPプロトコルで取得しま"
    "すか。";
// SNTP by hand from a server nobody answers for: only HTTP can give a time.
constexpr char kSntpSettings[] =
    "cbSNTP=1\r\nedtSNTP=127.0.0.39\r\nudChouseiHTTP=0\r\ncbSetuzokuT=0\r\nudChien=1\r\n";

// The address is a plain field; the port is a numeric one.
Window FieldAfter(const Window& main, const char* label, const char* cls = "Edit") {
  return main.Control("Static", label).NextSibling(cls);
}

// Accepting the switch fetches by HTTP through the browser's proxy; the
// entry keeps the header of the source it began with.
void ExpectFetchedThroughProxy(const HttpCopy& copy, const std::string& last_line_start) {
  const auto lines = Lines(copy.Log().value_or(""));
  ASSERT_GE(lines.size(), 3u) << copy.Log().value_or("(no log)");
  EXPECT_TRUE(lines[1].ends_with(" ]任意設定(NTP/SNTP)")) << lines[1];
  EXPECT_TRUE(lines.back().starts_with(last_line_start)) << lines.back();
  EXPECT_NE(copy.HeaderCopy().value_or("").find("\r\nVia: "), std::string::npos);
}

// The proxy named by a proxy script (ProxyEnable 0), or by the fixed settings.
TEST(ProxyPrecheck, ConnectionTestOffersHttpThroughTheBrowsersProxy) {
  // One proxy for the whole test: Wine lets tinyproxy reach only the first
  // responder a test process opens. Asked directly, it serves the script.
  ProxiedResponder proxy;
  proxy.responder().answer_all(HttpReply::TimePage());
  const HttpReply script =
      HttpReply::Ok("function FindProxyForURL(url, host) {\n  return \"PROXY " +
                    proxy.proxy_server() + "; DIRECT\";\n}\n");
  const std::string script_url =
      "http://127.0.0.1:" + std::to_string(proxy.responder().port()) + "/proxy.pac";
  for (const auto& [answer, url] :
       {std::pair{"いいえ", script_url}, {"はい", script_url}, {"いいえ", ""}, {"はい", ""}}) {
    SCOPED_TRACE(answer + (" " + url));
    InternetSettingsProxy settings(proxy.proxy_server(), false, url);
    if (!url.empty()) proxy.responder().queue(script);
    HttpCopy copy(kSntpSettings);
    Process app;
    Window main = copy.StartWindow(app);
    ASSERT_EQ(main.PushButton("接続テスト").Click(), Settled::Blocked);
    MessageBoxWindow box = app.WaitMessageBox();
    EXPECT_EQ(box.Text(), kQuestion);
    EXPECT_EQ(DefaultButton(box), IDYES);
    box.Press(answer);
    main.Send(WM_NULL);  // the handler has returned
    if (answer == std::string("いいえ")) {
      EXPECT_FALSE(copy.Log().has_value()) << *copy.Log();
      EXPECT_FALSE(main.RadioButton("HTTP").Checked());
    } else {
      WaitUntil([&] { return copy.Log().has_value(); }, "the entry");
      ExpectFetchedThroughProxy(copy, "接続成功( Http )");
      EXPECT_NE(proxy.AccessLog().find("GET http://jjy.nict.go.jp/cgi-bin/JST.cgi"), std::string::npos);
      EXPECT_TRUE(main.RadioButton("HTTP").Checked());
      EXPECT_TRUE(main.CheckBox("プロキシサーバーを使用する").Checked());
      EXPECT_EQ(FieldAfter(main, "アドレス：").Text(), "127.0.0.1");
      EXPECT_EQ(FieldAfter(main, "ポート　：", "TOrNumEdit").Text(),
                std::to_string(proxy.proxy_port()));
    }
    main.Close();
    EXPECT_EQ(app.WaitExit(), 0u);
  }
}

TEST(ProxyPrecheck, ResidentRunAsksWithTheWindowHiddenAndLeavesTheSettingsFile) {
  ASSERT_TRUE(InJapanTime()) << kNeedsJapanTime;
  ProxiedResponder proxy;
  // 0.3 s ahead: a correction Wine carries out as a no-op.
  proxy.responder().answer_all(HttpReply::TimePage(300));
  InternetSettingsProxy settings(proxy.proxy_server());
  HttpCopy copy(kSntpSettings);
  const auto ini = copy.Settings();
  Process app = copy.Start({"-R"});
  MessageBoxWindow box = app.WaitMessageBox(Millis(20000));
  EXPECT_EQ(box.Text(), kQuestion);
  EXPECT_TRUE(app.TopWindows({.cls = kMainWindowClass}).empty()) << "the window is shown";
  box.Press("はい");
  ASSERT_TRUE(app.WaitExit(Millis(30000)).has_value())
      << copy.Log().value_or("(no log)") << app.DescribeWindows();
  ExpectFetchedThroughProxy(copy, "以前の時刻は、取得した時刻より ");
  EXPECT_EQ(copy.Settings(), ini);
}

// The edit field's background, sampled right of its text.
COLORREF FieldColor(const Window& field) {
  const Size size = field.ClientSize();
  return ShownColorAt(field, {size.width - 4, size.height / 2});
}

TEST(ProxyBox, AutoFetchFillsTheFieldsOrSwitchesTheProxyOff) {
  HttpCopy copy("cbProxy=1\r\nedtProxy=old.example\r\nedtPort=8080\r\ncbNoCkProxy=1\r\n");
  Process app;
  Window main = copy.StartWindow(app);
  main.PushButton("HTTP").Click();
  const Window box = main.CheckBox("プロキシサーバーを使用する");
  const Window address = FieldAfter(main, "アドレス："),
               port = FieldAfter(main, "ポート　：", "TOrNumEdit");

  ASSERT_EQ(main.PushButton("← 自動取得").Click(), Settled::Blocked);
  MessageBoxWindow message = app.WaitMessageBox();
  EXPECT_EQ(message.Text(), "プロキシは使われておりません。");
  message.Press("OK");
  EXPECT_FALSE(box.Checked());
  EXPECT_EQ(address.Text(), "");
  EXPECT_EQ(port.Text(), "0");
  EXPECT_TRUE(PollUntil([&] { return FieldColor(address) == RGB(192, 192, 192); }));
  SaveScreenshot(ArtifactsDir() / L"http-tab-proxy-unticked.bmp", main);

  InternetSettingsProxy settings("proxy.example:3128");
  box.Click();
  EXPECT_EQ(main.PushButton("← 自動取得").Click(), Settled::Done);
  EXPECT_TRUE(box.Checked());
  EXPECT_EQ(address.Text(), "proxy.example");
  EXPECT_EQ(port.Text(), "3128");
  EXPECT_TRUE(PollUntil([&] { return FieldColor(address) == GetSysColor(COLOR_WINDOW); }));
  SaveScreenshot(ArtifactsDir() / L"http-tab-proxy-ticked.bmp", main);
  main.Close();
  EXPECT_EQ(app.WaitExit(), 0u);
}

// A browser setting the program cannot read is shown with its own text, both
// before a cycle and behind "← 自動取得", and changes nothing on screen.
TEST(ProxyBox, UnreadableBrowserSettingIsShownAndChangesNothing) {
  InternetSettingsProxy settings("proxy.example:3128", true);
  HttpCopy copy("cbProxy=1\r\nedtProxy=old.example\r\nedtPort=8080\r\n");
  Process app;
  Window main = copy.StartWindow(app);
  main.PushButton("HTTP").Click();
  for (const char* button : {"← 自動取得", "接続テスト"}) {
    SCOPED_TRACE(button);
    if (button == std::string("接続テスト"))
      main.Control({.cls = "SysTabControl32"}).SelectTab("　　基本設定　　");
    ASSERT_EQ(main.PushButton(button).Click(), Settled::Blocked);
    MessageBoxWindow box = app.WaitMessageBox();
    EXPECT_EQ(box.Text(), "レジストリの値[ProxyEnable]が読めません。");
    box.Press("OK");
    main.Send(WM_NULL);  // the handler has returned
    EXPECT_FALSE(main.RadioButton("HTTP").Checked());
    EXPECT_TRUE(main.CheckBox("プロキシサーバーを使用する").Checked());
    EXPECT_EQ(FieldAfter(main, "アドレス：").Text(), "old.example");
    EXPECT_EQ(FieldAfter(main, "ポート　：", "TOrNumEdit").Text(), "8080");
  }
  EXPECT_FALSE(copy.Log().has_value()) << *copy.Log();
  main.Close();
  EXPECT_EQ(app.WaitExit(), 0u);
}

// A company proxy that asks for a password: squid with Basic authentication.
constexpr char kProxyUser[] = "alice";
constexpr char kProxyPassword[] = "s3cret";

// The result lines of one connection test by HTTP through the proxy at
// `port`; `login` deals with the credentials window when one is expected.
std::vector<std::string> TestThroughProxy(std::uint16_t port,
                                          const std::function<void(Process&)>& login = {}) {
  HttpCopy copy(
      "rbHTTP=1\r\nudChouseiHTTP=0\r\ncbNoCkProxy=1\r\ncbProxy=1\r\nedtProxy=127.0.0.1\r\n"
      "cbSetuzokuT=0\r\nedtPort=" +
      std::to_string(port) + "\r\n");
  Process app;
  Window main = copy.StartWindow(app);
  main.PushButton("接続テスト").Click(Millis(0));
  if (login) login(app);
  WaitUntil([&] { return copy.Log().has_value(); }, "the entry", Millis(30000));
  main.Send(WM_NULL);
  std::vector<std::string> lines = Lines(copy.Log().value_or(""));
  main.Close();
  EXPECT_EQ(app.WaitExit(), 0u);
  if (lines.size() >= 2) lines.erase(lines.begin(), lines.begin() + 2);
  return lines;
}

// Types into the credentials window for the proxy at `port` and presses `button`.
std::function<void(Process&)> Login(std::uint16_t port, const char* button, const char* user = "",
                                    const char* password = "") {
  return [=](Process& app) {
    Window login = app.WaitWindow({.cls = "THoraluxProxyLogin", .title = "Horalux"});
    EXPECT_TRUE(login.FindControl(
        {.cls = "Static",
         .text = "プロキシサーバー 127.0.0.1:" + std::to_string(port) +
                 " の認証が必要です。\r\nユーザー名とパスワードを入力してください。"}));
    EXPECT_TRUE(login.CheckBox("このパスワードを保存する").Checked());
    login.Control("Static", "ユーザー名：").NextSibling("Edit").SetText(user);
    login.Control("Static", "パスワード：").NextSibling("Edit").SetText(password);
    login.PushButton(button).Click(Millis(0));
  };
}

TEST(ProxyAuthentication, BasicAsksOnceInATestThenUsesTheStoredPassword) {
  ASSERT_TRUE(InJapanTime()) << kNeedsJapanTime;
  ProxiedResponder proxy(
      {.squid = true, .squid_auth = std::string("basic ") + kProxyUser + " " + kProxyPassword});
  proxy.responder().answer_all(HttpReply::TimePage(300).WithDate());
  const std::wstring target = L"Horalux proxy 127.0.0.1:" + std::to_wstring(proxy.proxy_port());
  const std::vector<std::string> refused = {
      "プロキシサーバーの認証が必要です(202)。",
      "接続テストで、ユーザー名とパスワードを入力してください。", "< Fennick標準時１ >"};
  const std::vector<std::string> tested = {"接続テストのみ実施", "接続成功( Http )"};

  EXPECT_EQ(TestThroughProxy(proxy.proxy_port(), Login(proxy.proxy_port(), "キャンセル")), refused);
  EXPECT_EQ(TestThroughProxy(proxy.proxy_port(),
                             Login(proxy.proxy_port(), "OK", kProxyUser, kProxyPassword)),
            tested);
  PCREDENTIALW stored = nullptr;
  ASSERT_TRUE(CredReadW(target.c_str(), CRED_TYPE_GENERIC, 0, &stored));
  EXPECT_EQ(stored->Persist, static_cast<DWORD>(CRED_PERSIST_LOCAL_MACHINE));
  CredFree(stored);
  // No window this time: a test that asked would never end.
  EXPECT_EQ(TestThroughProxy(proxy.proxy_port()), tested);

  const std::string log = proxy.AccessLog();
  EXPECT_NE(log.find(" TCP_DENIED/407 "), std::string::npos) << log;
  EXPECT_NE(log.find(" alice FIRSTUP_PARENT/"), std::string::npos) << log;
  CredDeleteW(target.c_str(), CRED_TYPE_GENERIC, 0);
}

// A 5xx page carries the proxy's (or a broken server's) clock: no time.
// squid's own page for a web server it cannot reach, and a 503 it passes on.
TEST(ProxyAuthentication, AnErrorPageThroughTheProxyIsNoTime) {
  const std::vector<std::string> no_time = {"HTTP で時刻が取得できません(201)。",
                                            "インターネットには接続されていますか。",
                                            "< Fennick標準時１ >"};
  for (bool down : {true, false}) {
    ProxiedResponder proxy({.squid = true, .squid_auth = "", .web_server_down = down});
    HttpReply unavailable = HttpReply::Ok(HttpReply::TimePage().body).WithDate();
    unavailable.head.replace(9, 6, "503 Service Unavailable");
    proxy.responder().answer_all(unavailable);
    EXPECT_EQ(TestThroughProxy(proxy.proxy_port()), no_time);
    const std::string log = proxy.AccessLog();
    EXPECT_NE(log.find(down ? " TCP_MISS/502 " : " TCP_MISS/503 "), std::string::npos) << log;
  }
}

}  // namespace
}  // namespace horalux::e2e
