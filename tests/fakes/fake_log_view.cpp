#include "tests/fakes/fake_log_view.h"

#include <algorithm>

namespace horalux::fakes {
namespace {

// Byte offsets at which a line wraps, every `width` code points.
std::vector<std::size_t> WrapPoints(const std::string& line, int width) {
  std::vector<std::size_t> points;
  int count = 0;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if ((static_cast<unsigned char>(line[i]) & 0xC0) == 0x80) continue;
    if (count > 0 && count % width == 0) points.push_back(i);
    ++count;
  }
  return points;
}

}  // namespace

std::string FakeLogView::text() {
  std::string out;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (i) out += "\r\n";
    out += lines_[i];
  }
  if (trailing_break_) out += "\r\n";
  return out;
}

void FakeLogView::set_text(const std::string& text) {
  lines_.clear();
  trailing_break_ = false;
  std::size_t start = 0;
  if (text.empty()) return;
  while (true) {
    std::size_t br = text.find("\r\n", start);
    if (br == std::string::npos) {
      lines_.push_back(text.substr(start));
      break;
    }
    lines_.push_back(text.substr(start, br - start));
    start = br + 2;
    if (start == text.size()) {
      trailing_break_ = true;
      break;
    }
  }
}

int FakeLogView::shown_line_count() {
  int n = 0;
  for (const auto& line : lines_) n += 1 + static_cast<int>(WrapPoints(line, width).size());
  if (trailing_break_) ++n;  // the empty line after the last break
  return n;
}

void FakeLogView::set_caret_line(int line) {
  // A line past the end means the end of the text, as in the real view.
  caret = std::clamp(line, 0, std::max(shown_line_count() - 1, 0));
}

void FakeLogView::delete_top_shown_lines(int count) {
  while (count > 0 && !lines_.empty()) {
    auto points = WrapPoints(lines_.front(), width);
    if (points.empty()) {
      lines_.erase(lines_.begin());
    } else {
      lines_.front() = lines_.front().substr(points.front());
    }
    --count;
  }
  if (lines_.empty()) trailing_break_ = false;
}

}  // namespace horalux::fakes
