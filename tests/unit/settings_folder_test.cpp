#include "core/settings/settings_folder.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "core/base/confirm.h"
#include "core/base/ensure_folder.h"
#include "core/base/file_replace.h"
#include "core/desktop/safeguard.h"
#include "core/linkcheck/checked_files.h"
#include "tests/fakes/fake_shell.h"
#include "tests/fakes/fake_ui.h"
#include "tests/fakes/memory_file_handles.h"
#include "tests/fakes/memory_files.h"

namespace horalux {
namespace {

const std::string kProgram = "C:\\Apps\\Horalux\\";
const std::string kCommon = "C:\\Program Files\\Common Files\\Orvane\\HoraLux\\";
const std::string kUser = "C:\\Users\\u\\AppData\\Local\\Orvane\\HoraLux\\";

struct Rig {
  fakes::MemoryFiles files;
  fakes::FakeBoxes boxes;
  fakes::IconvCodec codec;
  fakes::FakeShell shell{files};
  fakes::MemoryFileHandles handles{files};
  bool elevated = false;  // the run checks its folders
  MoveToSafeGuardFn safeguard = [this](const std::string& folder, const std::string& name,
                                       int count) {
    MoveToSafeGuard(files, boxes, folder, name, count);
  };
  SettingsLocation Resolve() {
    SettingsLocation at;
    CheckedFiles checked(files, handles, elevated);
    if (elevated) files.add_folder("C:\\Users\\u\\AppData\\Local");  // a user's profile
    ResolveSettingsFolder(checked, codec, boxes, shell, at, safeguard);
    return at;
  }
  std::vector<std::string> Messages() {
    std::vector<std::string> texts;
    for (const auto& box : boxes.shown) texts.push_back(box.kind + ": " + box.text);
    return texts;
  }
};

TEST(ConfirmYesNo, AsksUnderTheConfirmTitleUnlessGivenOne) {
  struct Row {
    const char* title;  // nullptr: the untitled form
    bool yes_default;
    bool answer;
    const char* shown_title;
  } rows[] = {{nullptr, true, true, "確認"},
              {nullptr, false, false, "確認"},
              {"", true, true, "確認"},
              {"  ", true, false, "確認"},
              {"登録", false, true, "登録"}};
  for (const Row& row : rows) {
    fakes::FakeBoxes boxes;
    boxes.answers.push_back(row.answer);
    bool got = row.title ? ConfirmYesNo(boxes, row.title, "text", row.yes_default)
                         : ConfirmYesNo(boxes, "text", row.yes_default);
    EXPECT_EQ(got, row.answer);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].kind, "question");
    EXPECT_EQ(boxes.shown[0].title, row.shown_title);
    EXPECT_EQ(boxes.shown[0].text, "text");
    EXPECT_EQ(boxes.shown[0].yes_is_default, row.yes_default);
  }
}

TEST(CommonFilesFolder, TakesTheWindowsDriveOrC) {
  struct Row {
    const char* windows;
    const char* expected;
  } rows[] = {{"C:\\Windows", "C:\\Program Files\\Common Files\\"},
              {"D:\\WINNT", "D:\\Program Files\\Common Files\\"},
              {"\\\\server\\win", "C:\\Program Files\\Common Files\\"},
              {"", "C:\\Program Files\\Common Files\\"}};
  for (const Row& row : rows) {
    fakes::MemoryFiles files;
    files.windows = row.windows;
    EXPECT_EQ(CommonFilesFolder(files), row.expected) << row.windows;
  }
}

TEST(EnsureFolder, CreatesWithParentsAsAllowed) {
  struct Row {
    const char* why;
    const char* folder;
    bool create, ask;
    std::vector<bool> answers;
    std::function<void(fakes::MemoryFiles&)> arrange;
    bool result;
    bool exists_after;
    std::vector<std::string> boxes;
  } rows[] = {
      {"exists", " C:\\Apps\\ ", false, true, {}, nullptr, true, true, {}},
      {"missing, no create", "C:\\New\\", false, true, {}, nullptr, false, false, {}},
      {"parents made, fixed drive", "C:\\A\\B\\C\\", true, false, {}, nullptr, true, true, {}},
      {"removable drive counts",
       "E:\\Data",
       true,
       false,
       {},
       [](fakes::MemoryFiles& f) { f.drives["E:\\"] = DriveType::Removable; },
       true,
       true,
       {}},
      {"CD-ROM drive does not",
       "Q:\\Data\\",
       true,
       false,
       {},
       [](fakes::MemoryFiles& f) { f.drives["Q:\\"] = DriveType::CdRom; },
       false,
       false,
       {}},
      {"asked, No",
       "C:\\New\\",
       true,
       true,
       {false},
       nullptr,
       false,
       false,
       {"question: フォルダ[C:\\New]が存在しません。\r\n作成しますか。"}},
      {"asked, Yes",
       "C:\\New\\",
       true,
       true,
       {true},
       nullptr,
       true,
       true,
       {"question: フォルダ[C:\\New]が存在しません。\r\n作成しますか。"}},
      {"asked, creation fails",
       "C:\\Locked\\In",
       true,
       true,
       {true},
       [](fakes::MemoryFiles& f) { f.read_only_paths.insert("C:\\LOCKED"); },
       false,
       false,
       {"question: フォルダ[C:\\Locked\\In]が存在しません。\r\n作成しますか。",
        "message: フォルダ[C:\\Locked\\In]が作成出来ません。\r\nフォルダの作成を中止します。"}},
      {"not asked, creation fails silently",
       "C:\\Locked\\In",
       true,
       false,
       {},
       [](fakes::MemoryFiles& f) { f.read_only_paths.insert("C:\\LOCKED"); },
       false,
       false,
       {}},
  };
  for (const Row& row : rows) {
    Rig rig;
    if (row.arrange) row.arrange(rig.files);
    for (bool a : row.answers) rig.boxes.answers.push_back(a);
    EXPECT_EQ(EnsureFolder(rig.files, rig.boxes, row.folder, row.create, row.ask), row.result)
        << row.why;
    std::string trimmed = row.folder;
    std::erase(trimmed, ' ');
    EXPECT_EQ(rig.files.folder_exists(trimmed), row.exists_after) << row.why;
    EXPECT_EQ(rig.Messages(), row.boxes) << row.why;
  }
}

TEST(ResolveSettingsFolder, DecidesTheFolderAndTheRunFlags) {
  struct Row {
    const char* why;
    std::function<void(Rig&)> arrange;
    std::string folder;
    bool read_only, offer_setup, hide_setup;
    std::vector<std::string> boxes;
  } rows[] = {
      {"first start creates the user's folder", nullptr, kUser, false, false, false, {}},
      {"user's folder kept",
       [](Rig& r) { r.files.add_folder(kUser); },
       kUser,
       false,
       false,
       false,
       {}},
      {"user's folder on another drive",
       [](Rig& r) {
         r.shell.folders[SpecialFolderId::LocalAppData] = "D:\\Profiles\\u\\Local\\";
         r.files.drives["D:\\"] = DriveType::Fixed;
       },
       "D:\\Profiles\\u\\Local\\Orvane\\HoraLux\\",
       false,
       false,
       false,
       {}},
      {"user's folder cannot be created",
       [](Rig& r) { r.files.read_only_paths.insert("C:\\USERS\\U\\APPDATA\\LOCAL"); },
       kProgram,
       false,
       false,
       false,
       {"message: [" + kUser + "]が作成できません。\r\n起動したフォルダに設定します。"}},
      {"the shell names no local application-data folder",
       [](Rig& r) { r.shell.folders[SpecialFolderId::LocalAppData] = ""; },
       kProgram,
       false,
       false,
       false,
       {"message: [%LOCALAPPDATA%\\Orvane\\HoraLux\\]が作成できません。\r\n"
        "起動したフォルダに設定します。"}},
      // clang-format off
      {"elevated, where the user may make files", [](Rig& r) { r.elevated = true; }, kUser, false, false, false, {}},
      {"elevated, where only administrators write", [](Rig& r) { r.elevated = true; r.handles.closed_to_user.insert("C:\\Users\\u\\AppData\\Local"); },
       kProgram, false, false, false, {"message: [" + kUser + "]が作成できません。\r\n起動したフォルダに設定します。"}},
      {"elevated, a folder made there comes out a link", [](Rig& r) { r.elevated = true; r.handles.facts["C:\\Users\\u\\AppData\\Local\\Orvane"] = {"\\\\?\\C:\\Windows", 1, 0x10}; },
       kProgram, false, false, false, {"message: [" + kUser + "]が作成できません。\r\n起動したフォルダに設定します。"}},
      // clang-format on
      {"portable",
       [](Rig& r) { r.files.put(kProgram + "localfol.hlx", ""); },
       kProgram,
       false,
       false,
       false,
       {}},
      {"portable, setup offered",
       [](Rig& r) { r.files.put(kProgram + "localfol.hlx", "[set]\r\nFIRST=1\r\n"); },
       kProgram,
       false,
       true,
       false,
       {}},
      {"portable on CD-ROM without settings",
       [](Rig& r) {
         r.files.exe = "R:\\Horalux.exe";
         r.files.drives["R:\\"] = DriveType::CdRom;
         r.files.put("R:\\localfol.hlx", "[Set]\r\nFirst=1\r\n");
       },
       "R:\\",
       true,
       true,
       false,
       {}},
      {"portable on CD-ROM with settings",
       [](Rig& r) {
         r.files.exe = "R:\\Horalux.exe";
         r.files.drives["R:\\"] = DriveType::CdRom;
         r.files.put("R:\\localfol.hlx", "");
         r.files.put("R:\\Horalux.ini", "");
       },
       "R:\\",
       false,
       false,
       false,
       {}},
      {"setup helper present",
       [](Rig& r) { r.files.put(kProgram + "horka.exe", "MZ"); },
       kUser,
       false,
       false,
       true,
       {}},
  };
  for (const Row& row : rows) {
    Rig rig;
    if (row.arrange) row.arrange(rig);
    SettingsLocation at = rig.Resolve();
    EXPECT_EQ(at.folder, row.folder) << row.why;
    EXPECT_EQ(at.settingsFile, row.folder + "Horalux.ini") << row.why;
    EXPECT_EQ(at.logFile, row.folder + "Jikoku.txt") << row.why;
    if (row.folder.size() > 3) {
      EXPECT_TRUE(rig.files.folder_exists(row.folder)) << row.why;
    }
    EXPECT_EQ(at.readOnlyMedium, row.read_only) << row.why;
    EXPECT_EQ(at.offerSetupAtFirstShow, row.offer_setup) << row.why;
    EXPECT_EQ(at.hideSetupMenu, row.hide_setup) << row.why;
    EXPECT_EQ(rig.Messages(), row.boxes) << row.why;
    EXPECT_FALSE(rig.files.exists(kCommon)) << row.why;
  }
}

TEST(ResolveSettingsFolder, SettingsFileIsNamedAfterTheExecutable) {
  Rig rig;
  rig.files.exe = "C:\\Apps\\Horalux\\Clock.v2.EXE";
  rig.files.put(kProgram + "localfol.hlx", "");
  EXPECT_EQ(rig.Resolve().settingsFile, kProgram + "Clock.v2.ini");
}

TEST(ResolveSettingsFolder, FirstStartMovesOldFilesIntoSafeguardGenerations) {
  Rig rig;
  rig.files.put(kProgram + "HoraLux.ini", "[Jikoku]\r\nudChien=120\r\n");
  rig.files.put(kProgram + "Jikoku.txt", "log");
  rig.Resolve();
  EXPECT_EQ(rig.files.content(kUser + "HoraLux.ini"), "[Jikoku]\r\nudChien=120\r\n");
  EXPECT_EQ(rig.files.content(kUser + "Jikoku.txt"), "log");
  EXPECT_FALSE(rig.files.exists(kProgram + "HoraLux.ini"));
  EXPECT_FALSE(rig.files.exists(kProgram + "Jikoku.txt"));
  EXPECT_EQ(rig.files.content(kProgram + "SafeGuard\\01_HoraLux.ini"),
            "[Jikoku]\r\nudChien=120\r\n");
  EXPECT_EQ(rig.files.content(kProgram + "SafeGuard\\01_Jikoku.txt"), "log");
  EXPECT_TRUE(rig.boxes.shown.empty());
}

TEST(ResolveSettingsFolder, AFailedMoveKeepsTheChosenFolder) {
  Rig rig;
  rig.files.put(kProgram + "HoraLux.ini", "[Jikoku]\r\n");
  rig.files.unreadable_paths.insert("C:\\APPS\\HORALUX\\HORALUX.INI");
  SettingsLocation at;
  EXPECT_THROW(ResolveSettingsFolder(rig.files, rig.codec, rig.boxes, rig.shell, at, rig.safeguard),
               EFileCopyError);
  EXPECT_EQ(at.settingsFile, kUser + "Horalux.ini");
  EXPECT_EQ(at.logFile, kUser + "Jikoku.txt");
}

TEST(ResolveSettingsFolder, AnExistingUserFolderTakesNothingIn) {
  Rig rig;
  rig.files.add_folder(kUser);
  rig.files.put(kProgram + "HoraLux.ini", "old");
  rig.files.put(kCommon + "HoraLux.ini", "common");
  rig.Resolve();
  EXPECT_EQ(rig.files.content(kProgram + "HoraLux.ini"), "old");
  EXPECT_FALSE(rig.files.exists(kUser + "HoraLux.ini"));
}

// An earlier version kept the files of every user in the common folder; the
// first start of each user copies them from there and leaves them for the
// others. Only without them do the program folder's files move in. Where an
// earlier unelevated run wrote them, Windows kept its copy in the VirtualStore.
TEST(ResolveSettingsFolder, FirstStartCopiesAnEarlierVersionsFilesFromTheCommonFolder) {
  const std::string program = "C:\\program files (x86)\\Horalux\\";
  const std::string store = "C:\\Users\\u\\AppData\\Local\\VirtualStore\\";
  struct Row {
    std::vector<const char*> in_common;  // files the common folder holds
    std::string user_ini, user_log;      // what the user's folder then holds
    std::vector<std::pair<std::string, std::string>> in_store = {};  // below `store`
    std::string exe = "Horalux.exe", user_ini_name = "HoraLux.ini";
  } rows[] = {
      {{"HoraLux.ini", "Jikoku.txt"}, "common ini", "common log"},
      {{"HoraLux.ini"}, "common ini", "<missing>"},
      {{"Jikoku.txt"}, "<missing>", "common log"},
      {{}, "program ini", "program log"},  // moved from the program folder
      {{"HoraLux.ini", "Jikoku.txt"},
       "common store ini",
       "common log",
       {{"Program Files\\Common Files\\Orvane\\HoraLux\\HoraLux.ini", "common store ini"}}},
      {{},
       "common store ini",
       "common store log",
       {{"Program Files\\Common Files\\Orvane\\HoraLux\\HoraLux.ini", "common store ini"},
        {"Program Files\\Common Files\\Orvane\\HoraLux\\Jikoku.txt", "common store log"}}},
      {{},
       "program store ini",
       "program log",
       {{"Program Files (x86)\\Horalux\\HoraLux.ini", "program store ini"}}},
      {{"HoraLux.ini"}, "common ini", "<missing>", {}, "Horalux (1).exe", "Horalux (1).ini"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.user_ini + " / " + row.user_log);
    Rig rig;
    rig.files.exe = program + row.exe;
    rig.files.put(program + "HoraLux.ini", "program ini");
    rig.files.put(program + "Jikoku.txt", "program log");
    rig.files.add_folder(kCommon);
    for (std::string name : row.in_common)
      rig.files.put(kCommon + name, name == "Jikoku.txt" ? "common log" : "common ini");
    for (const auto& [path, bytes] : row.in_store) rig.files.put(store + path, bytes);
    EXPECT_EQ(rig.Resolve().folder, kUser);
    EXPECT_EQ(rig.files.content(kUser + row.user_ini_name), row.user_ini);
    EXPECT_EQ(rig.files.content(kUser + "Jikoku.txt"), row.user_log);
    const bool moved = (row.user_ini + row.user_log).find("common") == std::string::npos;
    EXPECT_EQ(rig.files.exists(program + "HoraLux.ini"), !moved);
    EXPECT_EQ(rig.files.exists(program + "SafeGuard\\01_Jikoku.txt"), moved);
    for (const char* name : row.in_common) EXPECT_TRUE(rig.files.has_file(kCommon + name));
    for (const auto& [path, bytes] : row.in_store)
      EXPECT_EQ(rig.files.content(store + path), bytes);
    EXPECT_TRUE(rig.boxes.shown.empty());
  }
}

TEST(EnsureSettingsFolder, AnnouncesTheRecreationWhenAsked) {
  Rig rig;
  std::string folder = kUser;
  EXPECT_TRUE(
      EnsureSettingsFolder(rig.files, rig.boxes, folder, kProgram, "", true, rig.safeguard));
  EXPECT_EQ(folder, kUser);
  EXPECT_EQ(rig.Messages(), std::vector<std::string>{"message: [" + kUser +
                                                     "]が見つかりません。\r\n作成し直します。"});
}

TEST(MoveProgramFolderFiles, AMissingFolderMovesNothing) {
  Rig rig;
  rig.files.put(kProgram + "HoraLux.ini", "old");
  MoveProgramFolderFiles(rig.files, rig.boxes, kUser, kProgram, "", rig.safeguard);
  EXPECT_EQ(rig.files.content(kProgram + "HoraLux.ini"), "old");
  EXPECT_FALSE(rig.files.exists(kProgram + "SafeGuard"));
  EXPECT_EQ(rig.Messages(), std::vector<std::string>{"message: [" + kUser +
                                                     "]が見つかりません。\r\n設定が保存されない"
                                                     "可能性があります。"});
}

TEST(MoveProgramFolderFiles, AFailedCopyRaisesAndKeepsTheOriginals) {
  struct Row {
    const char* why;
    std::function<void(fakes::MemoryFiles&)> arrange;
  } rows[] = {
      {"target cannot be written", [](fakes::MemoryFiles& f) { f.fail_writes_after = 0; }},
      {"second copy fails", [](fakes::MemoryFiles& f) { f.fail_writes_after = 1; }},
      {"source cannot be read",
       [](fakes::MemoryFiles& f) {
         f.remove(kProgram + "Jikoku.txt");
         f.add_folder(kProgram + "Jikoku.txt");
       }},
  };
  for (const Row& row : rows) {
    Rig rig;
    rig.files.add_folder(kUser);
    rig.files.put(kProgram + "HoraLux.ini", "ini");
    rig.files.put(kProgram + "Jikoku.txt", "log");
    row.arrange(rig.files);
    EXPECT_THROW(MoveProgramFolderFiles(rig.files, rig.boxes, kUser, kProgram, "", rig.safeguard),
                 EFileCopyError)
        << row.why;
    EXPECT_EQ(rig.files.content(kProgram + "HoraLux.ini"), "ini") << row.why;
    EXPECT_FALSE(rig.files.exists(kProgram + "SafeGuard")) << row.why;
    EXPECT_FALSE(rig.files.exists(kUser + "Jikoku.txt")) << row.why;
  }
}

// Jikoku.txt read, replaced through ".new" (as every file the run keeps or
// copies there) and written in place (Head.txt) after a link was made.
TEST(CheckedFiles, AnElevatedRunWorksOnlyOnFilesThatAreWhatTheirNamesSay) {
  const std::string folder = "C:\\Users\\u\\AppData\\Local\\Orvane\\HoraLux";
  const std::string log = folder + "\\Jikoku.txt", final_log = "\\\\?\\" + log;
  struct Row {
    const char* what;
    bool elevated;
    std::string path;  // what the system tells of it, where not itself
    FileFacts told;
    bool works = false;  // told otherwise, yet no link to elsewhere
  } rows[] = {
      {"all clean", true, "", {}},
      {"folder link", true, folder, {"\\\\?\\C:\\Windows\\System32", 1, 0x10}},
      {"file link", true, log, {final_log, 1, file_attribute::kReparsePoint}},
      {"final path elsewhere", true, log, {"\\\\?\\Z:\\etc\\hosts", 1, 0}},
      {"two links", true, log, {final_log, 2, 0}},
      {"folder junction as itself", true, folder, {"\\\\?\\" + folder, 1, 0x410, 0xA0000003}},
      {"folder kept online", true, folder, {"\\\\?\\" + folder, 1, 0x410, 0x9000601A}, true},
      {"file link, not elevated", false, log, {final_log, 1, file_attribute::kReparsePoint}},
  };
  std::printf("%-24s exists read save write\n", "case");
  for (const Row& row : rows) {
    fakes::MemoryFiles files;
    fakes::MemoryFileHandles handles(files);
    files.put(log, "old");
    if (!row.path.empty()) handles.facts[row.path] = row.told;
    CheckedFiles checked(files, handles, row.elevated);
    const bool works = row.works || row.path.empty() || !row.elevated;
    const bool exists = checked.exists(log);
    const bool read = checked.read(log) == "old";
    const bool saved = ReplaceFileContent(checked, log, "saved");
    const bool written = checked.write(log, "head");
    std::printf("%-24s %-6d %-4d %-4d %d\n", row.what, exists, read, saved, written);
    EXPECT_EQ(std::vector<bool>({exists, read, saved, written}), std::vector<bool>(4, works))
        << row.what;
    EXPECT_EQ(files.content(log), works ? "head" : "old") << row.what;
    EXPECT_FALSE(files.exists(log + ".new")) << row.what;
  }
}

}  // namespace
}  // namespace horalux
