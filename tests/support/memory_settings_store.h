// A settings store in memory with the registry's behaviour that the settings logic relies on:
// keys are created when opened, values keep their insertion order and a rewrite keeps its place.
// A machine-wide root that is not writable refuses every open, write and delete, as the registry
// does for an ordinary user asking for write access.
#pragma once

#include <algorithm>
#include <map>
#include <set>
#include <utility>

#include "core/settings.h"

namespace vexilo::test {

class MemorySettingsStore : public core::SettingsStore {
 public:
  using Root = core::SettingsRoot;
  using Key = std::pair<Root, std::string>;
  bool machineWritable = true;
  std::set<Key> unopenable;
  std::map<Key, std::vector<core::SettingValue>> keys;

  bool openKey(Root root, std::string_view path) override {
    if (!allowed(root) || unopenable.count({root, std::string(path)}) != 0) return false;
    keys[{root, std::string(path)}];
    return true;
  }
  bool deleteKey(Root root, std::string_view path) override {
    return allowed(root) && keys.erase({root, std::string(path)}) != 0;
  }
  std::vector<core::SettingValue> values(Root root, std::string_view path) override {
    const auto it = keys.find({root, std::string(path)});
    return it == keys.end() ? std::vector<core::SettingValue>{} : it->second;
  }
  bool writeValue(Root root, std::string_view path, std::string_view name, std::string_view text) override {
    const auto key = keys.find({root, std::string(path)});  // only an opened (so existing) key takes values
    if (!allowed(root) || key == keys.end()) return false;
    auto& values = key->second;
    auto it = std::find_if(values.begin(), values.end(), [&](const auto& v) { return v.name == name; });
    if (it == values.end()) it = values.insert(it, {std::string(name), {}});
    it->text = std::string(text);
    return true;
  }

 private:
  bool allowed(Root root) const { return root == Root::User || machineWritable; }
};

}  // namespace vexilo::test
