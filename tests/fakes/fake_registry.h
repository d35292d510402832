#pragma once
#include <map>
#include <string>
#include <utility>

#include "core/platform/registry.h"

namespace horalux::fakes {

// HKEY_CURRENT_USER in memory: values by key and name.
class FakeRegistry : public Registry {
 public:
  void Set(const std::string& key, const std::string& name, RegistryValue value) {
    values_[{key, name}] = std::move(value);
  }
  RegistryValue ReadUserValue(const std::string& key, const std::string& name) override {
    auto it = values_.find({key, name});
    return it == values_.end() ? RegistryValue{} : it->second;
  }

 private:
  std::map<std::pair<std::string, std::string>, RegistryValue> values_;
};

}  // namespace horalux::fakes
