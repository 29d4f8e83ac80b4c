// Move-only owners of the Windows objects the shell creates: each releases
// its object exactly once, when it goes out of scope.
#pragma once

#include <windows.h>

#include <utility>

#include "win/gdi_owners.h"
#include "win/unique_handle.h"

inline void DestroyMenuHandle(HMENU menu) { DestroyMenu(menu); }

using FontHandle = wmf::win::FontOwner;
using BrushHandle = wmf::win::GdiObjectOwner<HBRUSH>;
using BitmapHandle = wmf::win::GdiObjectOwner<HBITMAP>;
using MenuHandle = UniqueHandle<HMENU, DestroyMenuHandle>;
using SelectedObject = wmf::win::SelectionRestorer;

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
