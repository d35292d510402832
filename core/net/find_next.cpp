#include "core/net/find_next.h"

#include "core/base/ascii_case.h"
#include "core/base/sjis.h"

namespace horalux {
namespace {

// Whether `pattern` stands at `pos`, character by character.
bool MatchesAt(const std::string& text, std::size_t pos, const std::string& pattern) {
  std::size_t p = 0;
  while (p < pattern.size()) {
    if (pos >= text.size()) return false;
    const std::size_t unit = SjisCharLength(text, pos);
    if (unit != SjisCharLength(pattern, p)) return false;
    if (unit == 2) {
      if (text.compare(pos, 2, pattern, p, 2) != 0) return false;
    } else if (AsciiUpper(text[pos]) != AsciiUpper(pattern[p])) {
      return false;
    }
    pos += unit;
    p += unit;
  }
  return true;
}

}  // namespace

bool FindNext(const std::string& text, const std::string& pattern, FindPosition& at) {
  if (text.empty() || pattern.empty() || at.pos > text.size() || at.len > text.size()) return false;
  const std::size_t from = at.pos + at.len;
  // Walk from the start so that a trail byte is never taken for a start.
  for (std::size_t pos = 0; pos < text.size(); pos += SjisCharLength(text, pos)) {
    if (pos < from || !MatchesAt(text, pos, pattern)) continue;
    at = {pos, pattern.size()};
    return true;
  }
  return false;
}

}  // namespace horalux
