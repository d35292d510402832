#include "core/install/logged_on_user.h"

#include <string>

namespace horalux {

bool RunsAsLoggedOnUser(UserToken& token) {
  // An unelevated token holds no power beyond what its user already has.
  if (token.elevation() != Elevation::Elevated) return true;
  const std::string own = token.user_sid();
  std::string desktop = token.shell_owner_sid();
  if (desktop.empty()) desktop = token.session_user_sid();
  return !own.empty() && own == desktop;
}

}  // namespace horalux
