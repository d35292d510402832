#pragma once
#include "core/platform/user_token.h"

namespace horalux {

inline constexpr const char* kOtherAdministratorText =
    "Horaluxは、ログオンしているユーザーとは別の管理者として実行されています。\r\n"
    "スタートアップ登録とショートカットは作成しませんでした。\r\n"
    "セットアップしたHoraluxを、ログオンしているユーザーで起動してください。";

// Whether this run acts for the user whose desktop it is on. An elevated run
// may hold another administrator's token (typed in "over the shoulder" of a
// standard user): what it registers, links or starts would then be that
// administrator's, on someone else's desktop. The desktop's user is the
// owner of the shell's process, or, without a shell window, the session's
// user. A run that cannot tell counts as another user's.
bool RunsAsLoggedOnUser(UserToken& token);

}  // namespace horalux
