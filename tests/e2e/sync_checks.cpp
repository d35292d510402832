#include "tests/e2e/sync_checks.h"

#include <cmath>
#include <regex>
#include <stdexcept>

namespace horalux::e2e {

using tools::SntpResponder;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

bool InJapanTime() {
  TIME_ZONE_INFORMATION zone{};
  GetTimeZoneInformation(&zone);
  return zone.Bias == -540;
}

std::optional<double> SecondsBehind(const std::string& line) {
  static const std::regex report(
      "以前の時刻は、取得した時刻より ([0-9]+\\.[0-9]{2}) 秒遅れていました");
  std::smatch parts;
  if (!std::regex_match(line, parts, report)) return std::nullopt;
  return std::stod(parts[1]);
}

ReadDelay MeasuredReadDelay(const SntpResponder& responder,
                            std::chrono::steady_clock::time_point seen) {
  const auto times = responder.answer_times();
  if (times.size() < 2) throw DriverError("the responder answered fewer than two exchanges");
  const auto first = times[times.size() - 2], second = times.back();
  using Seconds = std::chrono::duration<double>;
  return {Seconds(second - first).count(), Seconds(seen - first).count()};
}

::testing::AssertionResult SameLogLines(const std::vector<std::string>& shown,
                                        const std::vector<std::string>& expected,
                                        const ReadDelay& delay) {
  constexpr double kShownAndAnchorResolution = 0.005 + 0.001;
  bool same = shown.size() == expected.size();
  for (size_t i = 0; same && i < shown.size(); ++i) {
    auto got = SecondsBehind(shown[i]);
    auto want = SecondsBehind(expected[i]);
    same = got && want ? *got >= *want - delay.most - kShownAndAnchorResolution &&
                             *got <= *want - delay.least + kShownAndAnchorResolution
                       : shown[i] == expected[i];
  }
  if (same) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "lines " << ::testing::PrintToString(shown) << "\nexpected "
         << ::testing::PrintToString(expected) << "\nless " << delay.least << " to " << delay.most
         << " s read delay";
}

std::unique_ptr<SntpResponder> Responder(const std::string& address) {
  return Responder(std::vector<std::string>{address});
}

std::unique_ptr<SntpResponder> Responder(const std::vector<std::string>& addresses) {
  std::unique_ptr<SntpResponder> responder;
  std::string failure;
  PollUntil(
      [&] {
        try {
          responder = std::make_unique<SntpResponder>(addresses);
          return true;
        } catch (const std::runtime_error& error) {
          failure = error.what();
          return false;
        }
      },
      Millis(30000));
  if (!responder) throw DriverError(failure);
  return responder;
}

int DefaultButton(const MessageBoxWindow& box) {
  for (const auto& button : box.window().Controls({.cls = "Button"}))
    if ((GetWindowLongW(button.handle(), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
      return button.Id();
  return 0;
}

}  // namespace horalux::e2e
