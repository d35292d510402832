// The settings file: whatever lies in "HoraLux.ini" is loaded onto the
// screen, saved back over the same bytes and loaded again. The values read
// must survive the round, and every line the program does not own must
// come out byte for byte.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/settings/settings_file.h"
#include "core/settings/settings_keys.h"
#include "fuzz/fuzz_input.h"
#include "fuzz/lenient_codec.h"
#include "tests/fakes/fake_ui.h"
#include "tests/fakes/memory_files.h"

using namespace horalux;

namespace {

constexpr char kPath[] = "C:\\Apps\\Horalux\\HoraLux.ini";
const SettingsHeader kHeader{"Ver0.9.9", "C:\\Apps\\Horalux\\"};

using Units = std::u16string;

// The screen's values as an ini text that loses nothing (UTF-8).
std::string Values(TextCodec& codec, const JikokuScreen& screen) {
  IniFile ini(codec, "\xEF\xBB\xBF");
  WriteSettings(screen, ini, kHeader);
  return ini.Bytes();
}

// Loads as the program does; the tab named in the file is selected.
void Load(SettingsFile& file, JikokuScreen& screen) {
  LoadedSettingsHooks hooks;
  hooks.SelectPage = [&](int page) { SelectLoadedPage(screen, page); };
  file.Load(kPath, screen, hooks);
}

// The file's lines in its own units (UTF-16 code units after a UTF-16 mark,
// else bytes), each with its line break.
std::vector<Units> Lines(const std::string& bytes) {
  Units units;
  if (bytes.starts_with("\xFF\xFE")) {
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
      units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                     static_cast<unsigned char>(bytes[i + 1]) << 8);
  } else {
    for (std::size_t i = bytes.starts_with("\xEF\xBB\xBF") ? 3 : 0; i < bytes.size(); ++i)
      units += static_cast<unsigned char>(bytes[i]);
  }
  std::vector<Units> lines;
  for (std::size_t start = 0; start < units.size();) {
    std::size_t nl = units.find(u'\n', start);
    std::size_t end = nl == Units::npos ? units.size() : nl + 1;
    lines.push_back(units.substr(start, end - start));
    start = end;
  }
  return lines;
}

bool SameName(const Units& name, const char* key) {
  auto upper = [](char16_t c) { return c >= 'a' && c <= 'z' ? char16_t(c - 'a' + 'A') : c; };
  std::size_t i = 0;
  for (; key[i] != '\0'; ++i)
    if (i >= name.size() || upper(name[i]) != upper(static_cast<unsigned char>(key[i])))
      return false;
  return i == name.size();
}

// A line that may be the program's own: "name=..." with a name the program
// writes, in whatever section.
bool MayBeOwned(const Units& line) {
  std::size_t eq = line.find(u'=');
  if (eq == Units::npos) return false;
  auto blank = [](char16_t c) { return c == ' ' || (c >= '\t' && c <= '\r') || c == 0x1A; };
  std::size_t begin = 0, end = eq;
  while (begin < end && blank(line[begin])) ++begin;
  while (end > begin && blank(line[end - 1])) --end;
  Units name = line.substr(begin, end - begin);
  if (SameName(name, "Version") || SameName(name, "Folder")) return true;
  for (const SettingsKey& row : SettingsKeys())
    if (SameName(name, row.key)) return true;
  return false;
}

// Every other line of `before` stands in `after` in the same order; the
// last one may have gained the line break a line added after it needs.
void RequireForeignLinesKept(const std::string& before, const std::string& after) {
  std::vector<Units> old_lines = Lines(before), new_lines = Lines(after);
  std::size_t j = 0;
  for (std::size_t i = 0; i < old_lines.size(); ++i) {
    const Units& line = old_lines[i];
    if (MayBeOwned(line)) continue;
    bool last = i + 1 == old_lines.size() && !line.ends_with(u'\n');
    while (j < new_lines.size() && new_lines[j] != line &&
           !(last && new_lines[j] == line + u"\r\n"))
      ++j;
    fuzz::Require(j < new_lines.size(), "a line the program does not own stays byte for byte");
    ++j;
  }
  if (before.starts_with("\xFF\xFE") && before.size() % 2 == 1)
    fuzz::Require(after.size() % 2 == 1 && after.back() == before.back(),
                  "the odd last byte of a UTF-16 file stays");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static fuzz::LenientCodec codec;
  const std::string before(reinterpret_cast<const char*>(data), size);
  fakes::MemoryFiles files;
  files.put(kPath, before);

  JikokuScreen read;
  SettingsFile file(files, codec);
  Load(file, read);
  fakes::FakeBoxes boxes;
  fuzz::Require(file.Save(read, kHeader, false, boxes), "what was read can be saved");
  const std::string after = files.content(kPath);

  JikokuScreen again;
  SettingsFile reread(files, codec);
  Load(reread, again);
  fuzz::Require(Values(codec, read) == Values(codec, again), "what was read survives a save");
  RequireForeignLinesKept(before, after);
  return 0;
}
