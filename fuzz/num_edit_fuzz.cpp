// The numeric field: keystrokes, pastes and property changes in any order.
// After each one the value must be a value the field's rules allow, that
// is, one that its own normalisation leaves as it is.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/controls/num_edit.h"
#include "fuzz/fuzz_input.h"
#include "tests/fakes/fake_edit_ports.h"

using namespace horalux;

namespace {

void Step(fuzz::FuzzInput& in, TOrNEdit& e, fakes::FakeClipboard& clipboard) {
  const std::uint8_t op = in.Byte();
  const std::uint8_t arg = in.Byte();
  switch (op % 14) {
    case 0:
      e.Char(U'0' + arg % 10);
      break;
    case 1:
      e.Char(arg % 2 ? U'.' : U'-');
      break;
    case 2: {
      char32_t c = arg;
      c = c << 8 | in.Byte();
      e.Char(c << 8 | in.Byte());
      break;
    }
    case 3:
      e.Key(static_cast<EditKey>(arg % (static_cast<int>(EditKey::Enter) + 1)), in.Byte() % 8);
      break;
    case 4:
      clipboard.set_text(in.Text(arg % 24));
      e.Key(EditKey::Paste);
      break;
    case 5:
      e.SetText(in.Text(arg % 24));
      break;
    case 6:
      e.SetIntegerLength(arg % 12 + 1);  // every field has room for one digit
      break;
    case 7:
      e.SetDecimalLength(arg % 6);
      break;
    case 8:
      e.SetMinus(arg & 1);
      e.MinusInput = arg & 2;
      break;
    case 9:
      e.Undo();
      break;
    case 10:
      if (arg & 1)
        e.Enter();
      else
        e.Exit();
      break;
    case 11:
      e.SetReadOnly(arg & 1);
      e.eoMinusOnly = arg & 2;
      e.AutoSelect = arg & 4;
      e.HideSelection = arg & 8;
      break;
    case 12:
      e.Comma = arg & 1;
      e.IntegerFixed = arg & 2;
      e.DecimalFixed = arg & 4;
      e.ImageCopy = arg & 8;
      break;
    case 13:
      if (arg % 3 == 0) e.CutToClipboard();
      if (arg % 3 == 1) e.CopyToClipboard();
      if (arg % 3 == 2) e.DeleteSelection();
      break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::FuzzInput in(data, size);
  fakes::FakeClipboard clipboard;
  fakes::FakeBeeper beeper;
  TOrNEdit e("edtFuzz"), next("edtNext");
  e.Connect(clipboard, beeper);
  e.KeyRightNext = e.KeyDownNext = &next;
  e.IsReturnNext = true;
  while (!in.empty()) {
    Step(in, e, clipboard);
    const std::string& v = e.Text();
    fuzz::Require(v == NormalizeNumber(v, e.IntegerLength(), e.DecimalLength(), e.Minus()),
                  "the value is one the field's rules allow");
    e.DisplayText();
    e.MenuState();
  }
  return 0;
}
