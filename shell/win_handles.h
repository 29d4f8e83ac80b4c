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
using WindowDC = wmf::win::WindowDC;

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
