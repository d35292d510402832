#pragma once
#include <stdexcept>
#include <string>

#include "core/controls/controls.h"
#include "core/platform/boxes.h"
#include "core/platform/files.h"
#include "core/platform/shell.h"

namespace horalux {

// The name of every shortcut the program makes, without ".lnk".
inline constexpr const char* kLinkName = "Horalux";
// The arguments of the start-up shortcut: a resident run.
inline constexpr const char* kStartupArguments = "-R";

inline constexpr const char* kShortcutFailedText = "ショートカットの作成に失敗しました。";
inline constexpr const char* kDeleteFailedText = "ファイルの削除に失敗しました。";

// A shortcut could not be made; what() is the text the program shows.
class EShortcutError : public std::runtime_error {
 public:
  EShortcutError() : std::runtime_error(kShortcutFailedText) {}
};

// The shell's folder with a trailing "\", or empty text when it has none.
std::string SpecialFolder(Shell& shell, SpecialFolderId id);

// Writes folder-of-id + [sub_folder\] + (link_name, or the target's file name
// + "へのショートカット") + ".lnk", replacing an existing file. The link starts
// target with arguments in the target's folder. The folder is not created.
// Throws EShortcutError when the shell has no such folder, has no link
// object, or the file was not written.
void CreateShortcut(Shell& shell, const std::string& target, SpecialFolderId id,
                    const std::string& sub_folder, const std::string& link_name,
                    const std::string& arguments = "");

// Start-up registration (the Startup folder's shortcut with "-R") and the
// desktop shortcut of the running executable. The start-up check box shows
// whether the start-up shortcut exists after every action here.
class StartupLink {
 public:
  StartupLink(Shell& shell, Files& files, Boxes& boxes, TCheckBox& cbStartup)
      : shell_(shell), files_(files), boxes_(boxes), cbStartup_(cbStartup) {}

  // Looks up the Startup folder; done once per run, at start-up.
  void LookUpStartupFolder();
  const std::string& StartupFolder() const { return startup_folder_; }
  // The running executable's full path: what every shortcut starts.
  std::string ShortcutTarget();

  bool IsStartupRegistered();
  void RegisterStartup();
  void UnregisterStartup();
  void CreateDesktopShortcut();

  // The mouse button was released on the box after it toggled it.
  void cbStartupMouseUp();
  // The box was toggled from the keyboard (Space): it acts as the mouse
  // release does, so that a keyboard user can register and unregister too.
  void cbStartupKeyToggle();
  // Closing a run started with "A": offers the start-up registration.
  void AskStartupAtClose();

 private:
  std::string StartupShortcut() const;
  void ShowRegistered();

  Shell& shell_;
  Files& files_;
  Boxes& boxes_;
  TCheckBox& cbStartup_;
  std::string startup_folder_;
};

}  // namespace horalux
