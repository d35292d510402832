#include "core/engine/access_log.h"

#include <cstdio>

#include "core/base/date_time.h"
#include "core/base/file_replace.h"
#include "core/controls/controls.h"
#include "core/settings/settings_keys.h"

namespace horalux {
namespace {

constexpr int kDefaultLinesToKeep = RowOf<&JikokuScreen::udGyou>().default_value.number;

// Every CR, LF or CR LF becomes CR LF: the view breaks lines at CR LF only.
std::string WithCrLf(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 32);
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += "\r\n";
    } else if (c == '\n') {
      out += "\r\n";
    } else {
      out += c;
    }
  }
  return out;
}

bool EndsWithCrLf(const std::string& s) {
  return s.size() >= 2 && s.compare(s.size() - 2, 2, "\r\n") == 0;
}

std::string SourceName(const JikokuScreen& s) {
  if (s.rbHTTP.Checked()) {
    if (s.rbJapan.Checked()) return "日本標準時(Http)";
    if (s.rbFennick1.Checked()) return "Fennick標準時１(Http)";
    return "Fennick標準時２(Http)";
  }
  return s.cbSNTPAuto.Checked() ? "自動設定(NTP/SNTP)" : "任意設定(NTP/SNTP)";
}

}  // namespace

AccessLog::AccessLog(Ports ports, const JikokuScreen& screen,
                     std::function<bool()> read_only_medium, std::function<bool()> closing)
    : ports_(ports),
      screen_(screen),
      read_only_medium_(std::move(read_only_medium)),
      closing_(std::move(closing)) {}

bool AccessLog::LoggingOn() const {
  return screen_.udGyou.Position() != 0;
}

int AccessLog::LinesToKeep() const {
  return StrToIntDef(screen_.edtGyou.Text(), kDefaultLinesToKeep);
}

std::string AccessLog::HeaderLine() {
  SystemTimeFields now = ports_.clock.local_time();
  // The weekday follows from the date itself, whatever the clock reports in it.
  int day_of_week =
      DateTimeToFields(EncodeDateTime(now.year, now.month, now.day, 0, 0, 0, 0)).day_of_week;
  char date[32];
  std::snprintf(date, sizeof date, "%04d/%02d/%02d", now.year, now.month, now.day);
  return std::string("[ ") + date + "(" + ports_.locale.abbreviated_day_name(day_of_week) + ") " +
         ports_.locale.long_time(now.hour, now.minute, now.second) + " ]" + SourceName(screen_);
}

void AccessLog::BeginLogEntry() {
  if (!LoggingOn()) return;
  pendingEntry = HeaderLine();
}

void AccessLog::AddLogLine(const std::string& text) {
  if (!LoggingOn()) return;
  pendingEntry = pendingEntry + "\r\n" + text;
}

void AccessLog::CommitLogEntry() {
  if (!LoggingOn()) return;
  pendingEntry = "\r\n" + pendingEntry;
  // The entry's lines go after the view's last line (an empty view has none).
  std::string lines = WithCrLf(pendingEntry);
  if (!ports_.view.text().empty()) lines = "\r\n" + lines;
  ports_.view.append_text(lines);
  TrimAndSaveLog();
}

void AccessLog::TrimAndSaveLog() {
  if (!LoggingOn() || read_only_medium_() || closing_()) return;
  int keep = LinesToKeep();
  if (keep < 0) keep = 0;
  // Wrapped parts may re-wrap differently once their neighbours go, so count
  // again until the view holds no more than the limit.
  for (int shown = ports_.view.shown_line_count(); shown > keep;) {
    ports_.view.delete_top_shown_lines(shown - keep);
    int now = ports_.view.shown_line_count();
    if (now >= shown) break;  // the view deletes nothing more
    shown = now;
  }
  if (!ports_.view.text().empty() && !load_failed_) Save();
}

void AccessLog::Save() {
  // Every text line of the view ends with CR LF in the file.
  std::string bytes = ports_.codec.to_ansi(ports_.view.text() + "\r\n");
  if (!ReplaceFileContent(ports_.files, logFilePath, bytes))
    throw ELogFileError("[" + logFilePath + "]に書き込めません。");
}

void AccessLog::LoadAtStartup() {
  load_failed_ = false;
  if (!ports_.files.exists(logFilePath)) return;
  // Stays set when reading or decoding fails.
  load_failed_ = true;
  std::optional<std::string> bytes = ports_.files.read(logFilePath);
  if (!bytes) throw ELogFileError("[" + logFilePath + "]が読み込めません。");
  // A NUL would end the view's text there and lose the rest at the next save;
  // code page 932 never uses 0 inside a double-byte character.
  std::erase(*bytes, '\0');
  std::string text = WithCrLf(ports_.codec.from_ansi(*bytes));
  // The CR LF that ends the last line in the file is no line of its own.
  if (EndsWithCrLf(text)) text.resize(text.size() - 2);
  ports_.view.set_text(text);
  load_failed_ = false;
}

void AccessLog::btnFirstClick() {
  ports_.view.scroll_lines(-ports_.view.caret_line());
  ports_.view.set_caret_line(0);
  ports_.view.focus();
}

void AccessLog::btnBottomClick() {
  int last = ports_.view.shown_line_count() - 1;
  if (last < 0) last = 0;
  ports_.view.scroll_lines(last - ports_.view.caret_line());
  ports_.view.set_caret_line(last);
}

}  // namespace horalux
