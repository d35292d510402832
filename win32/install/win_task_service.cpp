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

// The local Task Scheduler.
HRESULT Connect(ComPtr<ITaskService>& service) {
  HRESULT hr = CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER,
                                IID_ITaskService, service.put_void());
  if (FAILED(hr)) return hr;
  VARIANT none;
  VariantInit(&none);
  return service->Connect(none, none, none, none);
}

// GetFolder answers a missing folder with "file not found" or "path not
// found"; any other failure leaves it unknown.
HRESULT OpenFolder(const std::string& path, ComPtr<ITaskFolder>& folder) {
  ComPtr<ITaskService> service;
  Bstr name(path);
  if (!name) return E_OUTOFMEMORY;
  HRESULT hr = Connect(service);
  if (FAILED(hr)) return hr;
  hr = service->GetFolder(name.get(), folder.put());
  return SUCCEEDED(hr) && !folder ? E_POINTER : hr;
}

// The folder with `sddl` as its access rules, made when missing.
HRESULT PreparedFolder(const std::string& path, const std::string& sddl,
                       ComPtr<ITaskFolder>& folder) {
  ComPtr<ITaskService> service;
  ComPtr<ITaskFolder> root;
  Bstr root_name("\\"), name(path), rules(sddl);
  if (!root_name || !name || !rules) return E_OUTOFMEMORY;
  HRESULT hr = Connect(service);
  if (SUCCEEDED(hr)) hr = service->GetFolder(root_name.get(), root.put());
  if (FAILED(hr)) return hr;
  if (path == "\\") return service->GetFolder(root_name.get(), folder.put());
  const HRESULT made = root->CreateFolder(name.get(), rules.variant(), folder.put());
  if (SUCCEEDED(made)) return folder ? S_OK : E_POINTER;
  if (made != HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS)) return made;
  hr = service->GetFolder(name.get(), folder.put());
  if (FAILED(hr)) return hr;
  // Whoever made the folder first, its rules are these from now on. Wine's
  // service does not keep folder rules at all (E_NOTIMPL): nothing to set.
  const HRESULT set = folder->SetSecurityDescriptor(rules.get(), 0);
  return set == E_NOTIMPL ? S_OK : set;
}

// A principal named by account rather than SID, as a SID text.
std::string AsSidText(const std::string& user) {
  if (user.empty() || user.rfind("S-1-", 0) == 0) return user;
  return win32::AccountSidText(win32::Widen(user));
}

}  // namespace

TaskLookup WinTaskService::find_task(const std::string& folder_path, const std::string& name) {
  ComPtr<ITaskFolder> folder;
  Bstr path(name);
  ComPtr<IRegisteredTask> task;
  if (!path) return {E_OUTOFMEMORY, std::nullopt};
  HRESULT hr = OpenFolder(folder_path, folder);
  if (SUCCEEDED(hr)) hr = folder->GetTask(path.get(), task.put());
  if (FAILED(hr)) return {hr, std::nullopt};
  if (!task) return {E_POINTER, std::nullopt};
  RegisteredTask found;
  Bstr xml;
  if (SUCCEEDED(task->get_Xml(xml.put()))) found.xml = xml.text();
  ComPtr<ITaskDefinition> definition;
  if (FAILED(task->get_Definition(definition.put())) || !definition) return {S_OK, found};
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
  return {S_OK, found};
}

TaskAnswer WinTaskService::register_task(const std::string& folder_path, const std::string& name,
                                         const std::string& xml, const std::string& sddl) {
  ComPtr<ITaskFolder> folder;
  Bstr path(name), definition(xml), rules(sddl);
  if (!path || !definition || !rules) return E_OUTOFMEMORY;
  const HRESULT prepared = PreparedFolder(folder_path, sddl, folder);
  if (FAILED(prepared)) return prepared;
  // The definition names the user and the logon type; the access rules are
  // the given ones alone, without the entry the service would add for the
  // principal. A success code other than S_OK (SCHED_S_SOME_TRIGGERS_FAILED,
  // SCHED_S_BATCH_LOGON_PROBLEM) goes up as it is.
  VARIANT none;
  VariantInit(&none);
  ComPtr<IRegisteredTask> task;
  return folder->RegisterTask(path.get(), definition.get(),
                              TASK_CREATE_OR_UPDATE | TASK_DONT_ADD_PRINCIPAL_ACE, none, none,
                              TASK_LOGON_INTERACTIVE_TOKEN, rules.variant(), task.put());
}

TaskAnswer WinTaskService::delete_task(const std::string& folder_path, const std::string& name) {
  ComPtr<ITaskFolder> folder;
  Bstr path(name);
  if (!path) return E_OUTOFMEMORY;
  const HRESULT opened = OpenFolder(folder_path, folder);
  if (FAILED(opened)) return opened;
  return folder->DeleteTask(path.get(), 0);
}

}  // namespace horalux
