#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "core/engine/sntp_delay_measure.h"
#include "tests/fakes/fake_pump.h"
#include "tests/fakes/fake_ui.h"
#include "tests/fakes/form_rig.h"

namespace horalux {
namespace {

constexpr std::uint32_t kT2Seconds = 3365971200u;
constexpr std::int64_t kUnitsPerMs = 4294967296 / 1000;  // a hair under 1 ms

// The server's reply: received at kT2Seconds, sent `hold_units` (1/2^32 s) later.
std::vector<std::uint8_t> Reply(std::int64_t hold_units, std::uint8_t stratum = 2) {
  std::vector<std::uint8_t> bytes(48, 0);
  bytes[0] = 0x1C;  // server mode
  bytes[1] = stratum;
  const std::uint64_t t2 = std::uint64_t{kT2Seconds} << 32;
  const std::uint64_t t3 = t2 + static_cast<std::uint64_t>(hold_units);
  for (int i = 0; i < 8; ++i) {
    bytes[32 + i] = static_cast<std::uint8_t>(t2 >> (56 - 8 * i));
    bytes[40 + i] = static_cast<std::uint8_t>(t3 >> (56 - 8 * i));
  }
  return bytes;
}

// The network's answers, each with the milliseconds its wait takes.
struct Script {
  std::deque<double> wait_ms;
  fakes::FakeUdpNetwork* net;
  Script& Wait(double ms, fakes::ScriptedReply reply) {
    wait_ms.push_back(ms);
    net->replies.push_back(std::move(reply));
    return *this;
  }
  Script& Answer(double ms, std::vector<std::uint8_t> bytes) {
    fakes::ScriptedReply r;
    r.bytes = std::move(bytes);
    return Wait(ms, r);
  }
  Script& Fail(double ms, fakes::ScriptedReply::Kind kind, int error = 0) {
    fakes::ScriptedReply r;
    r.kind = kind;
    r.error = error;
    return Wait(ms, r);
  }
  // Exchange 1 answered after `rtt` ms with the hold time, exchange 2 after `second` ms.
  Script& Good(double rtt, std::int64_t hold_units, double second) {
    return Answer(rtt, Reply(hold_units)).Answer(second, Reply(0));
  }
};

std::string Said(int good, int ms) {
  return "時刻サーバーまでの遅れを測りました（" + std::to_string(good) +
         "回中の最小）。\r\n微調整を " + std::to_string(ms) + " ms にしました。";
}

TEST(SntpDelayMeasure, TakesTheSmallestGoodSampleOrChangesNothing) {
  using Kind = fakes::ScriptedReply::Kind;
  struct Row {
    const char* what;
    const char* host;
    std::function<void(Script&)> script;
    const char* field;
    std::string box;
  } rows[] = {
      {"hold time subtracted, second exchange added: (300 - 250) / 2 + 20", "localhost",
       [](Script& s) {
         for (int i = 0; i < 8; ++i) s.Good(300, 250 * kUnitsPerMs, 20);
       },
       "45", Said(8, 45)},
      {"the smallest, rounded to the millisecond", "127.0.0.1",
       [](Script& s) {
         for (double second : {30.0, 12.6, 25.0, 12.4, 40.0, 18.0, 12.7, 90.0})
           s.Good(10, 0, second);
       },
       "17", Said(8, 17)},
      {"bad replies, negative round trips and failures dropped", "localhost",
       [](Script& s) {
         s.Good(10, 250 * kUnitsPerMs, 1);  // round trip less hold below 0
         s.Good(10, -kUnitsPerMs, 1);       // sent before it received
         s.Answer(1, Reply(0, 0));          // stratum 0
         s.Answer(10, Reply(0)).Fail(1000, Kind::Silence);
         s.Fail(0, Kind::ReceiveFails, 10065);  // no route to host
         s.Good(100, 0, 300).Good(60, 0, 200).Good(10, 0, 1);
       },
       "6", Said(3, 6)},
      {"0 is a result", "localhost", [](Script& s) { s.Good(0, 0, 0); }, "0", Said(1, 0)},
      {"kept within the field's range", "localhost", [](Script& s) { s.Good(0, 0, 6000); }, "5000",
       Said(1, 5000)},
      {"no reply", "localhost", [](Script&) {}, "200",
       "時刻サーバーから応答がありませんでした。\r\n微調整は変更していません。"},
      {"a host the resolver does not know", "nowhere.invalid", [](Script&) {}, "200",
       "ホスト名（又はＩＰアドレス）を確認できません。\r\nHost = [nowhere.invalid]"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    fakes::FakeClock clock;
    fakes::FakeUdpNetwork net;
    fakes::FakePump pump;
    fakes::FakeBoxes boxes;
    JikokuScreen screen;
    screen.cbSNTP.SetChecked(true);
    screen.edtSNTP.SetText(row.host);
    Script script{{}, &net};
    row.script(script);
    net.on_wait = [&] {
      if (script.wait_ms.empty()) return;
      clock.advance_ms(script.wait_ms.front());
      script.wait_ms.pop_front();
    };
    SntpDelayMeasure measure({net, clock, pump, boxes, screen, [] { return false; }});
    measure.btnSokuteiClick();

    EXPECT_EQ(screen.edtChouseiSNTP.Text(), row.field);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].kind, "message");
    EXPECT_EQ(boxes.shown[0].text, row.box);
    // As typed: kept for undo.
    EXPECT_EQ(screen.edtChouseiSNTP.CanUndo(), row.field != std::string("200"));
    EXPECT_EQ(clock.sets.size(), 0u);
    EXPECT_EQ(net.open_sockets(), 0);
    EXPECT_TRUE(screen.btnJikkou.Enabled() && screen.btnSokutei.Enabled() &&
                screen.edtChouseiSNTP.Enabled());
  }
}

// The measurement has a time source of its own and never runs beside a
// cycle; closing the window ends it without a word.
TEST(SntpDelayMeasure, LeavesTheCyclesSourceAloneAndNeverRunsBesideACycle) {
  fakes::FormRig rig;
  rig.PutSettings("[Jikoku]\r\ncbSNTP=1\r\nedtSNTP=localhost\r\n");
  TfmJikoku& f = rig.Make({});
  f.FormCreate();
  JikokuScreen& s = f.Screen();
  // Another server than the measured one, as a rotation leaves it.
  f.IdSNTP1().SetHost("127.0.0.1");
  auto replies = [&](int n) {
    for (int i = 0; i < n; ++i) rig.network.reply(Reply(0));
  };
  // A click on "← 測定": whether it sent anything.
  auto measures = [&] {
    const std::size_t before = rig.network.sent.size();
    s.btnSokutei.Click();
    return rig.network.sent.size() != before;
  };
  replies(16);
  rig.pump.on_process = [&](int pass) {
    if (pass != 1) return;
    EXPECT_FALSE(s.btnSokutei.Enabled() || s.btnJikkou.Enabled() || s.edtChouseiSNTP.Enabled());
    EXPECT_FALSE(measures()) << "a measurement inside a measurement";
  };
  ASSERT_TRUE(measures());
  EXPECT_EQ(rig.network.sent.size(), 16u);
  EXPECT_EQ(f.IdSNTP1().Host(), "127.0.0.1");
  EXPECT_FALSE(f.IdSNTP1().Active());
  EXPECT_EQ(rig.LogText().find("測"), std::string::npos);

  // While a cycle runs the button is grey, and a click does nothing.
  std::vector<bool> enabled_in_cycle;
  rig.network.on_wait = [&] {
    enabled_in_cycle.push_back(s.btnSokutei.Enabled());
    EXPECT_FALSE(measures()) << "a measurement inside a cycle";
  };
  replies(2);
  s.btnJikkou.Click();
  EXPECT_EQ(enabled_in_cycle, std::vector<bool>(2, false));
  EXPECT_TRUE(s.btnSokutei.Enabled());

  // The window closes in the first pause: no box, the field as it was.
  rig.network.on_wait = nullptr;
  rig.boxes.shown.clear();
  s.edtChouseiSNTP.SetText("123");
  rig.pump.on_process = [&](int) { f.FormCloseQuery(); };
  replies(2);
  const std::size_t sent = rig.network.sent.size();
  s.btnSokutei.Click();
  EXPECT_EQ(rig.network.sent.size(), sent + 2);
  EXPECT_TRUE(rig.boxes.shown.empty());
  EXPECT_EQ(s.edtChouseiSNTP.Text(), "123");
}

}  // namespace
}  // namespace horalux
