#include "core/settings/ini_file.h"

#include <gtest/gtest.h>

#include <optional>

#include "tests/fakes/fake_ui.h"

namespace horalux {
namespace {

struct Rig {
  fakes::IconvCodec codec;
  std::optional<IniFile> ini{std::in_place, codec, ""};
  void put(const std::string& utf8) { ini.emplace(codec, codec.to_ansi(utf8)); }
  std::string text() { return codec.from_ansi(ini->Bytes()); }
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
      {"not a 32-bit integer", "[Jikoku]\r\nudChien=-0x80000000\r\n", "Jikoku", "udChien", kInt,
       "300", "300"},
      {"too large", "[Jikoku]\r\nudChien=2147483648\r\n", "Jikoku", "udChien", kInt, "300", "300"},
      {"smallest", "[Jikoku]\r\nudChien=-2147483648\r\n", "Jikoku", "udChien", kInt, "300",
       "-2147483648"},
      {"hexadecimal pattern", "[Jikoku]\r\nudChien=0xFFFFFFFF\r\n", "Jikoku", "udChien", kInt,
       "300", "-1"},
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
        got = rig.ini->ReadString(row.section, row.key, row.default_value);
        break;
      case kInt:
        got = std::to_string(
            rig.ini->ReadInteger(row.section, row.key, std::stoi(row.default_value)));
        break;
      case kBool:
        got = rig.ini->ReadBool(row.section, row.key, std::string(row.default_value) == "1") ? "1"
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
    EXPECT_EQ(rig.ini->ReadString("Jikoku", "edtSNTP", ""), expected) << row.unit;
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
      {"LF file", "[Jikoku]\na=1\n", "Jikoku", "a", "3", "[Jikoku]\na=3\n"},
      {"blanks around the value stay", "[Jikoku]\r\n  a =  1 \t\r\n", "Jikoku", "a", "22",
       "[Jikoku]\r\n  a =  22 \t\r\n"},
      {"no break at the end", "[Jikoku]\r\na=1", "Jikoku", "b", "", "[Jikoku]\r\na=1\r\nb=\r\n"},
      {"line break in a value", "[Jikoku]\r\n", "Jikoku", "edtProxy", "p\r\n[Header]\r\nx=1",
       "[Jikoku]\r\nedtProxy=p[Header]x=1\r\n"},
      {"blank at an end, quoted", "[Jikoku]\r\nedtSNTP=\"\t1\"\r\n", "Jikoku", "edtSNTP", "\t1 ",
       "[Jikoku]\r\nedtSNTP=\"\t1 \"\r\n"},
      {"quoted value, quoted again", "[Jikoku]\r\n", "Jikoku", "edtProxy", "'p'",
       "[Jikoku]\r\nedtProxy=\"'p'\"\r\n"},
  };
  for (const Row& row : rows) {
    Rig rig;
    if (row.before) rig.put(row.before);
    EXPECT_TRUE(rig.ini->WriteString(row.section, row.key, row.value)) << row.why;
    EXPECT_EQ(rig.text(), row.after) << row.why;
  }
}

TEST(IniFileWrite, WritesShiftJisIntegersAndBooleans) {
  Rig rig;
  ASSERT_TRUE(rig.ini->WriteString("Jikoku", "edtProxy", "日本"));
  ASSERT_TRUE(rig.ini->WriteInteger("Jikoku", "udChouseiHTTP", -5000));
  ASSERT_TRUE(rig.ini->WriteBool("Jikoku", "cbProxy", true));
  ASSERT_TRUE(rig.ini->WriteBool("Jikoku", "cbSNTP", false));
  EXPECT_EQ(rig.ini->Bytes(),
            "[Jikoku]\r\nedtProxy=\x93\xfa\x96\x7b\r\nudChouseiHTTP=-5000\r\ncbProxy=1\r\n"
            "cbSNTP=0\r\n");
}

TEST(IniFileWrite, ChangesOnlyTheBytesOfTheValuesItWrites) {
  struct Row {
    const char* why;
    std::string before, after;
  } rows[] = {
      {"bytes that are not Shift-JIS and a UTF-8 mark",
       "\xEF\xBB\xBF;\x82\r\n[Jikoku]\r\nforeign=\x82\xFF\r\nudChien=1\r\n",
       "\xEF\xBB\xBF;\x82\r\n[Jikoku]\r\nforeign=\x82\xFF\r\nudChien=5\r\n"},
      {"a double-byte character whose second byte is a bracket",
       "[Jikoku]\r\n[\x81\x5D\r\nudChien=1\r\n", "[Jikoku]\r\n[\x81\x5D\r\nudChien=5\r\n"},
      {"UTF-16 LE", std::string("\xFF\xFE[\0J\0i\0k\0o\0k\0u\0]\0\r\0\n\0", 22),
       std::string("\xFF\xFE[\0J\0i\0k\0o\0k\0u\0]\0\r\0\n\0u\0d\0C\0h\0i\0e\0n\0=\0"
                   "5\0\r\0\n\0",
                   44)},
  };
  fakes::IconvCodec codec;
  for (const Row& row : rows) {
    IniFile ini(codec, row.before);
    ASSERT_TRUE(ini.WriteInteger("Jikoku", "udChien", 5)) << row.why;
    EXPECT_EQ(ini.Bytes(), row.after) << row.why;
  }
}

}  // namespace
}  // namespace horalux
