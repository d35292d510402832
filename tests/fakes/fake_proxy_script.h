#pragma once
#include <memory>
#include <optional>
#include <string>

#include "core/platform/clock.h"
#include "core/platform/proxy_script.h"

namespace horalux::fakes {

// A script that answers `answer` once `delay_ms` have passed on the clock.
struct FakeProxyScript : ProxyScript {
  struct Pending : Lookup {
    explicit Pending(FakeProxyScript& s) : script(s), at(s.clock.tick_count() + s.delay_ms) {}
    bool finished() override { return std::int32_t(script.clock.tick_count() - at) >= 0; }
    std::optional<std::string> answer() override { return script.answer; }
    FakeProxyScript& script;
    std::uint32_t at;
  };
  explicit FakeProxyScript(Clock& c) : clock(c) {}
  std::unique_ptr<Lookup> start(const std::string&, const std::string&) override {
    return std::make_unique<Pending>(*this);
  }
  Clock& clock;
  std::uint32_t delay_ms = 0;
  std::optional<std::string> answer = "DIRECT";
};

}  // namespace horalux::fakes
