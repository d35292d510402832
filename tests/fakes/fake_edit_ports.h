#pragma once
#include <string>

#include "core/platform/beeper.h"
#include "core/platform/clipboard.h"

namespace horalux::fakes {

class FakeClipboard : public Clipboard {
 public:
  bool has_text() override { return holds_text; }
  std::string text() override { return holds_text ? content : ""; }
  void set_text(const std::string& t) override {
    content = t;
    holds_text = true;
  }
  std::string content;
  bool holds_text = false;
};

class FakeBeeper : public Beeper {
 public:
  void beep() override { ++beeps; }
  int beeps = 0;
};

}  // namespace horalux::fakes
