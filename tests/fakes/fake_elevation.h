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

// Tasks by name with their XML; refuse makes every change fail.
struct FakeTaskService : TaskService {
  std::map<std::string, std::string> tasks;
  bool refuse = false;
  bool task_exists(const std::string& name) override { return tasks.count(name) != 0; }
  bool register_task(const std::string& name, const std::string& xml) override {
    if (refuse) return false;
    tasks[name] = xml;
    return true;
  }
  bool delete_task(const std::string& name) override {
    if (refuse) return tasks.count(name) == 0;
    tasks.erase(name);
    return true;
  }
};

// Records each elevated start; `answer` decides how it goes. By default the
// started copy runs `copy` (when set) and ends with its code.
struct FakeElevatedLauncher : ElevatedLauncher {
  struct Call {
    std::string program, parameters, working_folder;
    bool waited;
  };
  std::vector<Call> calls;
  ElevatedOutcome outcome = ElevatedOutcome::Started;
  std::function<int(const std::string& parameters)> copy;
  ElevatedStart start(const std::string& program, const std::string& parameters,
                      const std::string& working_folder) override {
    calls.push_back({program, parameters, working_folder, false});
    if (outcome != ElevatedOutcome::Started) return {outcome, 0, 0};
    if (copy) copy(parameters);
    return {outcome, 4242, 0};
  }
  ElevatedStart run_and_wait(const std::string& program, const std::string& parameters,
                             const std::string& working_folder, unsigned) override {
    calls.push_back({program, parameters, working_folder, true});
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
