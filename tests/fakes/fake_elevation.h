#pragma once
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/platform/elevated_launch.h"
#include "core/platform/file_security.h"
#include "core/platform/task_service.h"
#include "core/platform/taskbar.h"
#include "core/platform/user_token.h"

namespace horalux::fakes {

struct FakeUserToken : UserToken {
  Elevation kind = Elevation::Elevated;
  std::string sid = "S-1-5-21-1-2-3-1001";
  std::string shell_sid = sid;    // empty: no shell window
  std::string session_sid = sid;  // empty: the session's user cannot be told
  Elevation elevation() override { return kind; }
  std::string user_sid() override { return sid; }
  std::string shell_owner_sid() override { return shell_sid; }
  std::string session_user_sid() override { return session_sid; }
};

// Tasks by folder and name with their XML; with `refuse` no change is made.
// A task keeps its principal and program as the XML names them. `unreadable`
// answers every look-up when set.
struct FakeTaskService : TaskService {
  static constexpr auto kAccessDenied = static_cast<TaskAnswer>(0x80070005u);
  std::map<std::string, std::string> tasks;  // folder + "|" + name -> XML
  bool refuse = false;
  TaskAnswer registered = kTaskAnswerOk, unreadable = kTaskAnswerOk;
  static std::string Key(const std::string& folder, const std::string& name) {
    return folder + "|" + name;
  }
  static std::string Between(const std::string& xml, const std::string& tag) {
    const std::size_t at = xml.find("<" + tag + ">");
    if (at == std::string::npos) return "";
    const std::size_t from = at + tag.size() + 2;
    return xml.substr(from, xml.find("</" + tag + ">", from) - from);
  }
  TaskLookup find_task(const std::string& folder, const std::string& name) override {
    if (unreadable != kTaskAnswerOk) return {unreadable, std::nullopt};
    auto it = tasks.find(Key(folder, name));
    if (it == tasks.end()) return {kTaskFileNotFound, std::nullopt};
    const std::string& xml = it->second;
    const std::size_t principal = xml.find("<Principal ");
    return {0, RegisteredTask{
                   principal == std::string::npos ? "" : Between(xml.substr(principal), "UserId"),
                   Between(xml, "Command"), xml}};
  }
  TaskAnswer register_task(const std::string& folder, const std::string& name,
                           const std::string& xml, const std::string&) override {
    return refuse ? kAccessDenied : (tasks[Key(folder, name)] = xml, registered);
  }
  TaskAnswer delete_task(const std::string& folder, const std::string& name) override {
    return refuse ? kAccessDenied : tasks.erase(Key(folder, name)) ? 0 : kTaskFileNotFound;
  }
};

// Every path owned by Administrators with their full control and the users'
// read, unless `paths` says otherwise; `lists_apply` false plays Wine;
// `protected_paths` records what protect_install_folder was asked for.
struct FakeFileSecurity : FileSecurity {
  std::map<std::string, std::optional<SecurityInfo>> paths;
  bool lists_apply = true;
  std::vector<std::string> protected_paths;
  std::optional<SecurityInfo> read(const std::string& path) override {
    auto it = paths.find(path);
    if (it != paths.end()) return it->second;
    return SecurityInfo{
        "S-1-5-32-544",
        true,
        {{"S-1-5-32-544", 0x1F01FF, true, false}, {"S-1-5-32-545", 0x1200A9, true, false}}};
  }
  bool access_lists_apply() override { return lists_apply; }
  bool protect_install_folder(const std::string& path, const std::string& sddl) override {
    protected_paths.push_back(path + " " + sddl);
    return true;
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
