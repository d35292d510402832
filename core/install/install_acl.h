#pragma once
#include <string>

#include "core/platform/file_security.h"

namespace horalux {

inline constexpr const char* kLooseFolderText =
    "Horaluxのフォルダーに、管理者以外のユーザーが書き込めます。\r\n"
    "コンピュータ起動時の動作は登録しませんでした。";

// What a folder that setup makes under Program Files is given, owner and
// all: the administrators own it (so a policy that makes the creator the
// owner cannot make an install refuse itself), SYSTEM and Administrators
// have full control, Users read and execute, passed on to everything inside
// and nothing taken from above.
inline constexpr const char* kInstallFolderSddl =
    "O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";
// The installed program: owned by the administrators; its access list comes
// from the folder.
inline constexpr const char* kInstalledProgramSddl = "O:BA";

// How the access rules of what the task starts were judged.
enum class InstallAccess {
  AdministratorsOnly,
  OthersCanChange,
  // The file system keeps no access lists here (Wine): nothing to judge.
  NotApplicable,
};

// Whether only administrators (SYSTEM, Administrators, TrustedInstaller) can
// change the file or folder that `info` describes. The task starts the
// program elevated for its user, and every unelevated program of that user
// carries the user's SID: neither the user nor anyone else but those three
// may own it or hold any right beyond reading and running it, also through
// an entry a folder passes on: the installed program is written anew and
// renamed, so it takes them. Only CREATOR OWNER and CREATOR GROUP may pass
// on more (Program Files gives the creator full control). Deny entries are
// not weighed: a refusal is the safe side.
bool OnlyAdministratorsCanChange(const SecurityInfo& info);

}  // namespace horalux
