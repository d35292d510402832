#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/settings/ini_file.h"
#include "win32/platform/wide.h"
#include "win32/platform/win_files.h"
#include "win32/platform/win_text_codec.h"

namespace horalux {
namespace {

using win32::Narrow;
using win32::Widen;

// A fresh folder under the temp folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    path_ = Narrow(temp) + "horalux_ini_" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryW(Widen(path_).c_str(), nullptr);
  }
  ~TempFolder() {
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW(Widen(path_ + "*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        DeleteFileW(Widen(path_ + Narrow(found.cFileName)).c_str());
      } while (FindNextFileW(h, &found));
      FindClose(h);
    }
    RemoveDirectoryW(Widen(path_).c_str());
  }
  std::string file(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

std::string ApiString(const std::string& path, const std::string& section, const std::string& key,
                      const std::string& default_value) {
  std::vector<wchar_t> buffer(4096);
  DWORD n = GetPrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(),
                                     Widen(default_value).c_str(), buffer.data(),
                                     static_cast<DWORD>(buffer.size()), Widen(path).c_str());
  return Narrow(buffer.data(), static_cast<int>(n));
}

IniFile Open(WinFiles& files, WinTextCodec& codec, const std::string& path) {
  return IniFile(codec, files.read(path).value_or(""));
}

int ApiInt(const std::string& path, const std::string& section, const std::string& key, int def) {
  return static_cast<int>(
      GetPrivateProfileIntW(Widen(section).c_str(), Widen(key).c_str(), def, Widen(path).c_str()));
}

struct Entry {
  const char* section;
  const char* key;
  const char* value;
};

// Texts whose Shift-JIS form has a "\" (0x5C) as its second byte are the
// classic trap for byte-wise handling.
const Entry kEntries[] = {
    {"Header", "Version", "Ver0.9.9"},
    {"Header", "Folder", "C:\\Program Files\\表示ソフト\\"},
    {"Jikoku", "cbEhyouji", "1"},
    {"Jikoku", "udChouseiHTTP", "-5000"},
    {"Jikoku", "udGosa", "600"},
    {"Jikoku", "edtJisa", "-32400"},
    {"Jikoku", "edtProxy", "プロキシ.例.jp"},
    {"Jikoku", "edtPort", ""},
    {"Jikoku", "edtSNTP", "20.101.57.9"},
};

TEST(IniCompat, FilesWrittenByTheCodecReadTheSameThroughTheProfileCalls) {
  TempFolder temp;
  WinFiles files;
  WinTextCodec codec;
  const std::string path = temp.file("core.ini");
  IniFile ini = Open(files, codec, path);
  for (const Entry& e : kEntries) ASSERT_TRUE(ini.WriteString(e.section, e.key, e.value)) << e.key;
  // Rewriting an existing key must keep its place and the other keys.
  ASSERT_TRUE(ini.WriteString("Header", "Version", "Ver0.9.9"));
  ASSERT_TRUE(files.write(path, ini.Bytes()));
  for (const Entry& e : kEntries)
    EXPECT_EQ(ApiString(path, e.section, e.key, "<none>"), e.value) << e.key;
  EXPECT_EQ(ApiInt(path, "Jikoku", "udChouseiHTTP", 0), -5000);
  EXPECT_EQ(ApiInt(path, "JIKOKU", "UDGOSA", 0), 600);
  EXPECT_EQ(ApiString(path, "Jikoku", "missing", "<none>"), "<none>");
}

TEST(IniCompat, FilesWrittenByTheProfileCallsReadTheSameThroughTheCodec) {
  TempFolder temp;
  WinFiles files;
  WinTextCodec codec;
  // A file that starts with a UTF-16 byte-order mark is kept in UTF-16.
  for (const char* start : {"", "\xFF\xFE"}) {
    const std::string path = temp.file(*start ? "api16.ini" : "api.ini");
    ASSERT_TRUE(files.write(path, start));
    for (const Entry& e : kEntries)
      ASSERT_TRUE(WritePrivateProfileStringW(Widen(e.section).c_str(), Widen(e.key).c_str(),
                                             Widen(e.value).c_str(), Widen(path).c_str()))
          << e.key;
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, Widen(path).c_str());  // flush
    IniFile ini = Open(files, codec, path);
    for (const Entry& e : kEntries)
      EXPECT_EQ(ini.ReadString(e.section, e.key, "<none>"), e.value) << e.key << " " << path;
    EXPECT_EQ(ini.ReadInteger("jikoku", "udchouseihttp", 0), -5000) << path;

    // A key the codec adds to that file is seen by the profile calls, and the
    // keys already there stay readable.
    ASSERT_TRUE(ini.WriteString("Jikoku", "cbSNTP", "1"));
    ASSERT_TRUE(ini.WriteString("Jikoku", "edtProxy", "表ソ"));
    ASSERT_TRUE(files.write(path, ini.Bytes()));
    EXPECT_EQ(ApiInt(path, "Jikoku", "cbSNTP", 0), 1) << path;
    EXPECT_EQ(ApiString(path, "Jikoku", "edtProxy", "<none>"), "表ソ") << path;
    for (const Entry& e : kEntries) {
      if (std::string(e.key) != "edtProxy") {
        EXPECT_EQ(ApiString(path, e.section, e.key, "<none>"), e.value) << e.key << " " << path;
      }
    }
  }
}

TEST(IniCompat, HandWrittenFilesReadAlikeThroughBothPaths) {
  struct Row {
    const char* why;
    const char* file;  // UTF-8 text, stored as Shift-JIS
    const char* section;
    const char* key;
  } rows[] = {
      {"case", "[JIKOKU]\r\nUDCHIEN=120\r\n", "Jikoku", "udChien"},
      {"blanks", "[Jikoku]\r\n  udChien  =  7  \r\n", "Jikoku", "udChien"},
      {"quotes", "[Jikoku]\r\nedtProxy=\"a b\"\r\n", "Jikoku", "edtProxy"},
      {"single quotes", "[Jikoku]\r\nedtProxy='x'\r\n", "Jikoku", "edtProxy"},
      {"duplicate keys", "[Jikoku]\r\nudChien=1\r\nudChien=2\r\n", "Jikoku", "udChien"},
      {"duplicate sections", "[Jikoku]\r\nudChien=1\r\n[Jikoku]\r\nudChien=2\r\n", "Jikoku",
       "udChien"},
      {"unknown lines", ";c\r\nstray\r\n[Jikoku]\r\nnoise\r\nudChien=8\r\n", "Jikoku", "udChien"},
      {"japanese", "[Jikoku]\r\nedtProxy=表ソ能\r\n", "Jikoku", "edtProxy"},
      {"LF lines", "[Jikoku]\nudGyou=5\nudChien=6\n", "Jikoku", "udChien"},
      {"empty value", "[Jikoku]\r\nedtPort=\r\n", "Jikoku", "edtPort"},
      {"missing key", "[Jikoku]\r\nudGyou=5\r\n", "Jikoku", "udChien"},
  };
  TempFolder temp;
  WinFiles files;
  WinTextCodec codec;
  int n = 0;
  for (const Row& row : rows) {
    // A new name each time: the profile calls may cache a file they read.
    const std::string path = temp.file("hand" + std::to_string(n++) + ".ini");
    ASSERT_TRUE(files.write(path, codec.to_ansi(row.file))) << row.why;
    EXPECT_EQ(Open(files, codec, path).ReadString(row.section, row.key, "<none>"),
              ApiString(path, row.section, row.key, "<none>"))
        << row.why;
  }
}

}  // namespace
}  // namespace horalux
