#include "core/settings/ini_file.h"

#include <gtest/gtest.h>

#include <functional>

#include "tests/fakes/fake_ui.h"
#include "tests/fakes/memory_files.h"

namespace horalux {
namespace {

const char* const kPath = "C:\\Apps\\Horalux\\Horalux.ini";

struct Rig {
  fakes::MemoryFiles files;
  fakes::IconvCodec codec;
  IniFile ini{files, codec, kPath};
  void put(const std::string& utf8) { files.put(kPath, codec.to_ansi(utf8)); }
  std::string text() { return codec.from_ansi(files.content(kPath)); }
};

TEST(IniFileRead, FindsValuesAsTheProfileCallsDo) {
  enum Kind { kText, kInt, kBool };
  struct Row {
    const char* why;
    const char* file;  // nullptr: no file
    const char* section;
    const char* key;
    Kind kind;
    const char* default_value;
    const char* expected;
  } rows[] = {
      {"missing file", nullptr, "Jikoku", "udChien", kInt, "300", "300"},
      {"names ignore case", "[JIKOKU]\r\nUDCHIEN=120\r\n", "Jikoku", "udChien", kInt, "300", "120"},
      {"hexadecimal 0x", "[Jikoku]\r\nudChien=0x1F\r\n", "Jikoku", "udChien", kInt, "300", "31"},
      {"hexadecimal 0X", "[Jikoku]\r\nudChien=0X10\r\n", "Jikoku", "udChien", kInt, "300", "16"},
      {"negative", "[Jikoku]\r\nudChouseiHTTP=-9999\r\n", "Jikoku", "udChouseiHTTP", kInt, "500",
       "-9999"},
      {"trailing junk", "[Jikoku]\r\nudChien=12abc\r\n", "Jikoku", "udChien", kInt, "300", "300"},
      {"empty integer", "[Jikoku]\r\nudChien=\r\n", "Jikoku", "udChien", kInt, "300", "300"},
      {"blanks around", "[ Jikoku ]\r\n  udChien  =  7  \r\n", "Jikoku", "udChien", kInt, "300",
       "7"},
      {"any non-zero is true", "[Jikoku]\r\ncbProxy=2\r\n", "Jikoku", "cbProxy", kBool, "0", "1"},
      {"zero is false", "[Jikoku]\r\ncbProxy=0\r\n", "Jikoku", "cbProxy", kBool, "1", "0"},
      {"bad boolean", "[Jikoku]\r\ncbProxy=yes\r\n", "Jikoku", "cbProxy", kBool, "1", "1"},
      {"empty text is a value", "[Jikoku]\r\nedtProxy=\r\n", "Jikoku", "edtProxy", kText, "d", ""},
      {"quotes removed", "[Jikoku]\r\nedtProxy=\"a b\"\r\n", "Jikoku", "edtProxy", kText, "",
       "a b"},
      {"odd quote kept", "[Jikoku]\r\nedtProxy=\"a\r\n", "Jikoku", "edtProxy", kText, "", "\"a"},
      {"japanese", "[Jikoku]\r\nedtProxy=日本語ソ\r\n", "Jikoku", "edtProxy", kText, "",
       "日本語ソ"},
      {"LF lines", "[Jikoku]\nudGyou=5\nudChien=6\n", "Jikoku", "udChien", kInt, "300", "6"},
      {"unknown lines", ";note\r\ngarbage\r\n[Jikoku]\r\n[oops\r\nudChien=8\r\n", "Jikoku",
       "udChien", kInt, "300", "8"},
      {"other section's key", "[Header]\r\nudChien=9\r\n[Jikoku]\r\n", "Jikoku", "udChien", kInt,
       "300", "300"},
      {"first of duplicate keys", "[Jikoku]\r\nudChien=1\r\nudChien=2\r\n", "Jikoku", "udChien",
       kInt, "300", "1"},
      {"first of duplicate sections", "[Jikoku]\r\nudChien=1\r\n[Jikoku]\r\nudChien=2\r\n",
       "Jikoku", "udChien", kInt, "300", "1"},
      {"second duplicate section unseen",
       "[Jikoku]\r\nudGyou=1\r\n[x]\r\n[jikoku]\r\nudChien=2\r\n", "Jikoku", "udChien", kInt, "300",
       "300"},
  };
  for (const Row& row : rows) {
    Rig rig;
    if (row.file) rig.put(row.file);
    std::string got;
    switch (row.kind) {
      case kText:
        got = rig.ini.ReadString(row.section, row.key, row.default_value);
        break;
      case kInt:
        got =
            std::to_string(rig.ini.ReadInteger(row.section, row.key, std::stoi(row.default_value)));
        break;
      case kBool:
        got = rig.ini.ReadBool(row.section, row.key, std::string(row.default_value) == "1") ? "1"
                                                                                            : "0";
        break;
    }
    EXPECT_EQ(got, row.expected) << row.why;
  }
}

TEST(IniFileRead, TextStopsAt2047Characters) {
  struct Row {
    std::string unit;
  } rows[] = {{"x"}, {"あ"}};
  for (const Row& row : rows) {
    Rig rig;
    std::string value, expected;
    for (int i = 0; i < 3000; ++i) value += row.unit;
    for (int i = 0; i < 2047; ++i) expected += row.unit;
    rig.put("[Jikoku]\r\nedtSNTP=" + value + "\r\n");
    EXPECT_EQ(rig.ini.ReadString("Jikoku", "edtSNTP", ""), expected) << row.unit;
  }
}

TEST(IniFileWrite, WritesEachKeyInPlaceAndKeepsEveryOtherLine) {
  struct Row {
    const char* why;
    const char* before;  // nullptr: no file
    const char* section;
    const char* key;
    const char* value;
    const char* after;
  } rows[] = {
      {"missing file", nullptr, "Jikoku", "udChien", "5", "[Jikoku]\r\nudChien=5\r\n"},
      {"existing key, other case", "[jikoku]\r\nUDCHIEN=1\r\nx=2\r\n", "Jikoku", "udChien", "5",
       "[jikoku]\r\nUDCHIEN=5\r\nx=2\r\n"},
      {"missing key at the end of its section", "[Header]\r\nVersion=1\r\n\r\n[Jikoku]\r\na=1\r\n",
       "Header", "Folder", "C:\\x\\",
       "[Header]\r\nVersion=1\r\nFolder=C:\\x\\\r\n\r\n[Jikoku]\r\na=1\r\n"},
      {"missing section at the end", "[Header]\r\nVersion=1\r\n", "Jikoku", "cbProxy", "1",
       "[Header]\r\nVersion=1\r\n[Jikoku]\r\ncbProxy=1\r\n"},
      {"unknown lines stay", ";top\r\nstray\r\n[Jikoku]\r\n; note\r\na=1\r\n[Other]\r\nk=v\r\n",
       "Jikoku", "b", "2",
       ";top\r\nstray\r\n[Jikoku]\r\n; note\r\na=1\r\nb=2\r\n[Other]\r\nk=v\r\n"},
      {"first duplicate section", "[Jikoku]\r\na=1\r\n[Jikoku]\r\na=2\r\n", "Jikoku", "a", "9",
       "[Jikoku]\r\na=9\r\n[Jikoku]\r\na=2\r\n"},
      {"LF file", "[Jikoku]\na=1\n", "Jikoku", "a", "3", "[Jikoku]\r\na=3\r\n"},
      {"no break at the end", "[Jikoku]\r\na=1", "Jikoku", "b", "", "[Jikoku]\r\na=1\r\nb=\r\n"},
      {"line break in a value", "[Jikoku]\r\n", "Jikoku", "edtProxy", "p\r\n[Header]\r\nx=1",
       "[Jikoku]\r\nedtProxy=p[Header]x=1\r\n"},
  };
  for (const Row& row : rows) {
    Rig rig;
    if (row.before) rig.put(row.before);
    EXPECT_TRUE(rig.ini.WriteString(row.section, row.key, row.value)) << row.why;
    EXPECT_EQ(rig.text(), row.after) << row.why;
    EXPECT_FALSE(rig.files.exists(std::string(kPath) + ".new")) << row.why;
  }
}

TEST(IniFileWrite, WritesShiftJisIntegersAndBooleans) {
  Rig rig;
  ASSERT_TRUE(rig.ini.WriteString("Jikoku", "edtProxy", "日本"));
  ASSERT_TRUE(rig.ini.WriteInteger("Jikoku", "udChouseiHTTP", -5000));
  ASSERT_TRUE(rig.ini.WriteBool("Jikoku", "cbProxy", true));
  ASSERT_TRUE(rig.ini.WriteBool("Jikoku", "cbSNTP", false));
  EXPECT_EQ(rig.files.content(kPath),
            "[Jikoku]\r\nedtProxy=\x93\xfa\x96\x7b\r\nudChouseiHTTP=-5000\r\ncbProxy=1\r\n"
            "cbSNTP=0\r\n");
}

TEST(IniFileWrite, AFailedWriteLeavesTheOldFileWhole) {
  const std::string old = "[Jikoku]\r\nudChien=300\r\nudGosa=60\r\n";
  struct Row {
    const char* why;
    std::function<void(Rig&)> arrange;
    std::string expected_bytes;
  } rows[] = {
      {"disk full", [](Rig& r) { r.files.fail_writes_after = 0; }, old},
      {"file cannot be replaced",
       [](Rig& r) { r.files.read_only_paths.insert("C:\\APPS\\HORALUX\\HORALUX.INI"); }, old},
      {"file cannot be decoded", [](Rig& r) { r.files.put(kPath, "[Jikoku]\r\nudChien=\x82"); },
       "[Jikoku]\r\nudChien=\x82"},
  };
  for (const Row& row : rows) {
    Rig rig;
    rig.put(old);
    row.arrange(rig);
    EXPECT_FALSE(rig.ini.WriteInteger("Jikoku", "udChien", 5)) << row.why;
    EXPECT_EQ(rig.files.content(kPath), row.expected_bytes) << row.why;
    EXPECT_FALSE(rig.files.exists(std::string(kPath) + ".new")) << row.why;
  }
}

TEST(IniFileWrite, AnUnreadableFileIsNeitherReadNorOverwritten) {
  Rig rig;
  rig.files.add_folder(kPath);  // there, but not a readable file
  EXPECT_EQ(rig.ini.ReadInteger("Jikoku", "udChien", 300), 300);
  EXPECT_FALSE(rig.ini.WriteInteger("Jikoku", "udChien", 5));
  EXPECT_TRUE(rig.files.folder_exists(kPath));
}

}  // namespace
}  // namespace horalux
