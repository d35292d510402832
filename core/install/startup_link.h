#pragma once
#include <stdexcept>
#include <string>

#include <functional>

#include "core/controls/controls.h"
#include "core/install/startup_task.h"
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
inline constexpr const char* kRegisteredText = "Horaluxをコンピュータ起動時に動作させます。";
inline constexpr const char* kUnregisteredText = "コンピュータ起動時の動作を解除しました。";
inline constexpr const char* kTaskRegisterFailedText = "タスクスケジューラに登録できません。";
inline constexpr const char* kDailyRunOnText = "毎日の時刻合わせを登録しました。";
inline constexpr const char* kDailyRunOffText = "毎日の時刻合わせを解除しました。";
inline constexpr const char* kTaskRemoveFailedText = "タスクスケジューラから削除できません。";
inline constexpr const char* kElevationRefusedText =
    "管理者としての実行が許可されなかったため、何も変更していません。";
inline constexpr const char* kNoTimeRightText =
    "コンピュータ起動時に時刻を修正するには、時刻を変更する権利が必要です。\r\n"
    "詳しくは Readme.txt をご覧ください。";
inline constexpr const char* kSetupFirstText =
    "コンピュータ起動時に時刻を修正するには、Program Files へのセットアップが必要です。\r\n"
    "今すぐセットアップを行いますか？\r\n\r\n"
    "[はい]----セットアップフォーム表示\r\n"
    "[いいえ]--スタートアップフォルダに登録";

// A shortcut could not be made; what() is the text the program shows.
class EShortcutError : public std::runtime_error {
 public:
  EShortcutError() : std::runtime_error(kShortcutFailedText) {}
};

// The folder a shortcut was to go in failed this run's checks, so nothing
// was written there; what() names the folder.
class EShortcutFolderRefused : public std::runtime_error {
 public:
  explicit EShortcutFolderRefused(const std::string& folder)
      : std::runtime_error("ショートカットを作成できませんでした。\r\n" + folder) {}
};

// The shell's folder with a trailing "\", or empty text when it has none.
std::string SpecialFolder(Shell& shell, SpecialFolderId id);

// Writes folder-of-id + [sub_folder\] + (link_name, or the target's file name
// + "へのショートカット") + ".lnk" through `files`, replacing an existing file,
// and tells the shell. The link starts target with arguments in the target's
// folder. The folder is not created. Throws EShortcutFolderRefused when
// `files` refuses the folder, EShortcutError when the shell has no such
// folder, has no link object, or the file was not written.
void CreateShortcut(Shell& shell, Files& files, const std::string& target, SpecialFolderId id,
                    const std::string& sub_folder, const std::string& link_name,
                    const std::string& arguments = "");

// Start-up registration and the desktop shortcut of the running executable.
// A user who can elevate gets a logon task for the installed copy, since
// Windows never elevates a program of the Startup folder; a standard user
// gets the Startup folder's shortcut with "-R". The start-up check box shows
// whether either is there after every action here; the daily box whether
// the task also runs once a day, which only the logon task can.
class StartupLink {
 public:
  StartupLink(Shell& shell, Files& files, Boxes& boxes, TCheckBox& cbStartup, TCheckBox& cbMainichi,
              StartupTask& task)
      : shell_(shell),
        files_(files),
        boxes_(boxes),
        cbStartup_(cbStartup),
        cbMainichi_(cbMainichi),
        task_(task) {}

  // Opens the setup (the window, or an elevated copy that opens it); set by
  // the main window.
  std::function<void()> OpenSetup;

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

  // Enables the daily box where the task can run daily and ticks it when
  // the task does; at start-up and after every action here.
  void ShowDailyRun();
  // The user toggled the daily box (mouse or keyboard): the task is
  // registered again with or without its daily run.
  void cbMainichiToggle();

 private:
  std::string StartupShortcut() const;
  bool ShortcutExists();
  void ShowRegistered();
  void RegisterShortcut(bool standard_user);
  // False, after saying why and showing the boxes as they are, when the
  // task was not registered.
  bool RegisterTask(DailyRun daily);
  // Removes the task when there is one; false (after saying why) when it stays.
  bool RemoveTask();

  Shell& shell_;
  Files& files_;
  Boxes& boxes_;
  TCheckBox& cbStartup_;
  TCheckBox& cbMainichi_;
  StartupTask& task_;
  std::string startup_folder_;
};

}  // namespace horalux
