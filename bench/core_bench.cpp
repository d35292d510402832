// The core's hot paths: the NTP timestamp codec, which runs four times per
// SNTP exchange, and committing an access-log entry to a full log, which
// trims the view and writes the whole file back in Shift-JIS every time.
#include <benchmark/benchmark.h>

#include <string>

#include "core/engine/access_log.h"
#include "core/net/ntp_timestamp.h"
#include "core/base/date_time.h"
#include "core/settings/jikoku_screen.h"
#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_log_view.h"
#include "tests/fakes/fake_ui.h"
#include "tests/fakes/memory_files.h"

namespace horalux {
namespace {

constexpr double kJapanBiasDays = -0.375;
constexpr const char* kFolder = "C:\\Apps\\Horalux";
constexpr const char* kLogPath = "C:\\Apps\\Horalux\\Jikoku.txt";

// One local time per millisecond of a day, so the codec sees varied
// fractions rather than one value the optimiser could fold.
double LocalTimeAt(std::int64_t step) {
  return EncodeDateTime(2024, 3, 15, 12, 0, 0, 0) + static_cast<double>(step % 86400000) / 8.64e7;
}

void BM_EncodeNtpTimestamp(benchmark::State& state) {
  std::int64_t step = 0;
  for (auto _ : state) {
    NtpTimestamp t = EncodeNtpTimestamp(LocalTimeAt(step++), kJapanBiasDays);
    benchmark::DoNotOptimize(t);
  }
}
BENCHMARK(BM_EncodeNtpTimestamp);

void BM_DecodeNtpTimestamp(benchmark::State& state) {
  NtpTimestamp t = EncodeNtpTimestamp(LocalTimeAt(0), kJapanBiasDays);
  for (auto _ : state) {
    t.fraction += 0x00418937u;  // about a millisecond
    benchmark::DoNotOptimize(DecodeNtpTimestamp(t, kJapanBiasDays));
  }
}
BENCHMARK(BM_DecodeNtpTimestamp);

// A log held at its line limit, as after months of resident runs: every
// commit appends a result entry, trims as many lines from the top and saves.
struct FullLog {
  explicit FullLog(int limit) {
    files.add_folder(kFolder);
    screen.cbSNTPAuto.SetChecked(true);
    screen.udGyou.SetPosition(limit);
    log.logFilePath = kLogPath;
    std::string text;
    for (int i = 0; i < limit; ++i) {
      if (!text.empty()) text += "\r\n";
      text += i % 3 == 0 ? "[ 2024/03/15(金) 7:00:01 ]自動設定(NTP/SNTP)"
                         : "時刻を修正しました。誤差は 0.812 秒でした。";
    }
    view.set_text(text);
  }
  void CommitEntry() {
    log.BeginLogEntry();
    log.AddLogLine("時刻を修正しました。誤差は 0.812 秒でした。");
    log.AddLogLine("Host = [0.jp.pool.ntp.org]");
    log.CommitLogEntry();
  }

  fakes::FakeClock clock{EncodeDateTime(2024, 3, 15, 7, 0, 1, 0)};
  fakes::MemoryFiles files;
  fakes::IconvCodec codec;
  fakes::FakeLocale locale;
  fakes::FakeLogView view;
  JikokuScreen screen;
  AccessLog log{
      {files, codec, clock, locale, view}, screen, [] { return false; }, [] { return false; }};
};

void BM_CommitLogEntryToFullLog(benchmark::State& state) {
  FullLog full(static_cast<int>(state.range(0)));
  for (auto _ : state) full.CommitEntry();
  if (full.view.shown_line_count() > state.range(0)) state.SkipWithError("the log was not trimmed");
}
BENCHMARK(BM_CommitLogEntryToFullLog)->Arg(100)->Arg(500)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace horalux
