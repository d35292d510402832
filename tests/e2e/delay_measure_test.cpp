// "← 測定" on the SNTP page of Horalux.exe under Wine, against the test
// responder answering 30 ms late: the fine adjustment it sets and says.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <string>

#include "tests/e2e/driver.h"
#include "tests/e2e/sync_checks.h"
#include "tools/lib/sntp_responder.h"

namespace horalux::e2e {
namespace {

TEST(DelayMeasure, SetsTheFineAdjustmentToTheMeasuredLag) {
  auto responder = Responder("127.0.0.35");
  tools::SntpAnswer late = tools::SntpAnswer::TrueTime();
  late.delay_ms = 30;
  responder->answer_all(late);
  ProgramCopy copy("[Jikoku]\r\ncbSNTP=1\r\nedtSNTP=127.0.0.35\r\n");
  Process app;
  Window main = copy.StartWindow(app);
  main.PushButton("NTP/SNTP").Click();
  Window field = main.Control({.cls = "TOrNEdit", .text = "200"});

  ASSERT_EQ(main.PushButton("← 測定").Click(Millis(20000)), Settled::Blocked);
  MessageBoxWindow box = app.WaitMessageBox();
  std::printf("message: %s\nfield: %s\n", box.Text().c_str(), field.Text().c_str());
  EXPECT_EQ(box.Title(), "Horalux");
  std::smatch said;
  const std::string text = box.Text();
  ASSERT_TRUE(std::regex_match(
      text, said,
      std::regex("時刻サーバーまでの遅れを測りました（8回中の最小）。\r\n微調整を ([0-9]+) ms "
                 "にしました。")))
      << text;
  // Half of one late reply plus a whole one, and what Wine adds.
  const int value = std::stoi(said[1]);
  EXPECT_GE(value, 45);
  EXPECT_LE(value, 150);
  EXPECT_EQ(field.Text(), said[1].str());
  EXPECT_EQ(responder->request_count(), 16);
  box.Press("OK");

  main.Close();
  EXPECT_EQ(app.WaitExit(), 0u);
  EXPECT_EQ(ReadIni(copy / "Horalux.ini", "Jikoku", "udChouseiSNTP"), said[1].str());
}

}  // namespace
}  // namespace horalux::e2e
