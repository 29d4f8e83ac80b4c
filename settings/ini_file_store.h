// A settings store whose INI files are real files, read and written by the
// rules of the Windows private-profile functions (ini_file.h). The registry
// side is left to another store: off Windows there is no registry, and the
// programs keep it in memory.
#pragma once

#include <optional>

#include "ini_file.h"
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
  // A whole load reads the file once and a whole save writes it once.
  void BeginFileTransfer(const std::wstring& path) override;
  bool EndFileTransfer() override;

 private:
  // The file of the transfer in progress, read at its beginning.
  struct Transfer {
    std::wstring path;
    IniFileUpdate file;
    bool changed = false;
  };
  // The transfer's file when `path` names it.
  Transfer* TransferOf(const std::wstring& path);
  std::optional<std::wstring> Lookup(const std::wstring& section, const std::wstring& name,
                                     const std::wstring& path, size_t bufferChars);

  SettingsStore& registry_;
  UserMessages& messages_;
  std::optional<Transfer> transfer_;
};
