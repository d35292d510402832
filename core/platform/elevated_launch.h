#pragma once
#include "core/platform/shell.h"

namespace horalux {

enum class ElevatedOutcome {
  Started,  // for run_and_wait: started and ended, exit_code holds its code
  Refused,  // the user answered No to the consent prompt
  Failed,   // could not be started, or did not end in time
};

struct ElevatedStart {
  ElevatedOutcome outcome = ElevatedOutcome::Failed;
  ProcessId process = 0;
  int exit_code = 0;
};

inline constexpr unsigned kNoTimeLimit = 0xFFFFFFFFu;

// Starting a program as administrator (the shell's "runas" verb): the user
// sees one consent prompt when the token is filtered.
class ElevatedLauncher {
 public:
  virtual ~ElevatedLauncher() = default;
  // Starts it and returns at once.
  virtual ElevatedStart start(const std::string& program, const std::string& parameters,
                              const std::string& working_folder) = 0;
  // Starts it and waits for its end (at most timeout_ms milliseconds;
  // kNoTimeLimit for none). This program's windows are repainted but take no
  // input meanwhile.
  virtual ElevatedStart run_and_wait(const std::string& program, const std::string& parameters,
                                     const std::string& working_folder, unsigned timeout_ms) = 0;
};

}  // namespace horalux
