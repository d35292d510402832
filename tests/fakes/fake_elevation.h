#pragma once
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/platform/elevated_launch.h"
#include "core/platform/task_service.h"
#include "core/platform/taskbar.h"
#include "core/platform/user_token.h"

namespace horalux::fakes {

struct FakeUserToken : UserToken {
  Elevation kind = Elevation::Elevated;
  std::string sid = "S-1-5-21-1-2-3-1001";
  Elevation elevation() override { return kind; }
  std::string user_sid() override { return sid; }
};

// Tasks by name with their XML; with `refuse` no change is made.
struct FakeTaskService : TaskService {
  std::map<std::string, std::string> tasks;
  bool refuse = false;
  bool task_exists(const std::string& name) override { return tasks.count(name) != 0; }
  bool register_task(const std::string& name, const std::string& xml) override {
    if (!refuse) tasks[name] = xml;
    return !refuse;
  }
  bool delete_task(const std::string& name) override {
    if (!refuse) tasks.erase(name);
    return tasks.count(name) == 0;
  }
};

// Records each elevated start; when `outcome` lets it start, the started
// copy is `copy` (when set), which gives its exit code.
struct FakeElevatedLauncher : ElevatedLauncher {
  struct Call {
    std::string parameters;
    bool waited;
  };
  std::vector<Call> calls;
  ElevatedOutcome outcome = ElevatedOutcome::Started;
  std::function<int(const std::string& parameters)> copy;
  ElevatedStart start(const std::string&, const std::string& parameters,
                      const std::string&) override {
    return Run(parameters, false);
  }
  ElevatedStart run_and_wait(const std::string&, const std::string& parameters, const std::string&,
                             unsigned) override {
    return Run(parameters, true);
  }
  ElevatedStart Run(const std::string& parameters, bool waited) {
    calls.push_back({parameters, waited});
    if (outcome != ElevatedOutcome::Started) return {outcome, 0, 0};
    return {outcome, 4242, copy ? copy(parameters) : 0};
  }
};

// Absent for the first `absent_checks` looks, then there.
struct FakeTaskbar : Taskbar {
  int absent_checks = 0;
  std::function<void()> on_created;
  bool exists() override { return absent_checks-- <= 0; }
  void watch_restarts(std::function<void()> f) override { on_created = std::move(f); }
};

}  // namespace horalux::fakes
