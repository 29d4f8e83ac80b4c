#include "memory_store.h"

#include <cwctype>

namespace {

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

}  // namespace

// Registry and INI names are compared without regard to case.
std::wstring MemorySettingsStore::RegistryKey(const std::wstring& section, const std::wstring& name) const {
  return Lower(root_ + L"\\" + section) + L'\n' + Lower(name);
}

std::wstring MemorySettingsStore::FileKey(const std::wstring& path, const std::wstring& section,
                                          const std::wstring& name) {
  return path + L'\n' + Lower(section) + L'\n' + Lower(name);
}

std::wstring MemorySettingsStore::ReadString(const std::wstring& section, const std::wstring& name,
                                             const std::wstring& path, const std::wstring& defaultText) {
  if (path.empty()) {
    auto it = registry_.find(RegistryKey(section, name));
    if (it == registry_.end() || it->second.isDword || it->second.text.size() >= 1024) return defaultText;
    return it->second.text;
  }
  auto it = files_.find(FileKey(path, section, name));
  if (it == files_.end() || it->second.empty()) return defaultText;
  return it->second.substr(0, 1023);
}

int MemorySettingsStore::ReadInt(const std::wstring& section, const std::wstring& name,
                                 const std::wstring& path, int defaultValue) {
  if (path.empty()) {
    auto it = registry_.find(RegistryKey(section, name));
    if (it == registry_.end() || !it->second.isDword) return defaultValue;
    return static_cast<int>(it->second.dword);
  }
  auto it = files_.find(FileKey(path, section, name));
  if (it == files_.end() || it->second.empty()) return defaultValue;
  return ParseProfileInt(it->second);
}

bool MemorySettingsStore::WriteString(const std::wstring& section, const std::wstring& name,
                                      const std::wstring& path, const std::wstring& text) {
  if (failing_.count(path)) return false;
  writeLog_.push_back(section + L"|" + name);
  if (path.empty()) registry_[RegistryKey(section, name)] = RegistryValue{false, 0, text};
  else files_[FileKey(path, section, name)] = text;
  return true;
}

bool MemorySettingsStore::WriteInt(const std::wstring& section, const std::wstring& name,
                                   const std::wstring& path, int value) {
  if (failing_.count(path)) return false;
  if (!path.empty()) return WriteString(section, name, path, std::to_wstring(value));
  writeLog_.push_back(section + L"|" + name);
  registry_[RegistryKey(section, name)] = RegistryValue{true, static_cast<uint32_t>(value), L""};
  return true;
}

void MemorySettingsStore::PutRegistry(const std::wstring& section, const std::wstring& name,
                                      RegistryValue value) {
  registry_[RegistryKey(section, name)] = std::move(value);
}

std::optional<MemorySettingsStore::RegistryValue> MemorySettingsStore::GetRegistry(
    const std::wstring& section, const std::wstring& name) const {
  auto it = registry_.find(RegistryKey(section, name));
  if (it == registry_.end()) return std::nullopt;
  return it->second;
}
