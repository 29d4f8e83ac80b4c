#include "win/windows_store.h"

#include <cwchar>

#include "win/unique_handle.h"
#include "win/system_error_text.h"

namespace {

// Strings are read into 1024 characters, the terminating zero included.
constexpr DWORD kStringChars = 1024;

}  // namespace

std::wstring WindowsSettingsStore::ReadString(const std::wstring& section, const std::wstring& name,
                                              const std::wstring& path, const std::wstring& defaultText) {
  wchar_t buffer[kStringChars];
  if (!path.empty()) {
    const DWORD copied = GetPrivateProfileStringW(section.c_str(), name.c_str(), defaultText.c_str(), buffer,
                                                  kStringChars, path.c_str());
    return copied ? std::wstring(buffer, copied) : defaultText;
  }
  RegistryKey key;
  if (RegOpenKeyW(base_, KeyPath(section).c_str(), key.Out()) != ERROR_SUCCESS) return defaultText;
  DWORD type = 0;
  DWORD size = sizeof buffer;
  if (RegQueryValueExW(key.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
          ERROR_SUCCESS ||
      type != REG_SZ)
    return defaultText;
  // The stored text need not end with a zero; one that fills the buffer is
  // too long.
  const size_t length = wcsnlen(buffer, size / sizeof(wchar_t));
  return length < kStringChars ? std::wstring(buffer, length) : defaultText;
}

int WindowsSettingsStore::ReadInt(const std::wstring& section, const std::wstring& name, const std::wstring& path,
                                  int defaultValue) {
  if (!path.empty())
    return static_cast<int>(GetPrivateProfileIntW(section.c_str(), name.c_str(), defaultValue, path.c_str()));
  RegistryKey key;
  if (RegOpenKeyW(base_, KeyPath(section).c_str(), key.Out()) != ERROR_SUCCESS) return defaultValue;
  DWORD type = 0;
  DWORD value = 0;
  DWORD size = sizeof value;
  if (RegQueryValueExW(key.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD)
    return defaultValue;
  return static_cast<int>(value);
}

bool WindowsSettingsStore::WriteString(const std::wstring& section, const std::wstring& name,
                                       const std::wstring& path, const std::wstring& text) {
  if (!path.empty()) return WriteProfileValue(section, name, path, text);
  RegistryKey key;
  if (RegCreateKeyW(base_, KeyPath(section).c_str(), key.Out()) != ERROR_SUCCESS) return false;
  return RegSetValueExW(key.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool WindowsSettingsStore::WriteInt(const std::wstring& section, const std::wstring& name, const std::wstring& path,
                                    int value) {
  if (!path.empty()) return WriteProfileValue(section, name, path, std::to_wstring(value));
  RegistryKey key;
  if (RegCreateKeyW(base_, KeyPath(section).c_str(), key.Out()) != ERROR_SUCCESS) return false;
  const DWORD data = static_cast<DWORD>(value);
  return RegSetValueExW(key.Get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data) ==
         ERROR_SUCCESS;
}

bool WindowsSettingsStore::WriteProfileValue(const std::wstring& section, const std::wstring& name,
                                             const std::wstring& path, const std::wstring& text) {
  // Windows refuses to write a read-only file; Wine run by a privileged user
  // would write it, so the attribute is tested here.
  const DWORD attributes = GetFileAttributesW(path.c_str());
  const bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
                        !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  if (!readOnly && WritePrivateProfileStringW(section.c_str(), name.c_str(), text.c_str(), path.c_str()))
    return true;
  const DWORD error = readOnly ? ERROR_ACCESS_DENIED : GetLastError();
  messages_.ErrorBox(UnableToWriteMessage(path, SystemErrorText(error)));
  return false;
}
