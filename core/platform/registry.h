#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace horalux {

// One value as the registry stores it.
struct RegistryValue {
  enum class Type { Missing, Binary, Integer, String, Other };
  Type type = Type::Missing;       // Missing also when the key itself does not exist
  std::vector<std::uint8_t> data;  // Binary and Other: the stored bytes
  std::uint32_t integer = 0;       // Integer: the 32-bit value (REG_DWORD)
  std::string text;                // String: the text in UTF-8, without its NUL
};

// A registry call that failed for another reason than a missing key or value;
// what() is the system's text.
class ERegistryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The current user's part of the registry, read only: the program keeps no
// keys of its own.
class Registry {
 public:
  virtual ~Registry() = default;
  // The value `name` of the key `key` under HKEY_CURRENT_USER (a path with
  // "\" separators). Raises ERegistryError on failures other than "missing".
  virtual RegistryValue ReadUserValue(const std::string& key, const std::string& name) = 0;
};

}  // namespace horalux
