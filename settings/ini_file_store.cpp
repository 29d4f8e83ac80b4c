#include "ini_file_store.h"

#include "ini_file.h"

std::wstring IniFileStore::ReadString(const std::wstring& section, const std::wstring& name,
                                      const std::wstring& path, const std::wstring& defaultText) {
  if (path.empty()) return registry_.ReadString(section, name, path, defaultText);
  const std::optional<std::wstring> value = ReadIniFile(path).Value(section, name, kIniStringBuffer);
  return value && !value->empty() ? *value : defaultText;
}

int IniFileStore::ReadInt(const std::wstring& section, const std::wstring& name, const std::wstring& path,
                          int defaultValue) {
  if (path.empty()) return registry_.ReadInt(section, name, path, defaultValue);
  const std::optional<std::wstring> value = ReadIniFile(path).Value(section, name, kIniIntBuffer);
  return value && !value->empty() ? ParseProfileInt(*value) : defaultValue;
}

bool IniFileStore::WriteString(const std::wstring& section, const std::wstring& name, const std::wstring& path,
                               const std::wstring& text) {
  if (path.empty()) return registry_.WriteString(section, name, path, text);
  if (const std::optional<std::wstring> reason = WriteIniValue(path, section, name, text)) {
    messages_.ErrorBox(UnableToWriteMessage(path, *reason));
    return false;
  }
  return true;
}

bool IniFileStore::WriteInt(const std::wstring& section, const std::wstring& name, const std::wstring& path,
                            int value) {
  if (path.empty()) return registry_.WriteInt(section, name, path, value);
  return WriteString(section, name, path, std::to_wstring(value));
}
