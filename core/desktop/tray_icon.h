#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

#include "core/controls/signal.h"
#include "core/desktop/popup_menu.h"
#include "core/platform/clock.h"
#include "core/platform/message_pump.h"
#include "core/platform/notify_shell.h"
#include "core/platform/pointer_focus.h"
#include "core/platform/text_codec.h"

namespace horalux {

inline constexpr const char* kTrayCannotRegister = "タスクトレイにアイコンを登録できません。";
inline constexpr const char* kTrayCannotSwitch = "タスクトレイアイコンの表示が切り替えられません。";
inline constexpr const char* kTrayCannotSwitchBalloon =
    "タスクトレイアイコンのバルーンメッセージ表示が切り替えられません。";

// Every failure of the notification-area icon.
class ENotifyIconError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class TMouseButton { mbLeft, mbRight, mbMiddle };
// The buttons held with a mouse event, as a set of flags.
enum TShiftStateFlag : unsigned { ssLeft = 1u << 0, ssRight = 1u << 1, ssMiddle = 1u << 2 };
using TShiftState = unsigned;

// What an icon reaches of the OS: the shell for the icon itself, the pointer
// and the foreground for its menus, the clock for the pauses between
// retries, the event loop for the click timer and for drawing the owner.
struct TrayIconPorts {
  NotifyShell& shell;
  PointerFocus& focus;
  Clock& clock;
  MessagePump& pump;
  TextCodec& codec;
};

// The program's icon in the taskbar's notification area, with its tip, its
// menus and the mouse actions on it.
//
// Every instance in the process is listed under its instance number, and one
// callback window receives the shell's mouse reports for all of them.
class TTrayIcon {
 public:
  // Each event carries the icon it happened on; the mouse events also the
  // button, the buttons held and the pointer's screen position.
  using TNotifyEvent = SignalOf<TTrayIcon&>;
  using TMouseEvent = SignalOf<TTrayIcon&, TMouseButton, TShiftState, int, int>;
  using TMouseMoveEvent = SignalOf<TTrayIcon&, TShiftState, int, int>;

  // The window message the shell reports mouse actions with (WM_USER + 200).
  static constexpr std::uint32_t kCallbackMessage = 1224;
  static constexpr std::size_t kMaxInstances = 100;
  // Longest tip, in bytes of its code-page-932 form.
  static constexpr std::size_t kMaxTipBytes = 63;
  // The event loop's timer that ends the wait for a double click; one per
  // instance, numbered from here.
  static constexpr int kClickTimerBase = 0x7400;

  // `owner` is the window that owns the icon, 0 when the owner is not a
  // window. Raises ENotifyIconError when 100 instances exist already.
  TTrayIcon(const TrayIconPorts& ports, WindowId owner);
  // Takes the icon out of the notification area and the instance list.
  ~TTrayIcon();
  TTrayIcon(const TTrayIcon&) = delete;
  TTrayIcon& operator=(const TTrayIcon&) = delete;

  const std::string& TipHelp() const { return tip_; }
  // Keeps what fits into 63 bytes of code page 932; the shell hears of it at
  // once when the icon is added and the kept text is new.
  void SetTipHelp(const std::string& text);
  bool Visible() const { return visible_; }
  // Shows or hides the icon; stays unchanged when the shell refuses.
  void SetVisible(bool visible);
  bool Enabled() const { return enabled_; }
  // Mouse actions count only while enabled; disabling drops a pending click.
  void SetEnabled(bool enabled);
  // Takes the icon out of the notification area now, for a program that
  // ends without running its destructors.
  void Remove();
  // A new taskbar holds none of the old icons: a visible icon is added anew.
  void TaskbarCreated();
  ImageId Icon() const { return icon_; }
  void SetIcon(ImageId icon);

  bool AutoPopup = true;
  bool FormActiveByMouseup = false;
  TPopupMenu* LBPopupMenu = nullptr;
  TPopupMenu* RBPopupMenu = nullptr;

  // Single click of the left button, raised late by the double-click time
  // plus 50 ms so that a double click raises only OnDblClick.
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  // While anyone hears it, a left release raises it instead of a click.
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;

  std::uint32_t InstanceNumber() const { return number_; }
  // Whether the shell holds the icon now (shown or hidden).
  bool Added() const { return added_; }
  // How many instances the process holds.
  static std::size_t InstanceCount();

 private:
  // The shell's report of a mouse action on the icon with instance number id.
  static void Notify(std::uint32_t id, std::uint32_t mouse_message,
                     std::optional<ScreenPoint> anchor);
  // `anchor`: the icon's point, where the shell tells it.
  void MouseAction(std::uint32_t mouse_message, std::optional<ScreenPoint> anchor);
  void ButtonPressed(TPopupMenu* menu, TMouseButton button, TShiftState shift, ScreenPoint at);
  void ButtonReleased(TMouseButton button, TShiftState shift, ScreenPoint at);
  void PopupMenu(TPopupMenu& menu, ScreenPoint at);
  void KeyboardMenu(ScreenPoint at);
  void SingleClick();
  void ClickWaitEnded();
  int ClickTimer() const { return kClickTimerBase + static_cast<int>(number_); }

  void Show();
  void Hide();
  void Modify();
  void RetryAdd(const NotifyIconRecord& record);
  // Shells of version 5 and later hide an icon without removing it, and take
  // the long record.
  bool ShellCanHide() const { return shell_version_ >= 5; }
  ImageId ChooseImage();
  NotifyIconRecord BareRecord() const;
  NotifyIconRecord FullRecord(ImageId image) const;

  NotifyShell& shell_;
  PointerFocus& focus_;
  Clock& clock_;
  MessagePump& pump_;
  TextCodec& codec_;
  WindowId owner_;
  std::uint32_t number_ = 0;
  int shell_version_ = 0;
  bool xp_or_later_ = false;
  std::string tip_;
  std::string tip_ansi_;
  ImageId icon_ = 0;
  bool visible_ = false;
  bool enabled_ = true;
  bool added_ = false;
  bool click_pending_ = false;
  bool menu_open_ = false;
  bool right_press_answered_ = false;
};

}  // namespace horalux
