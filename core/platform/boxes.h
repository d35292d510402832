#pragma once
#include <string>

namespace horalux {

// Modal boxes. Every wait inside them processes window events.
class Boxes {
 public:
  virtual ~Boxes() = default;
  // OK box titled with the program title.
  virtual void message(const std::string& text) = 0;
  // Yes/No box with a question icon; true on Yes.
  virtual bool question(const std::string& title, const std::string& text, bool yes_is_default) = 0;
  // Error box showing an unexpected failure's text.
  virtual void error(const std::string& text) = 0;
  enum class Icon { Information, Error };
  // OK box with its own title (which may be empty) and icon.
  virtual void notice(Icon icon, const std::string& title, const std::string& text) = 0;
};

}  // namespace horalux
