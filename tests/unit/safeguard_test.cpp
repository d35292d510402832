#include "core/desktop/safeguard.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "tests/fakes/fake_ui.h"
#include "tests/fakes/memory_files.h"

namespace horalux {
namespace {

const std::string kFolder = "C:\\Data\\";
const std::string kFile = "C:\\Data\\HoraLux.ini";
const std::string kBackup = "C:\\Data\\SafeGuard\\";

struct Rig {
  fakes::MemoryFiles files;
  fakes::FakeBoxes boxes;
  Rig() { files.put(kFile, "new"); }
  void gen(int n, const std::string& bytes) {
    files.put(GenerationPath(kBackup, n, "HoraLux.ini"), bytes);
  }
  // Generation number -> content, for 1 to 40.
  std::map<int, std::string> gens() {
    std::map<int, std::string> found;
    for (int n = 1; n <= 40; ++n) {
      std::string path = GenerationPath(kBackup, n, "HoraLux.ini");
      if (files.has_file(path)) found[n] = files.content(path);
    }
    return found;
  }
  std::vector<std::string> texts() {
    std::vector<std::string> t;
    for (const auto& b : boxes.shown) t.push_back(b.text);
    return t;
  }
};

TEST(MoveToSafeGuard, RotatesTheGenerationsAndMovesTheFile) {
  struct Row {
    const char* why;
    std::map<int, std::string> before;
    int count;
    std::map<int, std::string> after;
  } rows[] = {
      {"first use", {}, 3, {{1, "new"}}},
      {"a gap at 02", {{1, "a"}, {3, "c"}}, 3, {{1, "new"}, {2, "a"}, {3, "c"}}},
      {"count 2", {{1, "a"}, {2, "b"}}, 2, {{1, "new"}, {2, "a"}}},
      {"count 3, full", {{1, "a"}, {2, "b"}, {3, "c"}}, 3, {{1, "new"}, {2, "a"}, {3, "b"}}},
      {"more than count already",
       {{1, "a"}, {2, "b"}, {3, "c"}, {4, "d"}},
       2,
       {{1, "new"}, {2, "a"}}},
      {"count 32", {{1, "a"}}, 32, {{1, "new"}, {2, "a"}}},
  };
  for (const Row& row : rows) {
    Rig rig;
    for (const auto& [n, bytes] : row.before) rig.gen(n, bytes);
    EXPECT_TRUE(MoveToSafeGuard(rig.files, rig.boxes, "C:\\Data", "HoraLux.ini", row.count))
        << row.why;
    EXPECT_EQ(rig.gens(), row.after) << row.why;
    EXPECT_FALSE(rig.files.exists(kFile)) << row.why;
    EXPECT_TRUE(rig.boxes.shown.empty()) << row.why;
  }
}

TEST(MoveToSafeGuard, FailuresKeepTheFileAndSaySo) {
  struct Row {
    const char* why;
    int count;
    std::function<void(Rig&)> arrange;
    bool result;
    bool file_kept;
    std::vector<std::string> boxes;
  } rows[] = {
      {"count 1", 1, nullptr, false, true, {"世代の数が正しくありません。"}},
      {"count 33", 33, nullptr, false, true, {"世代の数が正しくありません。"}},
      {"no file is no error", 3, [](Rig& r) { r.files.remove(kFile); }, true, false, {}},
      {"copy fails",
       3,
       [](Rig& r) { r.files.fail_writes_after = 0; },
       false,
       true,
       {"世代コピーエラー"}},
      {"rotation fails",
       3,
       [](Rig& r) {
         r.gen(1, "a");
         r.gen(2, "b");
         r.files.read_only_paths.insert("C:\\DATA\\SAFEGUARD\\03_HORALUX.INI");
       },
       false,
       true,
       {"世代コピーエラー"}},
      {"backup folder cannot be made",
       3,
       [](Rig& r) { r.files.read_only_paths.insert("C:\\DATA\\SAFEGUARD"); },
       false,
       true,
       {"世代コピーエラー"}},
      {"file cannot be deleted",
       3,
       [](Rig& r) { r.files.read_only_paths.insert("C:\\DATA\\HORALUX.INI"); },
       false,
       true,
       {"SafeGuard コピーに失敗しました。"}},
  };
  for (const Row& row : rows) {
    Rig rig;
    if (row.arrange) row.arrange(rig);
    EXPECT_EQ(MoveToSafeGuard(rig.files, rig.boxes, " C:\\Data\\ ", "HoraLux.ini", row.count),
              row.result)
        << row.why;
    EXPECT_EQ(rig.files.has_file(kFile), row.file_kept) << row.why;
    EXPECT_EQ(rig.texts(), row.boxes) << row.why;
  }
}

TEST(CopyToGenerations, AMissingFileIsNamed) {
  Rig rig;
  EXPECT_FALSE(CopyToGenerations(rig.files, rig.boxes, "C:\\Data\\none.txt", kBackup, 3));
  EXPECT_EQ(rig.texts(), std::vector<std::string>{"[C:\\Data\\none.txt]がありません。"});
}

}  // namespace
}  // namespace horalux
