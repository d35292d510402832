#pragma once
#include <windows.h>

#include <memory>

#include "core/install/setup.h"
#include "win32/controls/control_binding.h"
#include "win32/platform/dpi.h"
#include "win32/platform/handle.h"

namespace horalux {

// The setup window (class "TfmSetup"): the view of a core TfmSetup, opened
// modally over the main window.
class SetupWindow {
 public:
  // Runs until the window is closed. When the form has no EndProgram, a
  // finished hand-over ends the process at once, so this copy's settings
  // are not written.
  static void ShowModal(HWND owner, TfmSetup& form);

 private:
  explicit SetupWindow(TfmSetup& form);
  void Build();
  void MakeFonts(int dpi);
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  // The button Enter presses: the focused one, else "開始".
  LRESULT DefaultButton() const;

  TfmSetup& form_;
  HWND hwnd_ = nullptr;
  HWND target_field_ = nullptr;
  HWND setup_button_ = nullptr;
  HWND tooltip_ = nullptr;
  HWND heading_ = nullptr;
  win32::WindowDpi layout_;
  win32::UniqueGdi<HFONT> font_;
  win32::UniqueGdi<HFONT> heading_font_;
  std::unique_ptr<ControlBinder> binder_;
};

}  // namespace horalux
