#pragma once
#include <optional>
#include <string>
#include <vector>

#include "core/platform/boxes.h"
#include "core/platform/clock.h"
#include "core/platform/files.h"
#include "core/platform/form_host.h"
#include "core/platform/shell.h"
#include "core/platform/user_token.h"

namespace horalux {

// The page the main window opens on when a resident run gives way to it.
enum class WindowPage { Basic, Log };

// The parameters of a copy that an elevated resident run started to show the
// window in its place, by the page it opens on. Such a copy does not look
// for a running one: the run that started it still runs.
inline constexpr const char* kShowWindowParameter = "/show";
inline constexpr const char* kShowLogParameter = "/show:log";

inline constexpr const char* kStartFromStartMenuText =
    "Horaluxをスタートメニューから起動してください。";

// The page a copy started by such a hand-over opens on; nothing for none.
std::optional<WindowPage> HandedOverPage(const std::vector<std::string>& params);

// Shows the main window where a resident run gives way to it. An elevated
// run never shows a window of its own: an administrator's window on the
// user's desktop, whose menus reach setup and the shell, would be in reach
// of every program of the user. It has the shell's process start an
// unelevated copy that opens on `page` instead and waits for its window;
// without the shell, or when no window comes, it says where to start one.
class WindowHandOver {
 public:
  struct Ports {
    UserToken& token;
    Shell& shell;
    Files& files;
    Clock& clock;
    Boxes& boxes;
    FormHost& host;
  };
  explicit WindowHandOver(Ports ports) : p_(ports) {}

  // True when this copy shows its own window; false when it handed over
  // (or could not) and must end.
  bool Show(WindowPage page);

 private:
  Ports p_;
};

}  // namespace horalux
