#include "core/controls/contrast_colors.h"

namespace horalux {
namespace {

bool IsSystemColor(TColor color) {
  return (color & 0x80000000u) != 0;
}

}  // namespace

TColor ContrastColor(TColor color, bool high_contrast) {
  if (!high_contrast || IsSystemColor(color)) return color;
  static const struct {
    TColor fixed;
    TColor system;
  } kParts[] = {
      {clGray, clGrayText},        // texts of the switched-off proxy panel
      {clSilver, clBtnFace},       // its fields' background
      {clFocusedField, clWindow},  // a focused number field
      {clBlack, clWindowText},     // its text, and the version box's name
      {clWhite, clWindow},         // the version box's name panel
  };
  for (const auto& part : kParts)
    if (part.fixed == color) return part.system;
  // A colour no table row names still follows the scheme: light ones are
  // backgrounds, dark ones texts.
  const unsigned r = color & 0xFF, g = (color >> 8) & 0xFF, b = (color >> 16) & 0xFF;
  return r * 299 + g * 587 + b * 114 >= 128000 ? clWindow : clWindowText;
}

}  // namespace horalux
