// The settings store of the Windows program: values in the registry under
// <base>\<root>\<section>, read through RegGetValueW; INI files by the rules
// of the system's private-profile functions (ini_file.h), read once per load
// and written once per save, through a temporary file, so that a full disk
// or a locked file never leaves half a file behind.
#pragma once

#include <windows.h>

#include "ini_file_store.h"
#include "settings_store.h"
#include "user_messages.h"

class WindowsSettingsStore : public SettingsStore {
 public:
  // The base key is HKEY_CURRENT_USER; tests give one of their own.
  explicit WindowsSettingsStore(UserMessages& messages, HKEY base = HKEY_CURRENT_USER)
      : base_(base), files_(*this, messages) {}

  void SetRegistryRoot(const std::wstring& root) override { root_ = root; }
  // Registry: a REG_SZ of at most 1023 characters, else the default. File: at
  // most 1023 characters; an empty value gives the default.
  std::wstring ReadString(const std::wstring& section, const std::wstring& name, const std::wstring& path,
                          const std::wstring& defaultText) override;
  // Registry: a REG_DWORD, else the default (a number stored as text too).
  int ReadInt(const std::wstring& section, const std::wstring& name, const std::wstring& path,
              int defaultValue) override;
  // Registry writes fail silently; a file that cannot be written is reported
  // with "Unable to write %s:\n%s" and the system's error text.
  bool WriteString(const std::wstring& section, const std::wstring& name, const std::wstring& path,
                   const std::wstring& text) override;
  bool WriteInt(const std::wstring& section, const std::wstring& name, const std::wstring& path,
                int value) override;
  void BeginFileTransfer(const std::wstring& path) override { files_.BeginFileTransfer(path); }
  bool EndFileTransfer() override { return files_.EndFileTransfer(); }

 private:
  std::wstring KeyPath(const std::wstring& section) const { return root_ + L"\\" + section; }

  HKEY base_;
  std::wstring root_;
  IniFileStore files_;  // its registry side is this store
};
