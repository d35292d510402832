#pragma once
#include <deque>
#include <string>
#include <vector>

#include "core/engine/sntp_source.h"
#include "tests/fakes/fake_clock.h"

namespace horalux::fakes {

// A time source whose exchanges are scripted one by one. A silent exchange
// costs the receive time-out on the fake clock, as a real one would.
class FakeSntp : public SntpSource {
 public:
  explicit FakeSntp(FakeClock& clock) : clock_(clock) {}
  struct Exchange {
    enum class Kind { Time, Silent, Raise } kind = Kind::Silent;
    double value = 0.0;
    std::string error;
  };
  static Exchange Time(double local) { return {Exchange::Kind::Time, local, {}}; }
  static Exchange Silent() { return {Exchange::Kind::Silent, 0.0, {}}; }
  static Exchange Raise(const std::string& what) { return {Exchange::Kind::Raise, 0.0, what}; }

  std::string Host() const override { return host; }
  void SetHost(const std::string& h) override { host = h; }
  bool Active() const override { return active; }
  void SetActive(bool a) override;
  void SetBroadcastEnabled(bool enabled) override { broadcast = enabled; }
  double QueryTime() override;

  std::string host = "0.jp.pool.ntp.org";
  bool active = false;
  bool broadcast = true;
  int receive_timeout_ms = 1000;
  std::deque<Exchange> script;  // an empty script answers with silence
  std::vector<std::string> queried_hosts;
  int opens = 0;

 private:
  FakeClock& clock_;
};

}  // namespace horalux::fakes
