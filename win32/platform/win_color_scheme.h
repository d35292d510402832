#pragma once
#include "core/platform/color_scheme.h"

namespace horalux {

// The user's colour scheme as the system reports it.
class WinColorScheme : public ColorScheme {
 public:
  bool high_contrast() override;
};

}  // namespace horalux
