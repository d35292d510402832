#include <windows.h>

#include <gtest/gtest.h>

#include "win32/platform/win_registry.h"

namespace horalux {
namespace {

// A scratch key of the current user, deleted with its values at the end.
class ScratchKey {
 public:
  static constexpr const wchar_t* kPath = L"Software\\HoraluxTest\\Registry";
  ScratchKey() {
    RegCreateKeyExW(HKEY_CURRENT_USER, kPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                    nullptr);
  }
  ~ScratchKey() {
    RegCloseKey(key_);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\HoraluxTest");
  }
  void Set(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    ASSERT_EQ(RegSetValueExW(key_, name, 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
  }

 private:
  HKEY key_ = nullptr;
};

TEST(WinRegistry, ReadsValuesInTheirStoredForm) {
  ScratchKey scratch;
  const BYTE binary[] = {1, 0, 0, 0};
  const DWORD dword = 1;
  const wchar_t text[] = L"プロキシ:8080";
  scratch.Set(L"Binary", REG_BINARY, binary, sizeof binary);
  scratch.Set(L"Dword", REG_DWORD, &dword, sizeof dword);
  scratch.Set(L"Text", REG_SZ, text, sizeof text);

  win32::WinRegistry registry;
  const std::string key = "Software\\HoraluxTest\\Registry";
  RegistryValue v = registry.ReadUserValue(key, "Binary");
  EXPECT_EQ(v.type, RegistryValue::Type::Binary);
  EXPECT_EQ(v.data, (std::vector<std::uint8_t>{1, 0, 0, 0}));
  v = registry.ReadUserValue(key, "Dword");
  EXPECT_EQ(v.type, RegistryValue::Type::Integer);
  EXPECT_EQ(v.integer, 1u);
  v = registry.ReadUserValue(key, "Text");
  EXPECT_EQ(v.type, RegistryValue::Type::String);
  EXPECT_EQ(v.text, "プロキシ:8080");
  EXPECT_EQ(registry.ReadUserValue(key, "None").type, RegistryValue::Type::Missing);
  EXPECT_EQ(registry.ReadUserValue(key + "\\Absent", "Binary").type, RegistryValue::Type::Missing);
}

}  // namespace
}  // namespace horalux
