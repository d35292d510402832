#include "core/settings/ini_file.h"

#include <algorithm>
#include <exception>
#include <tuple>
#include <utility>

#include "core/base/sjis.h"
#include "core/controls/controls.h"

namespace horalux {
namespace {

using Units = std::u16string;

bool IsBlank(char16_t c) {
  // 0x1A is the old end-of-file mark some editors leave behind.
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f' || c == 0x1A;
}

std::size_t ContentEnd(const Units& line) {
  std::size_t end = line.size();
  if (end > 0 && line[end - 1] == '\n') --end;
  if (end > 0 && line[end - 1] == '\r') --end;
  return end;
}

std::pair<std::size_t, std::size_t> Trimmed(const Units& line, std::size_t begin, std::size_t end) {
  while (begin < end && IsBlank(line[begin])) ++begin;
  while (end > begin && IsBlank(line[end - 1])) --end;
  return {begin, end};
}

struct Parsed {
  enum Kind { kOther, kSection, kKey } kind = kOther;
  std::size_t name_begin = 0, name_end = 0;
  std::size_t eq = 0;  // of a key line
};

Parsed Parse(const Units& line, bool double_byte) {
  Parsed p;
  auto [begin, end] = Trimmed(line, 0, ContentEnd(line));
  if (begin < end && line[begin] == '[') {
    std::size_t close = 0;
    for (std::size_t i = begin + 1; i < end; ++i) {
      if (line[i] == ']') close = i;
      // The byte after a lead byte belongs to the same character and may look like "]".
      if (double_byte && line[i] < 0x100 && IsSjisLeadByte(static_cast<unsigned char>(line[i])))
        ++i;
    }
    if (close != 0) {
      p.kind = Parsed::kSection;
      std::tie(p.name_begin, p.name_end) = Trimmed(line, begin + 1, close);
      return p;
    }
  }
  std::size_t eq = line.find(u'=', begin);
  if (eq == Units::npos || eq >= end) return p;
  std::tie(p.name_begin, p.name_end) = Trimmed(line, begin, eq);
  if (p.name_begin == p.name_end) return p;
  p.kind = Parsed::kKey;
  p.eq = eq;
  return p;
}

// Names are ASCII in practice; other characters compare as they are.
bool SameName(const Units& line, const Parsed& p, const std::string& name) {
  if (p.name_end - p.name_begin != name.size()) return false;
  auto upper = [](char16_t c) { return c >= 'a' && c <= 'z' ? char16_t(c - 'a' + 'A') : c; };
  for (std::size_t i = 0; i < name.size(); ++i)
    if (upper(line[p.name_begin + i]) != upper(static_cast<unsigned char>(name[i]))) return false;
  return true;
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

// A value that reading would change, blanks at its ends or a pair of quotes
// around it, goes between quotes: reading takes them off again, here as with
// the profile calls, and gives back the value as it was written.
std::string QuotedIfReadingWouldChange(const std::string& value) {
  if (value.empty()) return value;
  const bool blank_end = IsBlank(static_cast<unsigned char>(value.front())) ||
                         IsBlank(static_cast<unsigned char>(value.back()));
  return blank_end || Unquote(value) != value ? "\"" + value + "\"" : value;
}

Units Widen(const std::string& bytes) {
  Units out;
  out.reserve(bytes.size());
  for (char c : bytes) out += static_cast<char16_t>(static_cast<unsigned char>(c));
  return out;
}

std::string Narrow(const Units& units) {
  std::string out;
  out.reserve(units.size());
  for (char16_t c : units) out += static_cast<char>(c);
  return out;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// A surrogate without its partner reads as U+FFFD.
std::string Utf16ToUtf8(const Units& units) {
  std::string out;
  for (std::size_t i = 0; i < units.size(); ++i) {
    char32_t c = units[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
    } else if (c >= 0xD800 && c < 0xE000) {
      c = 0xFFFD;
    }
    AppendUtf8(out, c);
  }
  return out;
}

// Nothing for text that is not UTF-8.
std::optional<Units> Utf8ToUtf16(const std::string& utf8) {
  Units out;
  for (std::size_t i = 0; i < utf8.size();) {
    unsigned char lead = static_cast<unsigned char>(utf8[i]);
    std::size_t n = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (n == 0 || i + n > utf8.size()) return std::nullopt;
    char32_t c = n == 1 ? lead : lead & (0xFF >> (n + 1));
    for (std::size_t k = 1; k < n; ++k) {
      unsigned char next = static_cast<unsigned char>(utf8[i + k]);
      if ((next & 0xC0) != 0x80) return std::nullopt;
      c = (c << 6) | (next & 0x3F);
    }
    i += n;
    if (c >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

constexpr char kUtf16LeMark[] = "\xFF\xFE";
constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";

}  // namespace

IniFile::IniFile(TextCodec& codec, const std::string& bytes) : codec_(codec) {
  Units units;
  if (bytes.starts_with(kUtf16LeMark)) {
    encoding_ = Encoding::kUtf16Le;
    mark_ = kUtf16LeMark;
    std::size_t i = mark_.size();
    for (; i + 1 < bytes.size(); i += 2)
      units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                     static_cast<unsigned char>(bytes[i + 1]) << 8);
    odd_byte_ = bytes.substr(i);
  } else {
    if (bytes.starts_with(kUtf8Mark)) {
      encoding_ = Encoding::kUtf8;
      mark_ = kUtf8Mark;
    }
    units = Widen(bytes.substr(mark_.size()));
  }
  for (std::size_t start = 0; start < units.size();) {
    std::size_t nl = units.find(u'\n', start);
    std::size_t end = nl == Units::npos ? units.size() : nl + 1;
    lines_.push_back(units.substr(start, end - start));
    start = end;
  }
}

std::string IniFile::Bytes() const {
  std::string out = mark_;
  for (const Units& line : lines_) {
    if (encoding_ != Encoding::kUtf16Le) {
      out += Narrow(line);
      continue;
    }
    for (char16_t c : line) {
      out += static_cast<char>(c & 0xFF);
      out += static_cast<char>(c >> 8);
    }
  }
  return out + odd_byte_;
}

std::optional<std::string> IniFile::Decode(const Units& units) const {
  switch (encoding_) {
    case Encoding::kUtf16Le:
      return Utf16ToUtf8(units);
    case Encoding::kUtf8:
      return Narrow(units);
    case Encoding::kAnsi:
      break;
  }
  try {
    return codec_.from_ansi(Narrow(units));
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

std::optional<IniFile::Units> IniFile::Encode(const std::string& utf8) const {
  switch (encoding_) {
    case Encoding::kUtf16Le:
      return Utf8ToUtf16(utf8);
    case Encoding::kUtf8:
      return Widen(utf8);
    case Encoding::kAnsi:
      break;
  }
  try {
    return Widen(codec_.to_ansi(utf8));
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

std::optional<IniFile::Span> IniFile::FindSection(const std::string& section) const {
  const bool dbcs = encoding_ == Encoding::kAnsi;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    Parsed p = Parse(lines_[i], dbcs);
    if (p.kind != Parsed::kSection || !SameName(lines_[i], p, section)) continue;
    Span span{i, i + 1};
    for (std::size_t j = i + 1; j < lines_.size(); ++j) {
      if (Parse(lines_[j], dbcs).kind == Parsed::kSection) break;
      auto [begin, end] = Trimmed(lines_[j], 0, ContentEnd(lines_[j]));
      if (begin < end) span.end_of_content = j + 1;
    }
    return span;
  }
  return std::nullopt;
}

std::optional<std::size_t> IniFile::FindKey(const Span& span, const std::string& key) const {
  const bool dbcs = encoding_ == Encoding::kAnsi;
  for (std::size_t i = span.header + 1; i < span.end_of_content; ++i) {
    Parsed p = Parse(lines_[i], dbcs);
    if (p.kind == Parsed::kKey && SameName(lines_[i], p, key)) return i;
  }
  return std::nullopt;
}

std::pair<std::size_t, std::size_t> IniFile::ValueBounds(const Units& line) const {
  Parsed p = Parse(line, encoding_ == Encoding::kAnsi);
  return Trimmed(line, p.eq + 1, ContentEnd(line));
}

std::optional<std::string> IniFile::FindValue(const std::string& section,
                                              const std::string& key) const {
  std::optional<Span> span = FindSection(section);
  if (!span) return std::nullopt;
  std::optional<std::size_t> at = FindKey(*span, key);
  if (!at) return std::nullopt;
  auto [begin, end] = ValueBounds(lines_[*at]);
  return Decode(lines_[*at].substr(begin, end - begin));
}

std::string IniFile::ReadString(const std::string& section, const std::string& key,
                                const std::string& default_value) const {
  std::optional<std::string> value = FindValue(section, key);
  return Truncate(value ? Unquote(*value) : default_value, kMaxValueLength);
}

int IniFile::ReadInteger(const std::string& section, const std::string& key,
                         int default_value) const {
  std::optional<std::string> value = FindValue(section, key);
  if (!value) return default_value;
  return StrToIntDef(Truncate(Unquote(*value), kMaxValueLength), default_value);
}

bool IniFile::ReadBool(const std::string& section, const std::string& key,
                       bool default_value) const {
  return ReadInteger(section, key, default_value ? 1 : 0) != 0;
}

void IniFile::InsertLine(std::size_t at, const Units& content) {
  // The line before may be the file's last one, without a line break.
  if (at > 0 && !lines_[at - 1].ends_with(u'\n')) lines_[at - 1] += u"\r\n";
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), content + u"\r\n");
}

bool IniFile::WriteString(const std::string& section, const std::string& key,
                          const std::string& value) {
  const std::string clean = QuotedIfReadingWouldChange(OneLine(value));
  std::optional<Span> span = FindSection(section);
  if (!span) {
    std::optional<Units> header = Encode("[" + section + "]");
    std::optional<Units> line = Encode(key + "=" + clean);
    if (!header || !line) return false;
    InsertLine(lines_.size(), *header);
    InsertLine(lines_.size(), *line);
    return true;
  }
  if (std::optional<std::size_t> at = FindKey(*span, key)) {
    std::optional<Units> encoded = Encode(clean);
    if (!encoded) return false;
    Units& line = lines_[*at];
    auto [begin, end] = ValueBounds(line);
    line.replace(begin, end - begin, *encoded);
    return true;
  }
  std::optional<Units> line = Encode(key + "=" + clean);
  if (!line) return false;
  InsertLine(span->end_of_content, *line);
  return true;
}

bool IniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
  return WriteString(section, key, std::to_string(value));
}

bool IniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
  return WriteString(section, key, value ? "1" : "0");
}

}  // namespace horalux
