#include "core/net/proxy_bypass.h"

#include <string>

#include "core/base/ascii_case.h"
#include "core/base/trim_blanks.h"

namespace horalux {
namespace {

// `text` against `pattern`, "*" matching any run; the last "*" seen is the
// only one that ever needs to take more, so no deeper backtracking.
bool WildcardMatch(std::string_view pattern, std::string_view text) {
  std::size_t p = 0, t = 0;
  std::size_t star = std::string_view::npos, resume = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = t;
    } else if (p < pattern.size() && AsciiLower(pattern[p]) == AsciiLower(text[t])) {
      ++p;
      ++t;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      t = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool EntryMatches(std::string_view entry, std::string_view host, int port) {
  if (SameIgnoringAsciiCase(entry, "<local>")) return host.find('.') == std::string_view::npos;
  // An entry for another scheme never holds for an http page.
  if (const std::size_t scheme = entry.find("://"); scheme != std::string_view::npos) {
    if (!SameIgnoringAsciiCase(entry.substr(0, scheme), "http")) return false;
    entry.remove_prefix(scheme + 3);
  }
  // The port follows the last ":", past the "]" of an IPv6 address.
  const std::size_t bracket = entry.rfind(']');
  const std::size_t colon = entry.rfind(':');
  if (colon != std::string_view::npos && (bracket == std::string_view::npos || colon > bracket)) {
    if (!WildcardMatch(entry.substr(colon + 1), std::to_string(port))) return false;
    entry = entry.substr(0, colon);
  }
  return WildcardMatch(entry, host);
}

}  // namespace

bool BypassesProxy(std::string_view list, std::string_view host, int port) {
  bool loopback = SameIgnoringAsciiCase(host, "localhost") || host == "127.0.0.1";
  bool listed = false;
  while (!list.empty()) {
    const std::size_t end = list.find(';');
    const std::string_view entry = TrimBlanks(list.substr(0, end));
    list = end == std::string_view::npos ? std::string_view() : list.substr(end + 1);
    if (SameIgnoringAsciiCase(entry, "<-loopback>"))
      loopback = false;
    else if (!entry.empty() && EntryMatches(entry, host, port))
      listed = true;
  }
  return listed || loopback;
}

}  // namespace horalux
