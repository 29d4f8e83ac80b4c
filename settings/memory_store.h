// A settings store that keeps the registry side in memory, with the value
// kinds of the registry (REG_DWORD, REG_SZ), and INI files as texts in memory.
// Serves the tests and, for the registry side, the programs that run off
// Windows.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <vector>
#include <string>

#include "settings_store.h"

class MemorySettingsStore : public SettingsStore {
 public:
  struct RegistryValue {
    bool isDword = false;
    uint32_t dword = 0;
    std::wstring text;
  };

  void SetRegistryRoot(const std::wstring& root) override { root_ = root; }
  std::wstring ReadString(const std::wstring& section, const std::wstring& name, const std::wstring& path,
                          const std::wstring& defaultText) override;
  int ReadInt(const std::wstring& section, const std::wstring& name, const std::wstring& path,
              int defaultValue) override;
  bool WriteString(const std::wstring& section, const std::wstring& name, const std::wstring& path,
                   const std::wstring& text) override;
  bool WriteInt(const std::wstring& section, const std::wstring& name, const std::wstring& path,
                int value) override;

  // Direct access to the registry side, for tests.
  void PutRegistry(const std::wstring& section, const std::wstring& name, RegistryValue value);
  std::optional<RegistryValue> GetRegistry(const std::wstring& section, const std::wstring& name) const;
  size_t RegistryValueCount() const { return registry_.size(); }
  // Ordered list of writes made, as "section|name", for tests of the order.
  const std::vector<std::wstring>& WriteLog() const { return writeLog_; }
  // Every write to this path fails.
  void FailWritesTo(const std::wstring& path) { failing_.insert(path); }

 private:
  std::wstring RegistryKey(const std::wstring& section, const std::wstring& name) const;
  static std::wstring FileKey(const std::wstring& path, const std::wstring& section, const std::wstring& name);

  std::wstring root_;
  std::map<std::wstring, RegistryValue> registry_;
  std::map<std::wstring, std::wstring> files_;
  std::set<std::wstring> failing_;
  std::vector<std::wstring> writeLog_;
};
