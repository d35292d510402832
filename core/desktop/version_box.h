#pragma once
#include <string>

#include "core/controls/controls.h"

namespace horalux {

// Keys the version box reacts to, by their virtual-key numbers.
inline constexpr int kKeyReturn = 0x0D;
inline constexpr int kKeyEscape = 0x1B;

// The version box's state: its labels and the hidden build tag's key
// sequence. The window that shows it lives on the platform side.
class TfmAbout {
 public:
  // `program_version` as the program spells it, such as "Ver0.9.9".
  explicit TfmAbout(const std::string& program_version);

  // Client size in pixels at the screen's pixels per inch.
  static int ClientWidth(int dpi) { return 304 * dpi / 96; }
  static int ClientHeight(int dpi) { return 170 * dpi / 96; }

  TLabel lbl_Version{"lbl_Version"};
  TLabel lblVerKaku{"lblVerKaku"};
  TButton btnClose{"btnClose"};

  // Every key press that reaches the window, with its virtual-key number
  // (letters by their capital) and whether Shift and Ctrl are held. True
  // when the window should close.
  bool FormKeyDown(int key, bool shift, bool ctrl);

 private:
  bool armed_ = false;
};

}  // namespace horalux
