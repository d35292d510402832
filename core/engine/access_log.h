#pragma once
#include <functional>
#include <stdexcept>
#include <string>

#include "core/platform/clock.h"
#include "core/platform/files.h"
#include "core/platform/locale_info.h"
#include "core/platform/log_view.h"
#include "core/platform/text_codec.h"
#include "core/settings/jikoku_screen.h"

namespace horalux {

// "Jikoku.txt" could not be read or written; the message names the file.
class ELogFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The access log: entries are built while a cycle runs, then appended to the
// log view, trimmed to the line limit and saved to "Jikoku.txt".
class AccessLog {
 public:
  struct Ports {
    Files& files;
    TextCodec& codec;
    Clock& clock;
    LocaleInfo& locale;
    LogView& view;
  };
  // The screen supplies the line limit and the selected source; the two
  // flags are read at each save.
  AccessLog(Ports ports, const JikokuScreen& screen, std::function<bool()> read_only_medium,
            std::function<bool()> closing);

  // Settings folder + "Jikoku.txt"; set once the settings folder is known.
  std::string logFilePath;
  // The entry being built; a commit leaves its text in place.
  std::string pendingEntry;

  void BeginLogEntry();
  // A text with line breaks becomes several lines.
  void AddLogLine(const std::string& text);
  // Appends the entry to the view, then trims and saves. Throws ELogFileError
  // when the file cannot be written (the view keeps the entry).
  void CommitLogEntry();
  void TrimAndSaveLog();
  // Shows an existing log file whole, whatever the line limit. Throws
  // ELogFileError when the file exists but cannot be read.
  void LoadAtStartup();
  void btnFirstClick();
  void btnBottomClick();

  // Whether logging is on: the spin position of the line limit is not 0.
  bool LoggingOn() const;
  // The number of lines to keep: the line-limit field's text, the key's
  // default when it is not a number.
  int LinesToKeep() const;
  // "[ yyyy/mm/dd(aaa) tt ]" + source + kind, for the current local time.
  std::string HeaderLine();

 private:
  void Save();

  Ports ports_;
  const JikokuScreen& screen_;
  std::function<bool()> read_only_medium_;
  std::function<bool()> closing_;
  // A log file that exists but could not be loaded must not be overwritten
  // with what this run adds to an empty view.
  bool load_failed_ = false;
};

}  // namespace horalux
