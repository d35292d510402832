// The main window drawn by the real program code on the test's own thread:
// once as usual and once after the system colours became a black-on-white
// high-contrast scheme. Wine refuses to switch high contrast on, so the
// window's colour port reports it while SetSysColors gives the colours.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "core/app/fm_jikoku.h"
#include "tests/e2e/driver.h"
#include "win32/app/application_window.h"
#include "win32/app/main_window.h"
#include "win32/desktop/notify_shell.h"
#include "win32/desktop/pointer_focus.h"
#include "win32/desktop/win_shell.h"
#include "win32/net/tcp_session.h"
#include "win32/net/udp_socket.h"
#include "win32/platform/win_boxes.h"
#include "win32/platform/win_clock.h"
#include "win32/platform/win_files.h"
#include "win32/platform/win_locale.h"
#include "win32/platform/win_pump.h"
#include "win32/platform/win_registry.h"
#include "win32/platform/win_text_codec.h"

namespace horalux {
namespace {

class ReportedScheme : public ColorScheme {
 public:
  bool high_contrast() override { return on; }
  bool on = false;
};

// System colours for the test's time; the old ones come back after it.
class SystemColors {
 public:
  explicit SystemColors(const std::vector<std::pair<int, COLORREF>>& colors) {
    for (const auto& [index, color] : colors) {
      indexes_.push_back(index);
      saved_.push_back(GetSysColor(index));
      wanted_.push_back(color);
    }
    SetSysColors(static_cast<int>(indexes_.size()), indexes_.data(), wanted_.data());
  }
  ~SystemColors() {
    SetSysColors(static_cast<int>(indexes_.size()), indexes_.data(), saved_.data());
  }

 private:
  std::vector<int> indexes_;
  std::vector<COLORREF> saved_, wanted_;
};

// The colour of the screen inside a window's client area, near its corner.
COLORREF ShownInside(HWND hwnd) {
  POINT at{3, 3};
  ClientToScreen(hwnd, &at);
  HDC screen = GetDC(nullptr);
  const COLORREF color = GetPixel(screen, at.x, at.y);
  ReleaseDC(nullptr, screen);
  return color;
}

TEST(HighContrast, HttpTabTakesEveryColourFromTheSystemWhileTheSchemeIsOn) {
  WinClock clock;
  WinPump pump;
  WinFiles files;
  WinBoxes boxes;
  WinTextCodec codec;
  WinLocale locale;
  WinUdpNetwork network;
  WinTcpNetwork tcp;
  win32::WinRegistry registry;
  WinNotifyShell notify_shell;
  WinPointerFocus pointer_focus;
  WinShell shell;
  ReportedScheme scheme;
  ApplicationWindow application;
  auto main_window = std::make_unique<MainWindow>(pump, application.hwnd(), scheme);
  RunPorts ports{clock,   pump,         files,
                 boxes,   application,  codec,
                 locale,  *main_window, main_window->log_view(),
                 network, notify_shell, pointer_focus,
                 shell,   tcp,          registry};
  auto form = std::make_unique<TfmJikoku>(ports, std::vector<std::string>{});
  main_window->Bind(*form);
  main_window->show_window();
  form->Screen().btnHTTP.Click();
  pump.process_messages();
  const e2e::Window main(main_window->hwnd());
  // The proxy box is off: its port field shows silver, its texts gray.
  const auto fields = main.Controls({.cls = "TOrNumEdit"});
  ASSERT_EQ(fields.size(), 1u) << "the port field, the only plain number field";
  HWND port = fields.front().handle();
  e2e::SavePicture(main, "tab2-normal");
  EXPECT_EQ(ShownInside(port), RGB(192, 192, 192));

  scheme.on = true;
  {
    SystemColors black_on_white({{COLOR_WINDOW, RGB(255, 255, 255)},
                                 {COLOR_WINDOWTEXT, RGB(0, 0, 0)},
                                 {COLOR_BTNFACE, RGB(255, 255, 255)},
                                 {COLOR_BTNTEXT, RGB(0, 0, 0)},
                                 {COLOR_GRAYTEXT, RGB(0, 128, 0)},
                                 {COLOR_3DSHADOW, RGB(0, 0, 0)},
                                 {COLOR_3DDKSHADOW, RGB(0, 0, 0)},
                                 {COLOR_3DHILIGHT, RGB(0, 0, 0)},
                                 {COLOR_HIGHLIGHT, RGB(0, 0, 0)},
                                 {COLOR_HIGHLIGHTTEXT, RGB(255, 255, 255)}});
    // The system tells every window of the new colours; the window follows
    // them while it runs.
    SendMessageW(main_window->hwnd(), WM_SYSCOLORCHANGE, 0, 0);
    pump.process_messages();
    e2e::SavePicture(main, "tab2-high-contrast");
    EXPECT_EQ(ShownInside(port), RGB(255, 255, 255)) << "silver gave way to the button face";
  }
  main_window->Destroy();
  form.reset();
  main_window.reset();
  MSG quit;
  PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

}  // namespace
}  // namespace horalux
