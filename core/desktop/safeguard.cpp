#include "core/desktop/safeguard.h"

#include <cstdio>

#include "core/base/ensure_folder.h"
#include "core/base/file_replace.h"
#include "core/base/path_text.h"

namespace horalux {
namespace {
constexpr int kMinGenerations = 2;
constexpr int kMaxGenerations = 32;
// Generations are looked for up to this number, however many are kept.
constexpr int kHighestGeneration = 99;
}  // namespace

std::string GenerationPath(const std::string& backup_folder, int number,
                           const std::string& file_name) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%.2d", number);
  return backup_folder + digits + "_" + file_name;
}

bool CopyToGenerations(Files& files, Boxes& boxes, const std::string& file_path,
                       const std::string& backup_folder, int count) {
  if (!files.exists(file_path)) {
    boxes.message("[" + file_path + "]がありません。");
    return false;
  }
  if (count < kMinGenerations || count > kMaxGenerations) {
    boxes.message("世代の数が正しくありません。");
    return false;
  }
  const std::string name = FileNameOf(file_path);
  auto gen = [&](int n) { return GenerationPath(backup_folder, n, name); };
  auto fail = [&] {
    boxes.message("世代コピーエラー");
    return false;
  };

  if (!EnsureFolder(files, boxes, backup_folder, true, false)) return fail();
  int n = 0;
  while (n < kHighestGeneration && files.exists(gen(n + 1))) ++n;
  for (int k = n; k >= count; --k)
    if (files.exists(gen(k)) && !files.remove(gen(k))) return fail();
  for (int k = n; k >= 1; --k)
    if (files.exists(gen(k)) && !files.rename(gen(k), gen(k + 1))) return fail();
  if (!files.exists(gen(1)) && !CopyFileBytes(files, file_path, gen(1))) return fail();
  return true;
}

bool MoveToSafeGuard(Files& files, Boxes& boxes, const std::string& folder,
                     const std::string& file_name, int count) {
  const std::string dir = WithTrailingBackslash(std::string(TrimBlanks(folder)));
  const std::string path = dir + file_name;
  if (!files.exists(path)) return true;
  if (!CopyToGenerations(files, boxes, path, dir + "SafeGuard\\", count)) return false;
  if (!files.remove(path)) {
    boxes.message("SafeGuard コピーに失敗しました。");
    return false;
  }
  return true;
}

}  // namespace horalux
