#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "core/controls/num_edit.h"
#include "core/settings/field_captions.h"
#include "core/settings/number_fields.h"
#include "win32/controls/num_edit_view.h"
#include "win32/platform/com_ptr.h"
#include "win32/platform/oleacc.h"
#include "win32/platform/wide.h"
#include "win32/platform/win_clipboard.h"

namespace horalux {
namespace {

class SilentBeeper : public Beeper {
 public:
  void beep() override {}
};

std::vector<HWND>& EventsFor() {
  static std::vector<HWND> events;
  return events;
}

void CALLBACK OnWinEvent(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD,
                         DWORD) {
  if (event == EVENT_OBJECT_VALUECHANGE && object == OBJID_CLIENT && child == CHILDID_SELF)
    EventsFor().push_back(hwnd);
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

// One text property of the field itself; "(none)" when it has none.
std::string Read(IAccessible* acc, HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*)) {
  VARIANT self;
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR text = nullptr;
  const HRESULT hr = (acc->*get)(self, &text);
  std::string out = SUCCEEDED(hr) && text ? win32::Narrow(text) : "(none)";
  SysFreeString(text);
  return out;
}

// What a screen reader asks of a number field, through the system's own
// AccessibleObjectFromWindow, for a field of each kind; typing changes the
// value it reads while the field's own change handler still runs.
TEST(FieldAccessible, ScreenReaderReadsRoleNameAndValueAndTheValueFollowsTyping) {
  win32::ComSession com;
  const win32::Oleacc* oleacc = win32::LoadOleacc();
  ASSERT_NE(oleacc, nullptr);
  HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_VALUECHANGE, EVENT_OBJECT_VALUECHANGE, nullptr,
                                       OnWinEvent, GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
  win32::WinClipboard clipboard;
  SilentBeeper beeper;
  TOrNEdit gosa{"edtGosa"};
  TOrNumEdit port{"edtPort"};
  struct Row {
    TOrNumEdit& model;
    const char* start;
    const wchar_t* typed;
    const char* name;
    const char* value;
  } rows[] = {
      {gosa, "60",
       L"\x01"
       L"75",
       "エラー回避", "75"},
      {port, "", L"8080", "ポート", "8080"},
  };
  HWND frame = CreateWindowExW(0, L"STATIC", L"accessible field test", WS_OVERLAPPEDWINDOW, 0, 0,
                               300, 120, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  for (const Row& row : rows) {
    ShapeNumberField(row.model);
    row.model.SetText(row.start);
    int changes = 0;
    row.model.OnChange = [&changes] { ++changes; };
    HWND field =
        win32::CreateNumEdit(row.model, frame, RECT{8, 8, 108, 28}, nullptr, clipboard, beeper);
    const FieldCaption* caption = FieldCaptionOf(row.model.Name());
    ASSERT_NE(caption, nullptr);
    win32::SetNumEditAccessibleText(field, SpokenLabel(caption->label), caption->unit);

    win32::ComPtr<IAccessible> acc;
    ASSERT_EQ(oleacc->AccessibleObjectFromWindow(field, OBJID_CLIENT, __uuidof(IAccessible),
                                                 acc.put_void()),
              S_OK);
    VARIANT self;
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    VARIANT role;
    VariantInit(&role);
    ASSERT_EQ(acc->get_accRole(self, &role), S_OK);
    EXPECT_EQ(role.vt, VT_I4);
    EXPECT_EQ(role.lVal, ROLE_SYSTEM_TEXT) << "editable text";
    const std::string name = Read(acc.get(), &IAccessible::get_accName);
    EXPECT_EQ(name, row.name);
    EXPECT_EQ(Read(acc.get(), &IAccessible::get_accValue), row.start[0] ? row.start : "(none)");
    EXPECT_EQ(Read(acc.get(), &IAccessible::get_accDescription),
              caption->unit[0] ? caption->unit : "(none)");

    EventsFor().clear();
    for (const wchar_t* c = row.typed; *c; ++c) SendMessageW(field, WM_CHAR, *c, 1);
    Pump();
    const std::string value = Read(acc.get(), &IAccessible::get_accValue);
    EXPECT_EQ(value, row.value);
    EXPECT_GT(changes, 0) << "the field's own handler";
    if (hook) {
      EXPECT_NE(std::count(EventsFor().begin(), EventsFor().end(), field), 0) << "value events";
    }
    std::cout << row.model.Name() << ": role " << role.lVal << " (editable text), name \"" << name
              << "\", value \"" << value << "\"\n";

    EnableWindow(field, FALSE);
    VARIANT state;
    VariantInit(&state);
    ASSERT_EQ(acc->get_accState(self, &state), S_OK);
    EXPECT_TRUE(state.lVal & STATE_SYSTEM_UNAVAILABLE);
    DestroyWindow(field);
    row.model.OnChange = nullptr;
  }
  if (hook) UnhookWinEvent(hook);
  DestroyWindow(frame);
}

}  // namespace
}  // namespace horalux
