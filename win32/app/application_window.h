#pragma once
#include <windows.h>

#include "core/platform/windowing.h"

namespace horalux {

// The hidden application window by which another copy finds this one, and
// through which it asks this copy to come forward.
class ApplicationWindow : public Windowing {
 public:
  ApplicationWindow();
  ~ApplicationWindow() override;
  bool bring_forward(const std::string& window_class, const std::string& title) override;
  bool exists(const std::string& window_class, const std::string& title) override;
  void set_application_title(const std::string& title) override;
  HWND hwnd() const { return hwnd_; }
  // The window brought forward when another copy asks.
  void set_main_window(HWND main) { main_ = main; }

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  HWND hwnd_ = nullptr;
  HWND main_ = nullptr;
};

}  // namespace horalux
