#pragma once
#include "core/platform/elevated_launch.h"

namespace horalux {

// Starts a program through the shell's "runas" verb.
class WinElevatedLauncher : public ElevatedLauncher {
 public:
  ElevatedStart start(const std::string& program, const std::string& parameters,
                      const std::string& working_folder) override;
  ElevatedStart run_and_wait(const std::string& program, const std::string& parameters,
                             const std::string& working_folder, unsigned timeout_ms) override;
};

}  // namespace horalux
