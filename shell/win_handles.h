// Move-only owners of the Windows objects the shell creates: each releases
// its object exactly once, when it goes out of scope.
#pragma once

#include <windows.h>

#include <utility>

// A handle released by `Release`; a null handle is not released.
template <class Handle, auto Release>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) : handle_(handle) {}
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.handle_, nullptr));
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { Reset(); }

  Handle Get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  void Reset(Handle handle = nullptr) {
    if (handle_) Release(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_ = nullptr;
};

inline void DeleteGdiObject(HGDIOBJ object) { DeleteObject(object); }
inline void DestroyMenuHandle(HMENU menu) { DestroyMenu(menu); }
inline void CloseKernelHandle(HANDLE handle) { CloseHandle(handle); }

using FontHandle = UniqueHandle<HFONT, DeleteGdiObject>;
using BrushHandle = UniqueHandle<HBRUSH, DeleteGdiObject>;
using BitmapHandle = UniqueHandle<HBITMAP, DeleteGdiObject>;
using MenuHandle = UniqueHandle<HMENU, DestroyMenuHandle>;
using KernelHandle = UniqueHandle<HANDLE, CloseKernelHandle>;

// The device context of a window (or of the screen for a null window),
// released to that window.
class WindowDC {
 public:
  explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  ~WindowDC() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// A memory device context compatible with another one.
class MemoryDC {
 public:
  explicit MemoryDC(HDC compatibleWith) : dc_(CreateCompatibleDC(compatibleWith)) {}
  MemoryDC(const MemoryDC&) = delete;
  MemoryDC& operator=(const MemoryDC&) = delete;
  ~MemoryDC() {
    if (dc_) DeleteDC(dc_);
  }
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

// Keeps an object selected into a device context for a scope and puts the
// previous one back.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;
  ~SelectedObject() {
    if (previous_) SelectObject(dc_, previous_);
  }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

class CriticalSection {
 public:
  CriticalSection() { InitializeCriticalSection(&section_); }
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;
  ~CriticalSection() { DeleteCriticalSection(&section_); }

  void Enter() { EnterCriticalSection(&section_); }
  void Leave() { LeaveCriticalSection(&section_); }

 private:
  CRITICAL_SECTION section_;
};

class CriticalSectionLock {
 public:
  explicit CriticalSectionLock(CriticalSection& section) : section_(section) { section_.Enter(); }
  CriticalSectionLock(const CriticalSectionLock&) = delete;
  CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;
  ~CriticalSectionLock() { section_.Leave(); }

 private:
  CriticalSection& section_;
};
