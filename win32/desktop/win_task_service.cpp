#include "win32/desktop/win_task_service.h"

#include <windows.h>
#include <oleauto.h>
#include <taskschd.h>

#include "win32/platform/wide.h"

namespace horalux {

using win32::ComPtr;

namespace {

// Owns a BSTR, the string form the service's methods take.
class Bstr {
 public:
  explicit Bstr(const std::string& utf8) : s_(SysAllocString(win32::Widen(utf8).c_str())) {}
  ~Bstr() { SysFreeString(s_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR get() const { return s_; }
  explicit operator bool() const { return s_ != nullptr; }

 private:
  BSTR s_;
};

// The root folder of the local Task Scheduler; false when the service
// cannot be reached.
bool RootFolder(ComPtr<ITaskFolder>& folder) {
  ComPtr<ITaskService> service;
  if (FAILED(CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskService,
                              service.put_void())))
    return false;
  VARIANT none;
  VariantInit(&none);
  if (FAILED(service->Connect(none, none, none, none))) return false;
  Bstr root("\\");
  return root && SUCCEEDED(service->GetFolder(root.get(), folder.put())) && folder;
}

}  // namespace

bool WinTaskService::task_exists(const std::string& name) {
  ComPtr<ITaskFolder> folder;
  Bstr path(name);
  if (!path || !RootFolder(folder)) return false;
  ComPtr<IRegisteredTask> task;
  return SUCCEEDED(folder->GetTask(path.get(), task.put())) && task;
}

bool WinTaskService::register_task(const std::string& name, const std::string& xml) {
  ComPtr<ITaskFolder> folder;
  Bstr path(name), definition(xml);
  if (!path || !definition || !RootFolder(folder)) return false;
  // The definition names the user and the logon type; the access rules are
  // in its security descriptor.
  VARIANT none;
  VariantInit(&none);
  ComPtr<IRegisteredTask> task;
  return SUCCEEDED(folder->RegisterTask(path.get(), definition.get(), TASK_CREATE_OR_UPDATE, none,
                                        none, TASK_LOGON_INTERACTIVE_TOKEN, none, task.put()));
}

bool WinTaskService::delete_task(const std::string& name) {
  ComPtr<ITaskFolder> folder;
  Bstr path(name);
  if (!path || !RootFolder(folder)) return false;
  const HRESULT hr = folder->DeleteTask(path.get(), 0);
  return SUCCEEDED(hr) || hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
}

}  // namespace horalux
