#include "core/controls/contrast_colors.h"

#include <gtest/gtest.h>

#include "core/controls/num_edit.h"

namespace horalux {
namespace {

TEST(ContrastColors, EveryFixedColourTakesItsSystemColourOnlyUnderHighContrast) {
  const TOrNEdit field("edtGosa");
  struct Row {
    const char* what;
    TColor fixed, high_contrast;
  } rows[] = {
      {"switched-off proxy texts", clGray, clGrayText},
      {"switched-off proxy fields", clSilver, clBtnFace},
      {"focused field background", field.ColorActive, clWindow},
      {"focused field text", field.ColorFontActive, clWindowText},
      {"version box name panel", clWhite, clWindow},
      {"a light colour no row names", 0x00E0F0FF, clWindow},
      {"a dark colour no row names", 0x00400000, clWindowText},
      {"system colours stay", clBtnFace, clBtnFace},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ContrastColor(row.fixed, true), row.high_contrast) << row.what;
    EXPECT_EQ(ContrastColor(row.fixed, false), row.fixed) << row.what;
  }
}

}  // namespace
}  // namespace horalux
