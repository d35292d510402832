#include <gtest/gtest.h>

#include <string>

#include "core/controls/num_edit.h"
#include "core/desktop/version_box.h"
#include "core/settings/number_fields.h"
#include "tests/fakes/fake_edit_ports.h"

namespace horalux {
namespace {

// Gives a field the shape of the main-window field it is named after; a
// field of another name keeps the defaults.
void ShapeAsNamed(TOrNumEdit& e) {
  using S = JikokuScreen;
  if (e.Name() == "edtGosa") ShapeNumberField(e, NumberOf<&S::edtGosa>());
  if (e.Name() == "edtJisa") ShapeNumberField(e, NumberOf<&S::edtJisa>());
  if (e.Name() == "edtPort") ShapeNumberField(e, NumberOf<&S::edtPort>());
}

TEST(NumEdit, NormalisesWhatIsSetOrPasted) {
  struct Case {
    std::string input;
    int integer_length, decimal_length;
    bool minus;
    std::string value;
  } cases[] = {
      {"１２３", 9, 3, true, "123"},  {"－１，２３４．５", 9, 3, true, "-1234.5"},
      {"12a3", 9, 3, true, "12"},     {"1,234.5678", 9, 3, true, "1234.567"},
      {"1234567890", 9, 3, true, ""}, {"00012", 9, 3, true, "12"},
      {"000", 9, 3, true, "0"},       {".5", 9, 3, true, "0.5"},
      {"-.5", 9, 3, true, "-0.5"},    {"1.5", 9, 0, true, "1"},
      {"1.2.3", 9, 3, true, "1.2"},   {"1-2", 9, 3, true, "1"},
      {"-5", 9, 0, false, ""},        {"-5,000", 9, 0, true, "-5000"},
      {"12漢3", 9, 3, true, "12"},    {"123456", 5, 0, true, ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(NormalizeNumber(c.input, c.integer_length, c.decimal_length, c.minus), c.value)
        << c.input;
}

TEST(NumEdit, DisplayFollowsCommaFixedDigitsAndMarks) {
  struct Case {
    std::string value;
    bool comma, integer_fixed, decimal_fixed;
    std::string left, right, shown;
  } cases[] = {
      {"-1234567.5", true, false, false, "", "", "-1,234,567.5"},
      {"1234", false, false, false, "", "", "1234"},
      {"123", true, false, false, "", "", "123"},
      {"0.5", true, false, true, "", "", "0.500"},
      {"", true, false, true, "", "", "0.000"},
      {".", true, true, false, "", "", "0."},
      {"12", true, false, false, "\\", "円", "\\12円"},
      {"", true, false, false, "\\", "円", ""},
  };
  for (const Case& c : cases) {
    TOrNumEdit e("e");
    e.Comma = c.comma;
    e.IntegerFixed = c.integer_fixed;
    e.DecimalFixed = c.decimal_fixed;
    e.LeftMark = c.left;
    e.RightMark = c.right;
    e.SetText(c.value);
    EXPECT_EQ(e.DisplayText(), c.shown) << c.value;
  }
}

// Keys as typed: characters as they are, "<" Backspace, "A" Ctrl+A, "C"
// Ctrl+C, "X" Ctrl+X, "V" Ctrl+V, "U" undo, "E" Enter, "Q" leaving the field.
TEST(NumEdit, TypingLikeACalculator) {
  struct Case {
    const char* field;  // a main-window field's name, or "" for the defaults
    std::u32string keys;
    std::string clipboard;
    std::string value;
    int beeps;
  } cases[] = {
      {"", U"1234", "", "1234", 0},
      {"", U"05", "", "5", 0},
      {"", U".", "", "0.", 0},
      {"", U"0.5<", "", "0", 0},
      {"", U"1234567890", "", "123456789", 1},
      {"", U"1.2345", "", "1.234", 1},
      {"", U"１２３", "", "123", 0},
      {"", U"5--", "", "5", 0},
      {"", U"-Q", "", "", 0},
      {"", U"12A7", "", "7", 0},
      {"", U"12x", "", "12", 1},
      {"", U"12E", "", "12", 1},
      {"", U"12V", "3", "123", 0},
      {"", U"12AXU", "", "12", 0},
      {"", U"12ACV", "", "12", 0},
      {"edtGosa", U"１２３AVU", "1,000", "123", 0},
      {"edtGosa", U"1.5", "", "15", 1},
      {"edtGosa", U"3-", "", "3", 1},
      {"edtGosa", U"－", "", "", 1},
      {"edtGosa", U"AV", "-80", "", 0},
      {"edtJisa", U"3-", "", "-3", 0},
      {"edtPort", U"123456", "", "12345", 1},
  };
  for (const Case& c : cases) {
    fakes::FakeClipboard clipboard;
    fakes::FakeBeeper beeper;
    TOrNEdit e(c.field);
    ShapeAsNamed(e);
    e.Connect(clipboard, beeper);
    if (!c.clipboard.empty()) clipboard.set_text(c.clipboard);
    for (char32_t k : c.keys) {
      if (k == U'<')
        e.Key(EditKey::Backspace);
      else if (k == U'A')
        e.Key(EditKey::SelectAll, kShiftCtrl);
      else if (k == U'C')
        e.Key(EditKey::Copy, kShiftCtrl);
      else if (k == U'X')
        e.Key(EditKey::Cut, kShiftCtrl);
      else if (k == U'V')
        e.Key(EditKey::Paste, kShiftCtrl);
      else if (k == U'U')
        e.Undo();
      else if (k == U'E')
        e.Key(EditKey::Enter);
      else if (k == U'Q')
        e.Exit();
      else
        e.Char(k);
    }
    std::string keys(c.keys.begin(), c.keys.end());
    EXPECT_EQ(e.Text(), c.value) << c.field << " " << keys.size();
    EXPECT_EQ(beeper.beeps, c.beeps) << c.field << " " << e.Text();
  }
}

TEST(NumEdit, TheScreensFieldsTakeInputAsTheirRowsSay) {
  using S = JikokuScreen;
  struct Row {
    NumberField field;
    std::u32string keys;
    std::string value;
  } rows[] = {
      {&S::edtGosa, U"3-", "3"},         {&S::edtChien, U"3-", "3"},
      {&S::edtGyou, U"3-", "3"},         {&S::edtJisa, U"3-", "-3"},
      {&S::edtChouseiHTTP, U"3-", "-3"}, {&S::edtChouseiSNTP, U"3-", "-3"},
      {&S::edtPort, U"123456", "12345"},
  };
  for (const Row& row : rows) {
    JikokuScreen screen;
    fakes::FakeClipboard clipboard;
    fakes::FakeBeeper beeper;
    TOrNumEdit& e = std::visit([&](auto m) -> TOrNumEdit& { return screen.*m; }, row.field);
    e.Connect(clipboard, beeper);
    e.Key(EditKey::SelectAll, kShiftCtrl);
    for (char32_t k : row.keys) e.Char(k);
    EXPECT_EQ(e.Text(), row.value) << e.Name();
  }
}

TEST(NumEdit, ProgramSetSignSurvivesAFieldThatRefusesTypedSign) {
  TOrNEdit gosa("edtGosa");
  ShapeAsNamed(gosa);
  TUpDown ud("udGosa", &gosa, 1, 600, 10);
  gosa.SetText("-5");
  EXPECT_EQ(gosa.Text(), "-5");
  ud.SetPosition(1000);  // as a spin writes it
  EXPECT_EQ(gosa.Text(), "1000");
}

TEST(NumEdit, ContextMenuEnabling) {
  fakes::FakeClipboard clipboard;
  fakes::FakeBeeper beeper;
  TOrNumEdit e("e");
  e.Connect(clipboard, beeper);
  EditMenuState m = e.MenuState();
  EXPECT_FALSE(m.undo || m.cut || m.copy || m.paste || m.del || m.select_all);
  e.Char(U'7');
  clipboard.set_text("1");
  m = e.MenuState();
  EXPECT_TRUE(m.undo && m.paste && m.select_all);
  EXPECT_FALSE(m.cut || m.copy || m.del);
  e.SelectAll();
  m = e.MenuState();
  EXPECT_TRUE(m.cut && m.copy && m.del);
  EXPECT_FALSE(m.select_all);
  e.SetReadOnly(true);
  m = e.MenuState();
  EXPECT_TRUE(m.copy);
  EXPECT_FALSE(m.undo || m.cut || m.paste || m.del);
}

TEST(VersionBox, BuildTagShowsOnlyAfterCtrlShiftVThenJ) {
  struct Case {
    std::string keys;  // "v" / "j" with Ctrl+Shift, "c" Ctrl alone, other letters plain
    bool shown;
  } cases[] = {{"vj", true}, {"j", false}, {"vXj", false}, {"vcj", false}, {"vvj", true}};
  for (const Case& c : cases) {
    TfmAbout box("Ver0.9.9");
    EXPECT_EQ(box.lbl_Version.Caption(), "0.9.9");
    for (char k : c.keys) {
      if (k == 'c')
        box.FormKeyDown(0x11, false, true);
      else if (k == 'v' || k == 'j')
        box.FormKeyDown(k - 'a' + 'A', true, true);
      else
        box.FormKeyDown(k, false, false);
    }
    EXPECT_EQ(box.lblVerKaku.Visible(), c.shown) << c.keys;
    if (c.shown) {
      EXPECT_EQ(box.lblVerKaku.Caption(), "083102");
    }
  }
  EXPECT_TRUE(TfmAbout("Ver0.9.9").FormKeyDown(kKeyReturn, false, false));
  EXPECT_TRUE(TfmAbout("Ver0.9.9").FormKeyDown(kKeyEscape, false, false));
  EXPECT_EQ(TfmAbout::ClientWidth(120), 380);
  EXPECT_EQ(TfmAbout::ClientHeight(120), 212);
}

}  // namespace
}  // namespace horalux
