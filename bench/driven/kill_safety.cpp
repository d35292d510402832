// Ends Horalux.exe abruptly (TerminateProcess) at random moments while it
// saves its settings (a close of the window writes "HoraLux.ini") and while
// it commits an access-log entry (a connection test against a loopback SNTP
// responder writes "Jikoku.txt"), then looks at what the kill left:
//   kill_safety.exe [trials]      trials of each kind, default 100
// Each file must be the whole old one or the whole new one. A ".new" file
// left by a kill must not trip the next start: the program is then started
// again, unhindered, and must save whole. Exits 1 when any file was not
// whole or a next start failed.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <functional>
#include <optional>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "tests/e2e/driver.h"
#include "tests/e2e/sync_checks.h"

namespace {

namespace fs = std::filesystem;
using namespace horalux::e2e;
using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;

constexpr char kServer[] = "127.0.0.33";
constexpr int kCalibrationRuns = 3;

// The hand-given server, a connection test without correction, the most
// log lines the program keeps.
const std::string kSettings = std::string("[Jikoku]\r\ncbSNTPAuto=0\r\ncbSNTP=1\r\nedtSNTP=") +
                              kServer + "\r\ncbSetuzokuT=0\r\nudGyou=500\r\ncbNoCkProxy=1\r\n";

// About 2 MiB of lines of another program's section, which a save keeps:
// the write then takes long enough for kills to land inside it.
std::string PaddedSettings() {
  std::string ini = kSettings + "[Padding]\r\n";
  char line[128];
  for (int i = 0; i < 18000; ++i) {
    std::snprintf(line, sizeof line, "line%06d=%0100d\r\n", i, i);
    ini += line;
  }
  return ini;
}

// A log at its limit of 500 lines, each short enough not to wrap in the view.
std::string FullLog() {
  std::string log;
  char line[64];
  for (int i = 1; i <= 500; ++i) {
    std::snprintf(line, sizeof line, "old line %04d -------------------------\r\n", i);
    log += line;
  }
  return log;
}

enum Found { kOldWhole, kNewWhole, kTruncated, kMixed, kMissing, kFoundKinds };

// A copy named so that its settings file is "HoraLux.ini".
struct Copy : ProgramCopy {
  Copy() : ProgramCopy({}, {.as = "HoraLux.exe"}) {}
};

// One kind of write: what lies in the folder before a run, which file the
// action replaces, and the action that starts the write. The action returns
// the moment the kill delay counts from.
struct Kind {
  const char* name;
  const char* file;
  const char* from;  // what the kill delay counts from
  std::string ini;
  std::optional<std::string> log{};  // Jikoku.txt before a run
  std::function<Clock::time_point(const Window& main)> act{};
  std::string old{};                 // the replaced file before a run
  std::string fresh{};               // the save's whole new file, from a run without a kill
  std::vector<std::string> entry{};  // the commit's entry lines after its header
};

bool Exists(const fs::path& file) {
  return GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES;
}

fs::path NewFile(const fs::path& file) {
  return fs::path(file.wstring() + L".new");
}

void Prepare(const Copy& copy, const Kind& kind) {
  WriteFileBytes(copy / "HoraLux.ini", kind.ini);
  if (kind.log) WriteFileBytes(copy / "Jikoku.txt", *kind.log);
}

Window StartIdle(Process& app, const Copy& copy) {
  app = copy.Start();
  Window main = app.WaitWindow({.cls = kMainWindowClass, .title = kProgramTitle});
  main.Send(WM_NULL);
  return main;
}

void SleepUntil(Clock::time_point at) {
  for (auto left = at - Clock::now(); left.count() > 0; left = at - Clock::now()) {
    if (left > std::chrono::milliseconds(2))
      Sleep(static_cast<DWORD>(Ms(left).count()) - 1);
    else
      SwitchToThread();
  }
}

// The log a commit writes: a tail of the old log's lines, an empty line, a
// header and the entry's lines, each ending with CR LF. A text that keeps to
// that order but stops early is cut; anything else is mixed.
Found ClassifyLog(const std::string& bytes, const Kind& kind) {
  if (bytes == kind.old) return kOldWhole;
  if (kind.old.starts_with(bytes)) return kTruncated;
  static const std::regex header(
      R"(\[ [0-9]{4}/[0-9]{2}/[0-9]{2}\(.+\) [0-9]{1,2}:[0-9]{2}:[0-9]{2} \]任意設定\(NTP/SNTP\))");
  const std::string text = Cp932ToUtf8(bytes);
  const bool ended = text.ends_with("\r\n");
  const auto lines = Lines(text), old = Lines(kind.old);
  const auto from = std::find(old.begin(), old.end(), lines.front());
  if (from == old.end()) return kMixed;
  std::vector<std::string> want(from, old.end());
  const std::size_t header_at = want.size() + 1;
  want.push_back("");
  want.push_back("");
  want.insert(want.end(), kind.entry.begin(), kind.entry.end());
  if (lines.size() > want.size()) return kMixed;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const bool last_cut = !ended && i + 1 == lines.size();
    const bool same = i == header_at ? std::regex_match(lines[i], header) || last_cut
                      : last_cut     ? want[i].starts_with(lines[i])
                                     : want[i] == lines[i];
    if (!same) return kMixed;
  }
  return ended && lines.size() == want.size() ? kNewWhole : kTruncated;
}

Found Classify(const fs::path& file, const Kind& kind) {
  const auto bytes = ReadFileBytes(file);
  if (!bytes) return kMissing;
  if (!kind.entry.empty()) return ClassifyLog(*bytes, kind);
  if (*bytes == kind.old) return kOldWhole;
  if (*bytes == kind.fresh) return kNewWhole;
  return kind.old.starts_with(*bytes) || kind.fresh.starts_with(*bytes) ? kTruncated : kMixed;
}

// Runs the action to its end without a kill. Returns when the file was
// replaced; nullopt when it was not within the time, or the program showed
// a box (a write that failed).
std::optional<Ms> RunWhole(Process& app, const Window& main, const Copy& copy, const Kind& kind) {
  const fs::path file = copy / kind.file;
  const auto before = StampOf(file);
  const auto start = kind.act(main);
  std::optional<Ms> replaced;
  PollUntil(
      [&] {
        const auto now = StampOf(file);
        if (now && !(before && *now == *before)) replaced = Clock::now() - start;
        return replaced || !app.MessageBoxes().empty();
      },
      Millis(20000));
  if (!app.MessageBoxes().empty()) return std::nullopt;
  if (main.Exists()) main.Close();
  app.WaitExit(Millis(20000));
  return replaced;
}

struct KillSpan {
  Ms from, to;
};

Ms Median(std::vector<Ms> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Where the write lies after the action, from runs without a kill: from the
// first sight of the ".new" file to the replaced file (medians), widened on
// both sides by as much again so that kills also land just before and after.
// The look is light (every millisecond) so as not to slow the program down.
KillSpan Calibrate(Kind& kind, const Copy& copy) {
  const fs::path file = copy / kind.file, fresh = NewFile(file);
  std::vector<Ms> news, replaces;
  for (int run = 0; run < kCalibrationRuns; ++run) {
    Prepare(copy, kind);
    Process app;
    const Window main = StartIdle(app, copy);
    const auto before = StampOf(file);
    const auto start = kind.act(main);
    std::optional<Ms> seen_new, replaced;
    const auto deadline = start + std::chrono::seconds(20);
    while (!replaced && Clock::now() < deadline) {
      if (!seen_new && Exists(fresh)) seen_new = Clock::now() - start;
      const auto now = StampOf(file);
      if (now && !(before && *now == *before)) replaced = Clock::now() - start;
      Sleep(1);
    }
    if (!replaced) throw DriverError(std::string("no ") + kind.name + " within 20 s");
    news.push_back(seen_new.value_or(*replaced));
    replaces.push_back(*replaced);
    if (main.Exists()) main.Close();
    app.WaitExit(Millis(20000));
    const std::string bytes = ReadFileBytes(file).value_or("");
    if (kind.log) {
      const auto lines = Lines(Cp932ToUtf8(bytes));
      const auto header = std::find_if(lines.rbegin(), lines.rend(),
                                       [](const std::string& l) { return l.starts_with("[ "); });
      if (header == lines.rend()) throw DriverError("no entry in the calibration run's log");
      kind.entry.assign(header.base(), lines.end());
    } else if (run > 0 && bytes != kind.fresh) {
      throw DriverError("two saves of the same settings differ");
    } else {
      kind.fresh = bytes;
    }
  }
  const Ms seen = Median(news), done = Median(replaces);
  const Ms width = std::max(done - seen, Ms(10));
  const KillSpan span{std::max(seen - width, Ms(0)), done + width};
  std::printf(
      "%-7s %.1f KiB; runs without a kill: \".new\" seen %.1f ms after %s, file "
      "replaced at %.1f ms (medians of %d)\n",
      kind.name, kind.old.size() / 1024.0, seen.count(), kind.from, done.count(), kCalibrationRuns);
  return span;
}

struct Tally {
  int found[kFoundKinds] = {};
  int left_new = 0, next_saved = 0, next_failed = 0;
  int before = 0, during = 0, after = 0;
  Ms earliest{}, latest{};
};

// The kill delays are drawn uniformly from a span as wide as the calibrated
// one, whose centre follows the outcomes: later after a kill that came
// before the write, earlier after one that came after it. The load of the
// machine shifts the write from run to run; this keeps kills landing in it.
Tally RunTrials(Kind& kind, int trials, std::mt19937& random) {
  Copy copy;
  const KillSpan span = Calibrate(kind, copy);
  const Ms half = (span.to - span.from) / 2;
  Ms centre = span.from + half, earliest{1e9}, latest{0};
  std::uniform_real_distribution<double> offset(-half.count(), half.count());
  const fs::path file = copy / kind.file, fresh = NewFile(file);
  Tally tally;
  for (int trial = 0; trial < trials; ++trial) {
    Prepare(copy, kind);
    Process app;
    const Window main = StartIdle(app, copy);
    const Ms delay = std::max(centre + Ms(offset(random)), Ms(0));
    earliest = std::min(earliest, delay);
    latest = std::max(latest, delay);
    const auto start = kind.act(main);
    SleepUntil(start + std::chrono::duration_cast<Clock::duration>(delay));
    TerminateProcess(app.handle(), 1);
    WaitForSingleObject(app.handle(), 10000);

    const Found found = Classify(file, kind);
    ++tally.found[found];
    const bool left = Exists(fresh);
    (left ? tally.during : found == kNewWhole ? tally.after : tally.before)++;
    if (!left) {
      centre = std::max(centre + (found == kNewWhole ? -half : half) / 2, Ms(0));
      continue;
    }
    ++tally.left_new;
    // The next start meets the file as the kill left it.
    Process next;
    const Window again = StartIdle(next, copy);
    const bool saved =
        RunWhole(next, again, copy, kind) && Classify(file, kind) == kNewWhole && !Exists(fresh);
    ++(saved ? tally.next_saved : tally.next_failed);
    DeleteFileW(fresh.c_str());
  }
  tally.earliest = earliest;
  tally.latest = latest;
  return tally;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  const int trials = argc > 1 ? std::max(1, _wtoi(argv[1])) : 100;
  try {
    auto responder = Responder(kServer);
    Kind save{.name = "save",
              .file = "HoraLux.ini",
              .from = "the close",
              .ini = PaddedSettings(),
              .act = [](const Window& main) {
                const auto now = Clock::now();
                main.Close();
                return now;
              }};
    save.old = save.ini;
    Kind commit{.name = "commit",
                .file = "Jikoku.txt",
                .from = "the second SNTP reply",
                .ini = kSettings,
                .log = FullLog(),
                .act = [&sntp = *responder](const Window& main) {
                  // From the second exchange's reply on, what is left is the
                  // program's own work, which varies less than the exchanges.
                  const std::size_t answered = sntp.answer_times().size();
                  main.PushButton("接続テスト").Click(Millis(0));
                  const auto deadline = Clock::now() + std::chrono::seconds(10);
                  while (sntp.answer_times().size() < answered + 2 && Clock::now() < deadline)
                    SwitchToThread();
                  const auto times = sntp.answer_times();
                  return times.size() < answered + 2 ? Clock::now() : times.back();
                }};
    commit.old = *commit.log;

    std::printf(
        "Horalux.exe ended by TerminateProcess at a random moment of each write, "
        "%d trials of each kind\n",
        trials);
    std::random_device seed;
    std::mt19937 random(seed());
    const Tally saves = RunTrials(save, trials, random);
    const Tally commits = RunTrials(commit, trials, random);

    std::printf("\n%-7s %6s %9s %9s %9s %6s %7s %11s %10s\n", "", "trials", "old whole",
                "new whole", "truncated", "mixed", "missing", "\".new\" left", "next start");
    bool sound = true;
    for (const auto& [kind, t] : {std::pair{&save, saves}, std::pair{&commit, commits}}) {
      std::printf("%-7s %6d %9d %9d %9d %6d %7d %11d %4d whole\n", kind->name, trials,
                  t.found[kOldWhole], t.found[kNewWhole], t.found[kTruncated], t.found[kMixed],
                  t.found[kMissing], t.left_new, t.next_saved);
      std::printf(
          "        kills %.1f to %.1f ms after %s: before the write %d, during it (\".new\" "
          "present) %d, after it %d\n",
          t.earliest.count(), t.latest.count(), kind->from, t.before, t.during, t.after);
      sound = sound && t.found[kTruncated] + t.found[kMixed] + t.found[kMissing] == 0 &&
              t.next_failed == 0;
    }
    std::printf("%s\n", sound ? "every file whole" : "FAILED: a file was not whole");
    return sound ? 0 : 1;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "kill_safety: %s\n", error.what());
    return 2;
  }
}
