#pragma once
// Checks shared by the end-to-end tests that run synchronisation cycles.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/driver.h"
#include "tools/lib/sntp_responder.h"

namespace horalux::e2e {

// The text's lines, split at CR LF.
std::vector<std::string> Lines(const std::string& text);

// Horalux takes every fetched time for Japan time, so its corrections come
// out right only where the PC's zone is Japan's. Wine takes the zone from the
// TZ variable of the command that started the test run; programs started from
// inside Wine keep that zone whatever their own environment says.
bool InJapanTime();
inline constexpr char kNeedsJapanTime[] =
    "Wine's time zone is not Japan's: run the tests with TZ=Asia/Tokyo";

// The seconds a report line says the PC was behind; nullopt for other lines.
std::optional<double> SecondsBehind(const std::string& line);

// How long after the server stamped the time it reported the program read
// the PC clock, in seconds: not before the attempt's second reply was
// stamped, not after a moment the test saw the cycle's outcome.
struct ReadDelay {
  double least = 0;
  double most = 0;
};
// From the responder's record of its last two replies (one attempt's two
// exchanges) and `seen`, when the test saw the outcome.
ReadDelay MeasuredReadDelay(const tools::SntpResponder& responder,
                            std::chrono::steady_clock::time_point seen);

// Log lines as expected, except that a report of the PC being behind falls
// short of the expected seconds by the measured read delay, give or take
// half a shown hundredth (rounding) and the millisecond the clock anchor is
// read to.
::testing::AssertionResult SameLogLines(const std::vector<std::string>& shown,
                                        const std::vector<std::string>& expected,
                                        const ReadDelay& delay);

// A responder on port 123 of `address`. Wine binds it to the port on every
// loopback address, so a test running beside this one in the same Wine may
// hold the port for a few seconds: wait for it rather than fail.
std::unique_ptr<tools::SntpResponder> Responder(const std::string& address);
// One responder bound to each of `addresses`.
std::unique_ptr<tools::SntpResponder> Responder(const std::vector<std::string>& addresses);

// The id of a box's default button, the one Enter presses; 0 when none is.
int DefaultButton(const MessageBoxWindow& box);

}  // namespace horalux::e2e
