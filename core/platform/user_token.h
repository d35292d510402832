#pragma once
#include <string>

namespace horalux {

// What the token of this process may do with the right to set the time.
enum class Elevation {
  // Elevated, or an administrator whose token is full anyway (UAC off).
  Elevated,
  // An administrator on the filtered token: can elevate with one prompt.
  FilteredAdministrator,
  // Cannot elevate on this account.
  StandardUser,
};

// The user this program runs as, as its access token tells it.
class UserToken {
 public:
  virtual ~UserToken() = default;
  virtual Elevation elevation() = 0;
  // The user's security identifier in its text form ("S-1-5-21-..."); empty
  // when it cannot be read.
  virtual std::string user_sid() = 0;
  // The user who owns the shell's process (the desktop) in this session, as
  // a SID text; empty when there is no shell window or it cannot be read.
  virtual std::string shell_owner_sid() = 0;
  // The user logged on to this session, looked up to a SID text; empty when
  // it cannot be told.
  virtual std::string session_user_sid() = 0;
};

}  // namespace horalux
