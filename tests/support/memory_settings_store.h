// A settings store in memory with the registry's behaviour that the settings logic relies on:
// keys are created when opened, values keep their insertion order and a rewrite keeps its place.
// A machine-wide root that is not writable refuses every open, write and delete, as the registry
// does for an ordinary user asking for write access.
#pragma once

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/settings.h"

namespace vexilo::test {

class MemorySettingsStore : public core::SettingsStore {
 public:
  using Root = core::SettingsRoot;
  using Key = std::pair<Root, std::string>;

  void setMachineWritable(bool writable) { machineWritable_ = writable; }
  void makeUnopenable(Root root, std::string path) { unopenable_.insert({root, std::move(path)}); }
  // Seeds a value, creating its key.
  void put(Root root, const std::string& path, std::string_view name, std::string_view text) {
    std::vector<core::SettingValue>& values = keys_[{root, path}];
    const auto it = std::find_if(values.begin(), values.end(),
                                 [&](const core::SettingValue& v) { return v.name == name; });
    if (it != values.end()) it->text = std::string(text);
    else values.push_back({std::string(name), std::string(text)});
  }
  std::vector<std::string> keys(Root root) const {
    std::vector<std::string> out;
    for (const auto& entry : keys_)
      if (entry.first.first == root) out.push_back(entry.first.second);
    return out;
  }
  std::vector<core::SettingValue> valuesOf(Root root, const std::string& path) const {
    const auto it = keys_.find({root, path});
    return it == keys_.end() ? std::vector<core::SettingValue>{} : it->second;
  }

  bool openKey(Root root, std::string_view path) override {
    if (!allowed(root) || unopenable_.count({root, std::string(path)}) != 0) return false;
    keys_[{root, std::string(path)}];
    return true;
  }
  bool deleteKey(Root root, std::string_view path) override {
    return allowed(root) && keys_.erase({root, std::string(path)}) != 0;
  }
  std::vector<core::SettingValue> values(Root root, std::string_view path) override {
    return valuesOf(root, std::string(path));
  }
  bool writeValue(Root root, std::string_view path, std::string_view name,
                  std::string_view text) override {
    // Only an opened (so existing) key takes values.
    if (!allowed(root) || keys_.count({root, std::string(path)}) == 0) return false;
    put(root, std::string(path), name, text);
    return true;
  }

 private:
  bool allowed(Root root) const { return root == Root::User || machineWritable_; }

  bool machineWritable_ = true;
  std::set<Key> unopenable_;
  std::map<Key, std::vector<core::SettingValue>> keys_;
};

}  // namespace vexilo::test
