// Owner of an open registry key: closes it when it goes.
#pragma once

#include <windows.h>

#include <utility>

class RegistryKey {
 public:
  RegistryKey() = default;
  explicit RegistryKey(HKEY key) : key_(key) {}
  ~RegistryKey() {
    if (key_) RegCloseKey(key_);
  }
  RegistryKey(RegistryKey&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}
  RegistryKey& operator=(RegistryKey&& other) noexcept {
    std::swap(key_, other.key_);
    return *this;
  }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  HKEY get() const { return key_; }
  // For the functions that open a key into an HKEY*; the key must be empty.
  HKEY* out() { return &key_; }

 private:
  HKEY key_ = nullptr;
};
