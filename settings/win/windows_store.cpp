#include "win/windows_store.h"

#include <cwchar>

#include "win/unique_handle.h"

namespace {

// Strings are read into 1024 characters, the terminating zero included.
constexpr DWORD kStringChars = 1024;

}  // namespace

std::wstring WindowsSettingsStore::ReadString(const std::wstring& section, const std::wstring& name,
                                              const std::wstring& path, const std::wstring& defaultText) {
  if (!path.empty()) return files_.ReadString(section, name, path, defaultText);
  wchar_t buffer[kStringChars];
  // Only a REG_SZ counts (not REG_EXPAND_SZ); RegGetValueW ends the text
  // with a zero, and a text too long for the buffer gives ERROR_MORE_DATA.
  DWORD size = sizeof buffer;
  if (RegGetValueW(base_, KeyPath(section).c_str(), name.c_str(), RRF_RT_REG_SZ | RRF_NOEXPAND, nullptr, buffer,
                   &size) != ERROR_SUCCESS)
    return defaultText;
  return std::wstring(buffer, wcsnlen(buffer, kStringChars - 1));
}

int WindowsSettingsStore::ReadInt(const std::wstring& section, const std::wstring& name, const std::wstring& path,
                                  int defaultValue) {
  if (!path.empty()) return files_.ReadInt(section, name, path, defaultValue);
  DWORD value = 0;
  DWORD size = sizeof value;
  if (RegGetValueW(base_, KeyPath(section).c_str(), name.c_str(), RRF_RT_REG_DWORD, nullptr, &value, &size) !=
          ERROR_SUCCESS ||
      size != sizeof value)
    return defaultValue;
  return static_cast<int>(value);
}

bool WindowsSettingsStore::WriteString(const std::wstring& section, const std::wstring& name,
                                       const std::wstring& path, const std::wstring& text) {
  if (!path.empty()) return files_.WriteString(section, name, path, text);
  RegistryKey key;
  if (RegCreateKeyW(base_, KeyPath(section).c_str(), key.Out()) != ERROR_SUCCESS) return false;
  return RegSetValueExW(key.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool WindowsSettingsStore::WriteInt(const std::wstring& section, const std::wstring& name, const std::wstring& path,
                                    int value) {
  if (!path.empty()) return files_.WriteInt(section, name, path, value);
  RegistryKey key;
  if (RegCreateKeyW(base_, KeyPath(section).c_str(), key.Out()) != ERROR_SUCCESS) return false;
  const DWORD data = static_cast<DWORD>(value);
  return RegSetValueExW(key.Get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data) ==
         ERROR_SUCCESS;
}
