#pragma once
#include <string>

#include "core/platform/file_security.h"

namespace horalux {

inline constexpr const char* kLooseFolderText =
    "Horaluxのフォルダーに、管理者以外のユーザーが書き込めます。\r\n"
    "コンピュータ起動時の動作は登録しませんでした。";

// Whether only administrators (SYSTEM, Administrators, TrustedInstaller and
// the registering user `user_sid`) can change the file or folder that
// `info` describes. The task starts the program elevated: anyone else who
// can write, delete or re-permit it, or who owns it (an owner can always
// rewrite the access list), could run anything elevated. Deny entries are
// not weighed: a refusal is the safe side.
bool OnlyAdministratorsCanChange(const SecurityInfo& info, const std::string& user_sid);

}  // namespace horalux
