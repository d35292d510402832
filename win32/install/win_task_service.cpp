#include "win32/install/win_task_service.h"

#include <windows.h>
#include <oleauto.h>
#include <sddl.h>
#include <taskschd.h>

#include "win32/platform/bstr.h"
#include "win32/platform/sid.h"
#include "win32/platform/wide.h"

namespace horalux {

using win32::Bstr;
using win32::ComPtr;

namespace {

// The local Task Scheduler; false when it cannot be reached.
bool Connect(ComPtr<ITaskService>& service) {
  if (FAILED(CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskService,
                              service.put_void())))
    return false;
  VARIANT none;
  VariantInit(&none);
  return SUCCEEDED(service->Connect(none, none, none, none));
}

bool OpenFolder(const std::string& path, ComPtr<ITaskFolder>& folder) {
  ComPtr<ITaskService> service;
  Bstr name(path);
  return name && Connect(service) && SUCCEEDED(service->GetFolder(name.get(), folder.put())) &&
         folder;
}

// The folder with `sddl` as its access rules, made when missing.
bool PreparedFolder(const std::string& path, const std::string& sddl, ComPtr<ITaskFolder>& folder) {
  ComPtr<ITaskService> service;
  ComPtr<ITaskFolder> root;
  Bstr root_name("\\"), name(path), rules(sddl);
  if (!root_name || !name || !rules || !Connect(service) ||
      FAILED(service->GetFolder(root_name.get(), root.put())))
    return false;
  if (path == "\\") return SUCCEEDED(service->GetFolder(root_name.get(), folder.put()));
  const HRESULT made = root->CreateFolder(name.get(), rules.variant(), folder.put());
  if (SUCCEEDED(made)) return bool(folder);
  if (made != HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS) ||
      FAILED(service->GetFolder(name.get(), folder.put())))
    return false;
  // Whoever made the folder first, its rules are these from now on. Wine's
  // service does not keep folder rules at all (E_NOTIMPL): nothing to set.
  const HRESULT set = folder->SetSecurityDescriptor(rules.get(), 0);
  return SUCCEEDED(set) || set == E_NOTIMPL;
}

// A principal named by account rather than SID, as a SID text.
std::string AsSidText(const std::string& user) {
  if (user.empty() || user.rfind("S-1-", 0) == 0) return user;
  return win32::AccountSidText(win32::Widen(user));
}

}  // namespace

std::optional<RegisteredTask> WinTaskService::find_task(const std::string& folder_path,
                                                        const std::string& name) {
  ComPtr<ITaskFolder> folder;
  Bstr path(name);
  ComPtr<IRegisteredTask> task;
  if (!path || !OpenFolder(folder_path, folder) ||
      FAILED(folder->GetTask(path.get(), task.put())) || !task)
    return std::nullopt;
  RegisteredTask found;
  ComPtr<ITaskDefinition> definition;
  if (FAILED(task->get_Definition(definition.put())) || !definition) return found;
  ComPtr<IPrincipal> principal;
  Bstr user;
  if (SUCCEEDED(definition->get_Principal(principal.put())) && principal &&
      SUCCEEDED(principal->get_UserId(user.put())))
    found.user_sid = AsSidText(user.text());
  ComPtr<IActionCollection> actions;
  ComPtr<IAction> action;
  ComPtr<IExecAction> exec;
  Bstr command;
  if (SUCCEEDED(definition->get_Actions(actions.put())) && actions &&
      SUCCEEDED(actions->get_Item(1, action.put())) && action &&
      SUCCEEDED(action->QueryInterface(IID_IExecAction, exec.put_void())) &&
      SUCCEEDED(exec->get_Path(command.put())))
    found.command = command.text();
  return found;
}

bool WinTaskService::register_task(const std::string& folder_path, const std::string& name,
                                   const std::string& xml, const std::string& sddl) {
  ComPtr<ITaskFolder> folder;
  Bstr path(name), definition(xml), rules(sddl);
  if (!path || !definition || !rules || !PreparedFolder(folder_path, sddl, folder)) return false;
  // The definition names the user and the logon type; the access rules are
  // the given ones alone, without the entry the service would add for the
  // principal.
  VARIANT none;
  VariantInit(&none);
  ComPtr<IRegisteredTask> task;
  return SUCCEEDED(folder->RegisterTask(
      path.get(), definition.get(), TASK_CREATE_OR_UPDATE | TASK_DONT_ADD_PRINCIPAL_ACE, none, none,
      TASK_LOGON_INTERACTIVE_TOKEN, rules.variant(), task.put()));
}

bool WinTaskService::delete_task(const std::string& folder_path, const std::string& name) {
  ComPtr<ITaskFolder> folder;
  Bstr path(name);
  if (!path) return false;
  if (!OpenFolder(folder_path, folder)) {
    // No folder, no task in it.
    ComPtr<ITaskService> service;
    return Connect(service);
  }
  const HRESULT hr = folder->DeleteTask(path.get(), 0);
  return SUCCEEDED(hr) || hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
}

}  // namespace horalux
