#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/engine/access_log.h"
#include "core/base/date_time.h"
#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_log_view.h"
#include "tests/fakes/fake_ui.h"
#include "tests/fakes/memory_files.h"

namespace horalux {
namespace {

constexpr const char* kFolder = "C:\\Users\\u\\AppData\\Horalux";
constexpr const char* kLogPath = "C:\\Users\\u\\AppData\\Horalux\\Jikoku.txt";
// The header of an SNTP cycle in automatic mode begun at the rig's start time.
constexpr const char* kHeader = "[ 2006/08/31(木) 9:00:01 ]自動設定(NTP/SNTP)";

// Files whose writes can tear (the disk fills half-way: part of the bytes
// land, then the write fails) and whose reads can fail.
class FaultyFiles : public fakes::MemoryFiles {
 public:
  bool write(const std::string& path, const std::string& bytes) override {
    if (tear_writes) {
      MemoryFiles::write(path, bytes.substr(0, bytes.size() / 2));
      return false;
    }
    return MemoryFiles::write(path, bytes);
  }
  std::optional<std::string> read(const std::string& path) override {
    if (unreadable) return std::nullopt;
    return MemoryFiles::read(path);
  }
  bool tear_writes = false;
  bool unreadable = false;
};

struct Rig {
  explicit Rig(int view_width = 1000) : view(view_width) {
    files.add_folder(kFolder);
    screen.cbSNTPAuto.SetChecked(true);
    log.logFilePath = kLogPath;
  }
  fakes::FakeClock clock{EncodeDateTime(2006, 8, 31, 9, 0, 1, 0)};
  FaultyFiles files;
  fakes::IconvCodec codec;
  fakes::FakeLocale locale;
  fakes::FakeLogView view;
  JikokuScreen screen;
  bool read_only = false;
  bool closing = false;
  AccessLog log{{files, codec, clock, locale, view},
                screen,
                [this] { return read_only; },
                [this] { return closing; }};

  void SetLimit(int lines) { screen.udGyou.SetPosition(lines); }
  void Entry(const std::vector<std::string>& lines) {
    log.BeginLogEntry();
    for (const auto& line : lines) log.AddLogLine(line);
    log.CommitLogEntry();
  }
  // The log file as UTF-8, or "<missing>".
  std::string FileText() {
    if (!files.has_file(kLogPath)) return "<missing>";
    return codec.from_ansi(files.content(kLogPath));
  }
  void PutFile(const std::string& utf8) { files.put(kLogPath, codec.to_ansi(utf8)); }
};

// Numbered lines, each ended by CR LF as in the file.
std::string Numbered(int from, int to) {
  std::string out;
  for (int i = from; i <= to; ++i) out += "line " + std::to_string(i) + "\r\n";
  return out;
}
// The same lines as the view holds them.
std::string ViewLines(int count) {
  std::string out = Numbered(1, count);
  return out.substr(0, out.size() - 2);
}

TEST(AccessLog, TwoEntriesOverALimitOfFiveKeepTheLastFiveLines) {
  Rig rig;
  rig.SetLimit(5);
  rig.Entry({"first"});
  rig.clock.advance_ms(60000);
  rig.Entry({"second"});
  std::string expected =
      "[ 2006/08/31(木) 9:00:01 ]自動設定(NTP/SNTP)\r\nfirst\r\n"
      "\r\n[ 2006/08/31(木) 9:01:01 ]自動設定(NTP/SNTP)\r\nsecond";
  EXPECT_EQ(rig.view.text(), expected);
  EXPECT_EQ(rig.FileText(), expected + "\r\n");
}

TEST(AccessLog, ResultLineWithTwoBreaksAddsFiveLines) {
  Rig rig;
  rig.Entry({"one\r\ntwo\r\nthree"});
  EXPECT_EQ(rig.view.shown_line_count(), 5);
  EXPECT_EQ(rig.view.text(), std::string("\r\n") + kHeader + "\r\none\r\ntwo\r\nthree");
  EXPECT_EQ(rig.log.pendingEntry, rig.view.text());
}

TEST(AccessLog, LineLimitIsReadFromSpinPositionAndFieldText) {
  struct Row {
    int position;
    const char* field;  // nullptr: as the position sets it
    int shown_after;    // 300 loaded lines, then one entry of three lines
    bool written;
  } rows[] = {
      {5, nullptr, 5, true},    {5, "", 100, true},     {5, "abc", 100, true},
      {5, "7", 7, true},        {5, "600", 303, true},  {100, "0", 300, false},
      {0, nullptr, 300, false}, {0, "abc", 300, false}, {5, "-3", 0, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.position) + " / " + (row.field ? row.field : "-"));
    Rig rig;
    rig.view.set_text(ViewLines(300));
    rig.SetLimit(row.position);
    if (row.field) rig.screen.edtGyou.SetText(row.field);
    rig.Entry({"result"});
    EXPECT_EQ(rig.view.shown_line_count(), row.shown_after);
    EXPECT_EQ(rig.files.has_file(kLogPath), row.written);
    if (row.written) {
      EXPECT_EQ(rig.FileText(), rig.view.text() + "\r\n");
    }
  }
}

TEST(AccessLog, LimitZeroBuildsShowsAndWritesNothingButTheFileStillLoads) {
  Rig rig;
  rig.PutFile("old\r\n");
  rig.SetLimit(0);
  rig.log.LoadAtStartup();
  rig.Entry({"result"});
  rig.log.TrimAndSaveLog();
  EXPECT_EQ(rig.log.pendingEntry, "");
  EXPECT_EQ(rig.view.text(), "old");
  EXPECT_EQ(rig.files.writes, 0);
}

TEST(AccessLog, LongFileIsShownWholeUntilTheNextCommitCutsIt) {
  Rig rig;
  rig.PutFile(Numbered(1, 300));
  rig.log.LoadAtStartup();
  EXPECT_EQ(rig.view.shown_line_count(), 300);
  EXPECT_EQ(rig.files.writes, 0);
  rig.Entry({"result"});
  std::string expected = Numbered(204, 300) + "\r\n" + kHeader + "\r\nresult";
  EXPECT_EQ(rig.view.text(), expected);
  EXPECT_EQ(rig.view.shown_line_count(), 100);
  EXPECT_EQ(rig.FileText(), expected + "\r\n");
}

TEST(AccessLog, WrappedLinesAreCountedAndCutByShownLine) {
  // 40 columns: the 100-character line shows as three lines, the header as one.
  const std::string wide = std::string(40, 'a') + std::string(40, 'b') + std::string(20, 'c');
  struct Row {
    int limit;
    std::string kept_of_wide;  // what remains of the wrapped line
  } rows[] = {
      {7, wide},
      {6, std::string(40, 'b') + std::string(20, 'c')},
      {5, std::string(20, 'c')},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.limit);
    Rig rig(40);
    rig.PutFile(wide + "\r\ntail\r\n");
    rig.log.LoadAtStartup();
    EXPECT_EQ(rig.view.shown_line_count(), 4);
    rig.SetLimit(row.limit);
    rig.Entry({"result"});
    std::string expected = row.kept_of_wide + "\r\ntail\r\n\r\n" + kHeader + "\r\nresult";
    EXPECT_EQ(rig.view.text(), expected);
    EXPECT_EQ(rig.FileText(), expected + "\r\n");
  }
}

TEST(AccessLog, HeaderShowsBeginTimeAndTheSourceSelectedAtBegin) {
  enum Source { Japan, Fennick1, Fennick2, NoPage };
  struct Row {
    bool http;
    Source page;
    bool sntp_auto;
    double start;
    const char* header;
  } rows[] = {
      {false, Fennick1, true, EncodeDateTime(2006, 8, 31, 9, 0, 1, 0),
       "[ 2006/08/31(木) 9:00:01 ]自動設定(NTP/SNTP)"},
      {false, Japan, false, EncodeDateTime(2006, 8, 31, 9, 0, 1, 999),
       "[ 2006/08/31(木) 9:00:01 ]任意設定(NTP/SNTP)"},
      {true, Japan, true, EncodeDateTime(2007, 1, 5, 23, 4, 5, 0),
       "[ 2007/01/05(金) 23:04:05 ]日本標準時(Http)"},
      {true, Fennick1, false, EncodeDateTime(2010, 12, 26, 0, 0, 0, 0),
       "[ 2010/12/26(日) 0:00:00 ]Fennick標準時１(Http)"},
      {true, Fennick2, false, EncodeDateTime(2008, 2, 29, 12, 30, 59, 0),
       "[ 2008/02/29(金) 12:30:59 ]Fennick標準時２(Http)"},
      {true, NoPage, false, EncodeDateTime(2008, 3, 1, 1, 2, 3, 0),
       "[ 2008/03/01(土) 1:02:03 ]Fennick標準時２(Http)"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.header);
    Rig rig;
    rig.clock = fakes::FakeClock(row.start);
    (row.http ? rig.screen.rbHTTP : rig.screen.rbSNTP).SetChecked(true);
    rig.screen.cbSNTPAuto.SetChecked(row.sntp_auto);
    TRadioButton* pages[] = {&rig.screen.rbJapan, &rig.screen.rbFennick1, &rig.screen.rbFennick2};
    if (row.page == NoPage) {
      for (TRadioButton* page : pages) page->SetChecked(false);
    } else {
      pages[row.page]->SetChecked(true);
    }
    rig.log.BeginLogEntry();
    // What changes while the cycle runs does not reach the header.
    rig.clock.advance_ms(5000);
    rig.screen.rbSNTP.SetChecked(!row.http);
    rig.screen.rbHTTP.SetChecked(!row.http);
    rig.log.CommitLogEntry();
    EXPECT_EQ(rig.view.text(), std::string("\r\n") + row.header);
  }
}

TEST(AccessLog, UncommittedEntryIsDiscardedByTheNextBegin) {
  Rig rig;
  rig.log.BeginLogEntry();
  rig.log.AddLogLine("abandoned");
  rig.Entry({"kept"});
  EXPECT_EQ(rig.view.text(), std::string("\r\n") + kHeader + "\r\nkept");
}

TEST(AccessLog, ClosingOrReadOnlyMediumShowsEntriesButNeitherTrimsNorSaves) {
  struct Row {
    bool closing, read_only;
  } rows[] = {{true, false}, {false, true}, {true, true}};
  for (const Row& row : rows) {
    Rig rig;
    rig.PutFile("old\r\n");
    rig.log.LoadAtStartup();
    rig.SetLimit(2);
    rig.closing = row.closing;
    rig.read_only = row.read_only;
    rig.Entry({"result"});
    EXPECT_EQ(rig.view.text(), std::string("old\r\n\r\n") + kHeader + "\r\nresult");
    EXPECT_EQ(rig.FileText(), "old\r\n");
    EXPECT_EQ(rig.files.writes, 0);
  }
}

TEST(AccessLog, FailedWriteRaisesAndKeepsThePreviousLog) {
  struct Row {
    const char* what;
    bool torn_write;
    bool target_read_only;
  } rows[] = {{"disk full mid-write", true, false}, {"log file cannot be replaced", false, true}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Rig rig;
    rig.PutFile("old entry\r\n");
    rig.log.LoadAtStartup();
    rig.files.tear_writes = row.torn_write;
    if (row.target_read_only)
      rig.files.read_only_paths.insert("C:\\USERS\\U\\APPDATA\\HORALUX\\JIKOKU.TXT");
    try {
      rig.Entry({"result"});
      ADD_FAILURE() << "no failure raised";
    } catch (const ELogFileError& e) {
      EXPECT_EQ(std::string(e.what()), std::string("[") + kLogPath + "]に書き込めません。");
    }
    EXPECT_EQ(rig.FileText(), "old entry\r\n");
    EXPECT_EQ(rig.view.text(), std::string("old entry\r\n\r\n") + kHeader + "\r\nresult");
    EXPECT_FALSE(rig.files.has_file(std::string(kLogPath) + ".new"));
  }
}

TEST(AccessLog, LoadingTakesTheFileLinesWhateverTheirBreaks) {
  struct Row {
    std::string file;  // raw bytes
    std::string view;  // UTF-8
  } rows[] = {
      {"a\r\nb\r\n", "a\r\nb"},
      {"a\r\nb", "a\r\nb"},
      {"a\nb\rc\r\n", "a\r\nb\r\nc"},
      {"a\r\n\r\n", "a\r\n"},
      {"", ""},
      {std::string("a\0b\r\n", 5), "ab"},
      {"\x8e\xa9\x93\xae\x90\xdd\x92\xe8\r\n\x95\\\r\n", "自動設定\r\n表"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.view);
    Rig rig;
    rig.files.put(kLogPath, row.file);
    rig.log.LoadAtStartup();
    EXPECT_EQ(rig.view.text(), row.view);
  }
}

TEST(AccessLog, LoadedFileIsSavedBackLineForLine) {
  Rig rig;
  rig.PutFile("表示\r\n\r\nlast\r\n\r\n");
  rig.log.LoadAtStartup();
  rig.log.TrimAndSaveLog();
  EXPECT_EQ(rig.FileText(), "表示\r\n\r\nlast\r\n\r\n");
}

TEST(AccessLog, UnreadableFileRaisesAndIsNotOverwrittenLater) {
  Rig rig;
  rig.PutFile("old entry\r\n");
  rig.files.unreadable = true;
  EXPECT_THROW(rig.log.LoadAtStartup(), ELogFileError);
  rig.files.unreadable = false;
  rig.Entry({"result"});
  EXPECT_EQ(rig.view.text(), std::string("\r\n") + kHeader + "\r\nresult");
  EXPECT_EQ(rig.FileText(), "old entry\r\n");
}

TEST(AccessLog, MissingFileLeavesTheViewEmptyUntilTheFirstSave) {
  Rig rig;
  rig.log.LoadAtStartup();
  EXPECT_EQ(rig.view.text(), "");
  EXPECT_EQ(rig.FileText(), "<missing>");
  rig.Entry({"result"});
  EXPECT_EQ(rig.FileText(), std::string("\r\n") + kHeader + "\r\nresult\r\n");
}

}  // namespace
}  // namespace horalux
