#pragma once
#include <string>

namespace horalux {

// The system clipboard's text (UTF-8 here; the adapter converts).
class Clipboard {
 public:
  virtual ~Clipboard() = default;
  // True when the clipboard holds text now.
  virtual bool has_text() = 0;
  // The clipboard's text; empty when it holds none.
  virtual std::string text() = 0;
  // Replaces the clipboard's content with the text.
  virtual void set_text(const std::string& text) = 0;
};

}  // namespace horalux
