// A settings store whose INI files are real files, read and written by the
// rules of the Windows private-profile functions (ini_file.h). The registry
// side is left to another store: off Windows there is no registry, and the
// programs keep it in memory.
#pragma once

#include "settings_store.h"
#include "user_messages.h"

class IniFileStore : public SettingsStore {
 public:
  IniFileStore(SettingsStore& registry, UserMessages& messages) : registry_(registry), messages_(messages) {}

  void SetRegistryRoot(const std::wstring& root) override { registry_.SetRegistryRoot(root); }
  std::wstring ReadString(const std::wstring& section, const std::wstring& name, const std::wstring& path,
                          const std::wstring& defaultText) override;
  int ReadInt(const std::wstring& section, const std::wstring& name, const std::wstring& path,
              int defaultValue) override;
  // A file that cannot be written is reported with "Unable to write %s:\n%s".
  bool WriteString(const std::wstring& section, const std::wstring& name, const std::wstring& path,
                   const std::wstring& text) override;
  bool WriteInt(const std::wstring& section, const std::wstring& name, const std::wstring& path,
                int value) override;

 private:
  SettingsStore& registry_;
  UserMessages& messages_;
};
