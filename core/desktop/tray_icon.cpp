#include "core/desktop/tray_icon.h"

#include <algorithm>
#include <vector>

#include "core/base/sjis.h"

namespace horalux {

namespace {

constexpr std::uint32_t kErrorTimeout = 1460;
constexpr int kMaxAddRetries = 5;
constexpr std::uint32_t kAddRetryPauseMs = 100;
constexpr std::uint32_t kClickWaitExtraMs = 50;

constexpr std::uint32_t kMouseMove = 512;
constexpr std::uint32_t kLeftPress = 513;
constexpr std::uint32_t kLeftRelease = 514;
constexpr std::uint32_t kLeftDoubleClick = 515;
constexpr std::uint32_t kRightPress = 516;
constexpr std::uint32_t kRightRelease = 517;
constexpr std::uint32_t kMiddlePress = 519;
constexpr std::uint32_t kMiddleRelease = 520;
// From the keyboard, on a shell that reports it: the menu key or Shift+F10
// (also sent after every right-button release), and Enter or Space.
constexpr std::uint32_t kContextMenu = 0x007B;
constexpr std::uint32_t kKeySelect = 0x0401;

struct Instance {
  std::uint32_t number;
  TTrayIcon* icon;
};

// The process's icons in order of creation, so the last entry holds the
// highest number.
std::vector<Instance>& Instances() {
  static std::vector<Instance> instances;
  return instances;
}

// The longest start of a code-page-932 text that fits into `limit` bytes
// without splitting a double-byte character.
std::string CutAnsi(const std::string& ansi, std::size_t limit) {
  std::size_t end = 0;
  while (end < ansi.size()) {
    std::size_t width = IsSjisLeadByte(static_cast<unsigned char>(ansi[end])) ? 2 : 1;
    if (end + width > limit) break;
    end += width;
  }
  return ansi.substr(0, std::min(end, ansi.size()));
}

}  // namespace

TTrayIcon::TTrayIcon(const TrayIconPorts& ports, WindowId owner)
    : shell_(ports.shell),
      focus_(ports.focus),
      clock_(ports.clock),
      pump_(ports.pump),
      codec_(ports.codec),
      owner_(owner) {
  std::vector<Instance>& instances = Instances();
  if (instances.size() >= kMaxInstances) throw ENotifyIconError(kTrayCannotRegister);
  number_ = instances.empty() ? 1 : instances.back().number + 1;
  shell_version_ = shell_.shell_major_version();
  xp_or_later_ = shell_.xp_or_later();
  if (!shell_.has_callback_window()) {
    shell_.create_callback_window(owner_, kCallbackMessage, &TTrayIcon::Notify);
  }
  tip_ansi_ = CutAnsi(codec_.to_ansi("TipHelp"), kMaxTipBytes);
  tip_ = codec_.from_ansi(tip_ansi_);
  instances.push_back({number_, this});
}

TTrayIcon::~TTrayIcon() {
  pump_.stop_timer(ClickTimer());
  // A refused removal changes nothing for the program: the icon is gone
  // from its point of view.
  if (added_) shell_.delete_icon(BareRecord());
  std::vector<Instance>& instances = Instances();
  std::erase_if(instances, [this](const Instance& entry) { return entry.icon == this; });
}

std::size_t TTrayIcon::InstanceCount() {
  return Instances().size();
}

void TTrayIcon::SetTipHelp(const std::string& text) {
  std::string ansi = CutAnsi(codec_.to_ansi(text), kMaxTipBytes);
  if (ansi == tip_ansi_) return;
  tip_ansi_ = std::move(ansi);
  tip_ = codec_.from_ansi(tip_ansi_);
  if (added_) Modify();
}

void TTrayIcon::SetVisible(bool visible) {
  if (visible == visible_) return;
  if (visible) {
    Show();
  } else {
    Hide();
  }
}

void TTrayIcon::Remove() {
  if (added_) shell_.delete_icon(BareRecord());
  added_ = false;
  visible_ = false;
}

void TTrayIcon::TaskbarCreated() {
  added_ = false;
  if (!visible_) return;
  visible_ = false;
  Show();
}

void TTrayIcon::SetEnabled(bool enabled) {
  enabled_ = enabled;
  if (!enabled) click_pending_ = false;
}

void TTrayIcon::SetIcon(ImageId icon) {
  icon_ = icon;
  if (added_) Modify();
}

NotifyIconRecord TTrayIcon::BareRecord() const {
  NotifyIconRecord record;
  record.long_form = ShellCanHide();
  record.id = number_;
  return record;
}

NotifyIconRecord TTrayIcon::FullRecord(ImageId image) const {
  NotifyIconRecord record = BareRecord();
  record.callback_message = kCallbackMessage;
  record.image = image;
  if (!tip_.empty()) record.tip = tip_;
  return record;
}

ImageId TTrayIcon::ChooseImage() {
  if (icon_) return icon_;
  if (owner_) {
    if (ImageId image = shell_.window_icon(owner_)) return image;
  }
  return shell_.application_icon();
}

// Visible stays false on every refusal, so that making the icon visible
// again tries anew.
void TTrayIcon::Show() {
  ImageId image = ChooseImage();
  if (!image) return;
  if (added_ && ShellCanHide()) {
    NotifyIconRecord record = BareRecord();
    record.hidden = false;
    if (!shell_.modify_icon(record)) throw ENotifyIconError(kTrayCannotSwitch);
    visible_ = true;
    return;
  }
  NotifyIconRecord record = FullRecord(image);
  if (!shell_.add_icon(record)) RetryAdd(record);
  added_ = true;
  visible_ = true;
}

// A busy taskbar (typically while Windows is still starting) may time out
// an add that it carries out anyway, so the first step after such a refusal
// is to ask whether the icon is there after all.
void TTrayIcon::RetryAdd(const NotifyIconRecord& record) {
  if (!xp_or_later_ || shell_.last_error() != kErrorTimeout) {
    throw ENotifyIconError(kTrayCannotRegister);
  }
  if (shell_.modify_icon(record)) return;
  for (int retry = 1;; ++retry) {
    clock_.sleep(kAddRetryPauseMs);
    if (shell_.add_icon(record)) return;
    if (retry == kMaxAddRetries || shell_.last_error() != kErrorTimeout) {
      throw ENotifyIconError(kTrayCannotRegister);
    }
  }
}

void TTrayIcon::Hide() {
  if (!added_) {
    visible_ = false;
    return;
  }
  if (ShellCanHide()) {
    NotifyIconRecord record = BareRecord();
    record.hidden = true;
    if (!shell_.modify_icon(record)) throw ENotifyIconError(kTrayCannotSwitch);
  } else {
    shell_.delete_icon(BareRecord());
    added_ = false;
  }
  visible_ = false;
}

void TTrayIcon::Modify() {
  if (!shell_.modify_icon(FullRecord(ChooseImage()))) throw ENotifyIconError(kTrayCannotRegister);
}

void TTrayIcon::Notify(std::uint32_t id, std::uint32_t mouse_message,
                       std::optional<ScreenPoint> anchor) {
  for (const Instance& entry : Instances()) {
    if (entry.number != id) continue;
    if (entry.icon->enabled_) entry.icon->MouseAction(mouse_message, anchor);
    return;
  }
}

// Handlers may end the instance, so nothing touches it after one has run.
// A menu the mouse opens opens at the pointer; one the keyboard opens, at
// the icon, since the pointer may be anywhere.
void TTrayIcon::MouseAction(std::uint32_t mouse_message, std::optional<ScreenPoint> anchor) {
  const ScreenPoint at = focus_.pointer_position();
  switch (mouse_message) {
    case kMouseMove:
      OnMouseMove(*this, 0, at.x, at.y);
      break;
    case kLeftPress:
      ButtonPressed(LBPopupMenu, TMouseButton::mbLeft, ssLeft, at);
      break;
    case kLeftRelease:
      ButtonReleased(TMouseButton::mbLeft, ssLeft, at);
      break;
    case kLeftDoubleClick:
      click_pending_ = true;
      OnDblClick(*this);
      break;
    case kRightPress:
      // The shell follows this click's release with a context-menu report,
      // which the press has answered already.
      right_press_answered_ = true;
      ButtonPressed(RBPopupMenu, TMouseButton::mbRight, ssRight, at);
      break;
    case kRightRelease:
      ButtonReleased(TMouseButton::mbRight, ssRight, at);
      break;
    case kMiddlePress:
      ButtonPressed(nullptr, TMouseButton::mbMiddle, ssMiddle, at);
      break;
    case kMiddleRelease:
      ButtonReleased(TMouseButton::mbMiddle, ssMiddle, at);
      break;
    case kContextMenu:
      if (right_press_answered_) {
        right_press_answered_ = false;
        break;
      }
      KeyboardMenu(anchor.value_or(at));
      break;
    case kKeySelect:
      KeyboardMenu(anchor.value_or(at));
      break;
    default:
      break;
  }
}

void TTrayIcon::ButtonPressed(TPopupMenu* menu, TMouseButton button, TShiftState shift,
                              ScreenPoint at) {
  if (menu && AutoPopup) {
    PopupMenu(*menu, at);
    return;
  }
  OnMouseDown(*this, button, shift, at.x, at.y);
}

void TTrayIcon::PopupMenu(TPopupMenu& menu, ScreenPoint at) {
  // A request that arrives while the menu is open (a key repeated) finds it open.
  if (menu_open_) return;
  menu_open_ = true;
  // The menu closes properly only when a window of the program has the
  // foreground, and the owner should be drawn before the menu covers it.
  if (owner_) {
    focus_.bring_to_foreground(owner_);
    pump_.process_messages();
  }
  menu.Popup(shell_, at);
  menu_open_ = false;
}

// A keyboard user reaches the menu a mouse user gets with the right button
// (or, for an icon with only a left-button menu, that one).
void TTrayIcon::KeyboardMenu(ScreenPoint at) {
  TPopupMenu* menu = RBPopupMenu ? RBPopupMenu : LBPopupMenu;
  if (menu && AutoPopup) PopupMenu(*menu, at);
}

void TTrayIcon::ButtonReleased(TMouseButton button, TShiftState shift, ScreenPoint at) {
  if (FormActiveByMouseup) {
    if (WindowId active = focus_.active_window()) focus_.bring_to_foreground(active);
  }
  if (OnMouseUp.Heard()) {
    OnMouseUp(*this, button, shift, at.x, at.y);
  } else if (button == TMouseButton::mbLeft) {
    SingleClick();
  }
}

// A left release is a click only when no double click follows within the
// system's double-click time, so the click waits for that long.
void TTrayIcon::SingleClick() {
  if (!OnClick.Heard() || click_pending_) {
    click_pending_ = false;
    return;
  }
  click_pending_ = true;
  pump_.start_timer(ClickTimer(), shell_.double_click_time_ms() + kClickWaitExtraMs,
                    [this] { ClickWaitEnded(); });
}

void TTrayIcon::ClickWaitEnded() {
  pump_.stop_timer(ClickTimer());
  const bool raise = OnClick.Heard() && click_pending_;
  click_pending_ = false;
  if (raise) OnClick(*this);
}

}  // namespace horalux
