#pragma once
#include <cstddef>
#include <string>

namespace horalux {

// Where the last match of FindNext stood: 0-based byte position and length.
// {0, 0} starts a search at the beginning.
struct FindPosition {
  std::size_t pos = 0;
  std::size_t len = 0;
};

// Searches code-page-932 `text` for `pattern` from at.pos + at.len; on
// success `at` becomes the match. Letters match without regard to case;
// double-byte characters compare as units and a match never starts on a
// trail byte. An empty text or pattern is never found.
bool FindNext(const std::string& text, const std::string& pattern, FindPosition& at);

}  // namespace horalux
