#include "core/base/confirm.h"

namespace horalux {
namespace {
constexpr const char* kConfirmTitle = "確認";

bool IsBlank(const std::string& s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) > ' ') return false;
  return true;
}
}  // namespace

bool ConfirmYesNo(Boxes& boxes, const std::string& text, bool yesIsDefault) {
  return boxes.question(kConfirmTitle, text, yesIsDefault);
}

bool ConfirmYesNo(Boxes& boxes, const std::string& title, const std::string& text,
                  bool yesIsDefault) {
  return boxes.question(IsBlank(title) ? kConfirmTitle : title, text, yesIsDefault);
}

}  // namespace horalux
