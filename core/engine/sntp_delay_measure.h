#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/net/sntp.h"
#include "core/platform/boxes.h"
#include "core/platform/clock.h"
#include "core/platform/message_pump.h"
#include "core/platform/udp_socket.h"
#include "core/settings/jikoku_screen.h"

namespace horalux {

// The cycle takes the server's transmit time as it is and compares it with
// the PC clock only after the attempt's second exchange: the fine adjustment
// "udChouseiSNTP" has to make up for that lag. The lag is half the first
// exchange's round trip less the server's hold time, plus the time from the
// first reply to the end of the second exchange.

// One sample of that lag in milliseconds, from exchange 1's timings and the
// counter just after exchange 2's reply (counts of `frequency` per second);
// nothing when the round trip less the hold time is negative, or the server
// says it sent before it received.
std::optional<double> DelaySampleMs(const SntpExchangeTimes& first, std::int64_t second_received,
                                    std::int64_t frequency);

// The fine adjustment the samples give: the smallest, to the nearest
// millisecond, kept within `min` .. `max`.
int FineAdjustmentFromSamples(const std::vector<double>& samples, int min, int max);

// The button "← 測定": measures the lag against the server a cycle would ask,
// the way the attempt loop runs, and puts it into the fine adjustment. It
// has a time source of its own, so the cycle's `IdSNTP1` (its host rotation,
// its open guard) never sees it; it never sets the clock nor writes the log.
class SntpDelayMeasure {
 public:
  struct Deps {
    UdpNetwork& network;
    Clock& clock;
    MessagePump& pump;
    Boxes& boxes;
    JikokuScreen& screen;
    // Whether a cycle is running: no measurement starts then.
    std::function<bool()> cycle_busy;
  };
  explicit SntpDelayMeasure(Deps deps) : d_(std::move(deps)) {}

  enum class Outcome { Measured, NoReply, Unresolvable, Stopped };
  struct Result {
    Outcome outcome = Outcome::NoReply;
    int adjustment = 0;  // milliseconds, when Measured
    int good = 0;        // samples that counted
  };

  // Handler of "← 測定".
  void btnSokuteiClick();
  // Eight samples against `host`, window events handled only between them.
  Result Measure(const std::string& host);
  // The server a cycle would ask: the hand-given one, else built-in A.
  std::string CycleServer() const;

  bool Measuring() const { return measuring_; }
  // The window closes: the measurement ends at its next pause, silently.
  void Stop() { stop_requested_ = true; }

  static constexpr int kSamples = 8;
  static constexpr std::uint32_t kPauseMs = 250;

 private:
  // One sample: open, exchange 1, close, exchange 2. Nothing when it did not count.
  std::optional<double> Sample(TIdSNTP& sntp);
  // Handles window events for the pause; false when the measurement must end.
  bool Pause();

  Deps d_;
  bool measuring_ = false;
  bool stop_requested_ = false;
};

}  // namespace horalux
