// Move-only owners of Windows handles: each releases its handle exactly
// once, when it goes out of scope, unless the handle was given away.
#pragma once

#include <windows.h>

#include <utility>

// A handle released by `Free`; a null handle is not released.
template <class Handle, auto Free>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) : handle_(handle) {}
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { Reset(); }

  Handle Get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  void Reset(Handle handle = nullptr) {
    if (handle_) Free(handle_);
    handle_ = handle;
  }
  // Gives the handle away; the owner no longer releases it.
  Handle Release() { return std::exchange(handle_, nullptr); }
  // For the functions that return a handle through a pointer.
  Handle* Out() {
    Reset();
    return &handle_;
  }

 private:
  Handle handle_ = nullptr;
};

inline void CloseKernelHandle(HANDLE handle) { CloseHandle(handle); }
inline void CloseRegistryKey(HKEY key) { RegCloseKey(key); }
inline void FreeGlobalMemory(HGLOBAL block) { GlobalFree(block); }

using KernelHandle = UniqueHandle<HANDLE, CloseKernelHandle>;
// CreateFileW reports failure with INVALID_HANDLE_VALUE, not null: an owner
// of a file handle is empty then.
inline KernelHandle FileHandle(HANDLE file) { return KernelHandle(file == INVALID_HANDLE_VALUE ? nullptr : file); }
using RegistryKey = UniqueHandle<HKEY, CloseRegistryKey>;
// A block of global memory, as the clipboard takes it.
using GlobalMemory = UniqueHandle<HGLOBAL, FreeGlobalMemory>;

// A block of global memory locked for as long as the object lives, seen as
// a `T` (a clipboard record); empty when the handle is null or the block
// cannot be locked.
template <class T>
class LockedGlobal {
 public:
  explicit LockedGlobal(HGLOBAL block) : block_(block), data_(block ? static_cast<T*>(GlobalLock(block)) : nullptr) {}
  LockedGlobal(const LockedGlobal&) = delete;
  LockedGlobal& operator=(const LockedGlobal&) = delete;
  ~LockedGlobal() {
    if (data_) GlobalUnlock(block_);
  }

  T* Get() const { return data_; }
  T* operator->() const { return data_; }
  explicit operator bool() const { return data_ != nullptr; }

 private:
  HGLOBAL block_;
  T* data_;
};
