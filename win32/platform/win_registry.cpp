#include "win32/platform/win_registry.h"

#include <windows.h>

#include "win32/platform/handle.h"
#include "win32/platform/wide.h"

namespace horalux::win32 {
namespace {

[[noreturn]] void Fail(LONG error) {
  throw ERegistryError(SystemErrorText(error));
}

}  // namespace

RegistryValue WinRegistry::ReadUserValue(const std::string& key, const std::string& name) {
  RegistryValue value;
  UniqueKey k;
  LONG error = RegOpenKeyExW(HKEY_CURRENT_USER, Widen(key).c_str(), 0, KEY_READ, k.put());
  if (error == ERROR_FILE_NOT_FOUND) return value;
  if (error != ERROR_SUCCESS) Fail(error);

  const std::wstring wname = Widen(name);
  DWORD type = 0;
  DWORD size = 0;
  error = RegQueryValueExW(k.get(), wname.c_str(), nullptr, &type, nullptr, &size);
  if (error == ERROR_FILE_NOT_FOUND) return value;
  if (error != ERROR_SUCCESS) Fail(error);
  // Room for a string stored without its terminating NUL.
  std::vector<BYTE> data(size + sizeof(wchar_t));
  error = RegQueryValueExW(k.get(), wname.c_str(), nullptr, &type, data.data(), &size);
  if (error != ERROR_SUCCESS) Fail(error);
  data.resize(size);

  switch (type) {
    case REG_BINARY:
      value.type = RegistryValue::Type::Binary;
      value.data.assign(data.begin(), data.end());
      break;
    case REG_DWORD:
      if (size != sizeof(DWORD)) Fail(ERROR_INVALID_DATA);
      value.type = RegistryValue::Type::Integer;
      value.integer = *reinterpret_cast<const DWORD*>(data.data());
      break;
    case REG_SZ:
    case REG_EXPAND_SZ: {
      value.type = RegistryValue::Type::String;
      std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), size / sizeof(wchar_t));
      while (!text.empty() && text.back() == L'\0') text.pop_back();
      value.text = Narrow(text);
      break;
    }
    default:
      value.type = RegistryValue::Type::Other;
      value.data.assign(data.begin(), data.end());
  }
  return value;
}

}  // namespace horalux::win32
