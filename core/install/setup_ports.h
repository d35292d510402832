#pragma once
#include <string>

#include "core/install/startup_task.h"
#include "core/platform/boxes.h"
#include "core/platform/clock.h"
#include "core/platform/files.h"
#include "core/platform/shell.h"
#include "core/platform/text_codec.h"

namespace horalux {

struct SetupPorts {
  Files& files;
  Shell& shell;
  Boxes& boxes;
  Clock& clock;
  TextCodec& codec;
  StartupTask& task;
};

inline constexpr const char* kSetupElevationQuestion =
    "セットアップには管理者の権限が必要です。\r\nHoraluxを管理者として起動し直しますか？";
inline constexpr const char* kSetupNeedsAdministratorText =
    "Program Files へのセットアップには、管理者の権限が必要です。\r\n"
    "管理者のアカウントでセットアップを行ってください。";
inline constexpr const char* kElevatedStartFailedText = "Horaluxを管理者として起動できません。";
inline constexpr const char* kStartFromMenuText =
    "セットアップが終了しました。\r\nスタートメニューからHoraluxを起動してください。";
// Where the elevated setup copy leaves the target folder of a finished
// setup for the copy that waits for it (in that copy's settings folder).
inline constexpr const char* kSetupResultName = "Setup.$$$";

}  // namespace horalux
