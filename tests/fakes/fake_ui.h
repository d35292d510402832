#pragma once
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "core/platform/boxes.h"
#include "core/platform/form_host.h"
#include "core/platform/locale_info.h"
#include "core/platform/message_pump.h"
#include "core/platform/text_codec.h"
#include "core/platform/windowing.h"

namespace horalux::fakes {

// Boxes with scripted answers; every box shown is recorded in order. A box
// is modal: once its event loop ends (the program was told to quit while it
// was open, or before it opened) it closes unanswered, and a question then
// counts as No, as the real box's IDOK does.
class FakeBoxes : public Boxes {
 public:
  struct Shown {
    std::string kind;  // "message", "question", "error", "information", "error box"
    std::string title;
    std::string text;
    bool yes_is_default = false;
  };
  void message(const std::string& text) override;
  bool question(const std::string& title, const std::string& text, bool yes_is_default) override;
  void error(const std::string& text) override;
  void notice(Icon icon, const std::string& title, const std::string& text) override;

  std::vector<Shown> shown;
  std::deque<bool> answers;  // for questions; an empty queue answers the default
  // Runs inside every box, as the box's own event processing would.
  std::function<void(const Shown&)> while_open;
  // The program's event loop, whose end closes every box.
  const MessagePump* loop = nullptr;

 private:
  // Shows the box; false when the end of the event loop closed it.
  bool Open(Shown box);
};

class FakeWindowing : public Windowing {
 public:
  bool bring_forward(const std::string& window_class, const std::string& title) override;
  bool exists(const std::string&, const std::string&) override { return other_copy_running; }
  void set_application_title(const std::string& title) override { application_title = title; }

  bool other_copy_running = false;
  int brought_forward = 0;
  std::string application_title;
};

// Code page 932 through the C library's converter, independent of the
// program's own conversion.
class IconvCodec : public TextCodec {
 public:
  std::string to_ansi(const std::string& utf8) override;
  std::string from_ansi(const std::string& ansi) override;
};

// A Japanese locale: weekday names 日..土, hours without leading zero.
class FakeLocale : public LocaleInfo {
 public:
  std::string abbreviated_day_name(int day_of_week) override;
  std::string long_time(int hour, int minute, int second) override;
  std::string thousands_separator() override { return thousands; }
  std::string decimal_separator() override { return "."; }
  std::string thousands = ",";
};

class FakeHost : public FormHost {
 public:
  void show_window() override;
  void close_window() override;
  bool shown() override { return visible; }
  WindowId window_id() override { return 0x1000; }

  bool visible = false;
  int shows = 0;
  int close_requests = 0;
  // The form's show and close events, wired by the test.
  std::function<void()> on_show;
  std::function<void()> on_close;
};

}  // namespace horalux::fakes
