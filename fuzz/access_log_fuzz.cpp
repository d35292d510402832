// The access log at start-up: whatever lies in "Jikoku.txt" is shown, one
// entry is committed (trimmed to the line limit and saved), and the next
// start must show exactly what this one left.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/base/date_time.h"
#include "core/engine/access_log.h"
#include "fuzz/fuzz_input.h"
#include "fuzz/lenient_codec.h"
#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_log_view.h"
#include "tests/fakes/fake_ui.h"
#include "tests/fakes/memory_files.h"

using namespace horalux;

namespace {

constexpr char kFolder[] = "C:\\Users\\u\\AppData\\Horalux";
constexpr char kLogPath[] = "C:\\Users\\u\\AppData\\Horalux\\Jikoku.txt";

struct Run {
  Run(TextCodec& codec, int width) : codec(codec), view(width) {
    files.add_folder(kFolder);
    log.logFilePath = kLogPath;
  }
  TextCodec& codec;
  fakes::MemoryFiles files;
  fakes::FakeClock clock{EncodeDateTime(2006, 8, 31, 9, 0, 1, 0)};
  fakes::FakeLocale locale;
  fakes::FakeLogView view;
  JikokuScreen screen;
  AccessLog log{
      {files, codec, clock, locale, view}, screen, [] { return false; }, [] { return false; }};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static fuzz::LenientCodec codec;
  fuzz::FuzzInput in(data, size);
  const int limit = in.Byte();           // 0 turns logging off
  const int width = in.Byte() % 64 + 1;  // characters before the view wraps
  const std::string file = in.Rest();

  Run first(codec, width);
  first.screen.udGyou.SetPosition(limit);
  first.files.put(kLogPath, file);
  first.log.LoadAtStartup();
  first.log.BeginLogEntry();
  first.log.AddLogLine("x");
  first.log.CommitLogEntry();
  if (!first.log.LoggingOn()) return 0;
  fuzz::Require(first.view.shown_line_count() <= first.log.LinesToKeep(),
                "the view holds no more lines than the limit");

  Run next(codec, width);
  next.files.put(kLogPath, first.files.content(kLogPath));
  next.log.LoadAtStartup();
  fuzz::Require(next.view.text() == first.view.text(), "the next start shows what was saved");
  return 0;
}
