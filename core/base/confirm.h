#pragma once
#include <string>

#include "core/platform/boxes.h"

namespace horalux {

// The program's Yes/No question: titled "確認", question icon; the default
// button is Yes when yesIsDefault is true, else No. True on Yes.
bool ConfirmYesNo(Boxes& boxes, const std::string& text, bool yesIsDefault);
// The same with its own title; a blank title gives "確認".
bool ConfirmYesNo(Boxes& boxes, const std::string& title, const std::string& text,
                  bool yesIsDefault);

}  // namespace horalux
