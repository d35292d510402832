#include "core/settings/ini_file.h"

#include <algorithm>
#include <exception>

#include "core/controls/controls.h"

namespace horalux {
namespace {

bool IsBlank(char c) {
  // 0x1A is the old end-of-file mark some editors leave behind.
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f' || c == '\x1a';
}

std::string Trim(const std::string& s) {
  std::size_t begin = 0, end = s.size();
  while (begin < end && IsBlank(s[begin])) ++begin;
  while (end > begin && IsBlank(s[end - 1])) --end;
  return s.substr(begin, end - begin);
}

// Names are ASCII in practice; other characters compare as they are.
bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

struct Line {
  enum Kind { kOther, kSection, kKey } kind = kOther;
  std::string name;
  std::string value;
};

Line Parse(const std::string& raw) {
  Line line;
  std::string text = Trim(raw);
  if (!text.empty() && text.front() == '[') {
    std::size_t close = text.rfind(']');
    if (close != std::string::npos) {
      line.kind = Line::kSection;
      line.name = Trim(text.substr(1, close - 1));
      return line;
    }
  }
  std::size_t eq = text.find('=');
  if (eq == std::string::npos) return line;
  line.name = Trim(text.substr(0, eq));
  if (line.name.empty()) return line;
  line.kind = Line::kKey;
  line.value = Trim(text.substr(eq + 1));
  return line;
}

// Where a section lies in the file: its header line and one past its last
// line that is not blank, so that keys added to it go before the blank lines
// that separate it from the next section.
struct SectionSpan {
  std::size_t header;
  std::size_t end_of_content;
};

std::optional<SectionSpan> FindSection(const std::vector<std::string>& lines,
                                       const std::string& section) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    Line l = Parse(lines[i]);
    if (l.kind != Line::kSection || !SameName(l.name, section)) continue;
    SectionSpan span{i, i + 1};
    for (std::size_t j = i + 1; j < lines.size(); ++j) {
      if (Parse(lines[j]).kind == Line::kSection) break;
      if (!Trim(lines[j]).empty()) span.end_of_content = j + 1;
    }
    return span;
  }
  return std::nullopt;
}

std::optional<std::size_t> FindKey(const std::vector<std::string>& lines, const SectionSpan& span,
                                   const std::string& key) {
  for (std::size_t i = span.header + 1; i < span.end_of_content; ++i) {
    Line l = Parse(lines[i]);
    if (l.kind == Line::kKey && SameName(l.name, key)) return i;
  }
  return std::nullopt;
}

std::string Unquote(const std::string& value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front())
    return value.substr(1, value.size() - 2);
  return value;
}

// Cuts UTF-8 text to at most max UTF-16 units, never inside a character.
std::string Truncate(const std::string& utf8, std::size_t max) {
  std::size_t units = 0, i = 0;
  while (i < utf8.size()) {
    unsigned char lead = static_cast<unsigned char>(utf8[i]);
    std::size_t bytes = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    std::size_t width = bytes == 4 ? 2 : 1;
    if (units + width > max) break;
    units += width;
    i += bytes;
  }
  return utf8.substr(0, std::min(i, utf8.size()));
}

// A line break inside a value would split its line and plant whatever
// follows as a key or section of its own.
std::string OneLine(const std::string& value) {
  std::string out;
  for (char c : value)
    if (c != '\r' && c != '\n') out += c;
  return out;
}

}  // namespace

IniFile::IniFile(Files& files, TextCodec& codec, std::string path)
    : files_(files), codec_(codec), path_(std::move(path)) {}

std::optional<std::vector<std::string>> IniFile::LoadLines() {
  std::vector<std::string> lines;
  if (!files_.exists(path_)) return lines;
  std::optional<std::string> bytes = files_.read(path_);
  if (!bytes) return std::nullopt;
  std::string text;
  try {
    text = codec_.from_ansi(*bytes);
  } catch (const std::exception&) {
    return std::nullopt;
  }
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t nl = text.find('\n', start);
    std::size_t end = nl == std::string::npos ? text.size() : nl;
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    if (nl == std::string::npos) break;
    start = nl + 1;
  }
  return lines;
}

std::optional<std::string> IniFile::FindValue(const std::string& section, const std::string& key) {
  std::optional<std::vector<std::string>> lines = LoadLines();
  if (!lines) return std::nullopt;
  std::optional<SectionSpan> span = FindSection(*lines, section);
  if (!span) return std::nullopt;
  std::optional<std::size_t> at = FindKey(*lines, *span, key);
  if (!at) return std::nullopt;
  return Parse((*lines)[*at]).value;
}

std::string IniFile::ReadString(const std::string& section, const std::string& key,
                                const std::string& default_value) {
  std::optional<std::string> value = FindValue(section, key);
  return Truncate(value ? Unquote(*value) : default_value, kMaxValueLength);
}

int IniFile::ReadInteger(const std::string& section, const std::string& key, int default_value) {
  std::optional<std::string> value = FindValue(section, key);
  if (!value) return default_value;
  return StrToIntDef(Truncate(Unquote(*value), kMaxValueLength), default_value);
}

bool IniFile::ReadBool(const std::string& section, const std::string& key, bool default_value) {
  return ReadInteger(section, key, default_value ? 1 : 0) != 0;
}

bool IniFile::WriteString(const std::string& section, const std::string& key,
                          const std::string& value) {
  // A file that exists but cannot be read is left alone: rewriting it from
  // nothing would throw away every other setting in it.
  std::optional<std::vector<std::string>> loaded = LoadLines();
  if (!loaded) return false;
  std::vector<std::string>& lines = *loaded;

  const std::string clean = OneLine(value);
  std::optional<SectionSpan> span = FindSection(lines, section);
  if (!span) {
    lines.push_back("[" + section + "]");
    lines.push_back(key + "=" + clean);
  } else if (std::optional<std::size_t> at = FindKey(lines, *span, key)) {
    lines[*at] = Parse(lines[*at]).name + "=" + clean;
  } else {
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(span->end_of_content),
                 key + "=" + clean);
  }

  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  std::string bytes;
  try {
    bytes = codec_.to_ansi(text);
  } catch (const std::exception&) {
    return false;
  }
  // The new content goes to a file beside the old one and then takes its
  // place in one step, so a full disk or a kill mid-write leaves the old
  // file whole.
  const std::string fresh = path_ + ".new";
  if (!files_.write(fresh, bytes) || !files_.replace(fresh, path_)) {
    files_.remove(fresh);
    return false;
  }
  return true;
}

bool IniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
  return WriteString(section, key, std::to_string(value));
}

bool IniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
  return WriteString(section, key, value ? "1" : "0");
}

}  // namespace horalux
