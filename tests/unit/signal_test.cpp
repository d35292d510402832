#include "core/controls/signal.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "core/controls/controls.h"

namespace horalux {
namespace {

// Two observers, a then b; what a does while the signal is raised twice.
struct Rig {
  std::unique_ptr<Signal> signal = std::make_unique<Signal>();
  Connection a, b;
  std::string heard;
};

TEST(Signal, ObserversHearEachRaiseInOrderWhileTheirConnectionLives) {
  struct Row {
    const char* what;
    void (*during_a)(Rig&);
    const char* heard;
  } rows[] = {
      {"both, in the order they connected", [](Rig&) {}, "abab"},
      {"a drops itself: it runs on, and not again", [](Rig& r) { r.a.disconnect(); }, "abb"},
      {"a drops b: b stops at once", [](Rig& r) { r.b = Connection(); }, "aa"},
      {"a ends the signal: the raise ends safely", [](Rig& r) { r.signal.reset(); }, "ab"},
  };
  for (const Row& row : rows) {
    Rig r;
    r.a = r.signal->connect([&] {
      r.heard += 'a';
      row.during_a(r);
    });
    r.b = r.signal->connect([&] { r.heard += 'b'; });
    for (int raise = 0; raise < 2 && r.signal; ++raise) r.signal->emit();
    EXPECT_EQ(r.heard, row.heard) << row.what;
  }
}

TEST(HandlerTable, RefusesASecondBindingOfAnEventUntilTheFirstIsGone) {
  TButton button("btnJikkou");
  int clicks = 0;
  auto events = std::make_unique<HandlerTable>("fmJikoku");
  events->Bind({{button.OnClick, "btnJikkou.OnClick", [&] { ++clicks; }}});
  const Connection view = button.OnClick.connect([] {});  // observing is no binding
  HandlerTable other("MainWindow");
  try {
    other.Bind({{button.OnClick, "btnJikkou.OnClick", [] {}}});
    ADD_FAILURE() << "a second binding was taken";
  } catch (const std::logic_error& e) {
    EXPECT_STREQ(e.what(), "MainWindow: btnJikkou.OnClick is bound twice");
  }
  button.Click();
  events.reset();  // unbinds
  button.Click();
  other.Bind({{button.OnClick, "btnJikkou.OnClick", [&] { clicks += 10; }}});
  button.Click();
  EXPECT_EQ(clicks, 11);
}

}  // namespace
}  // namespace horalux
