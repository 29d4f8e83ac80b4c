// Move-only owners of the GDI objects the program creates, a window's device
// context, and the scoped selection of an object into a device context.
#pragma once

#include <windows.h>

#include "win/unique_handle.h"

namespace wmf::win {

inline void DeleteDeviceContext(HDC dc) { DeleteDC(dc); }
inline void DeleteGdiObject(HGDIOBJ object) { DeleteObject(object); }
inline void DeleteMetafileHandle(HMETAFILE metafile) { DeleteMetaFile(metafile); }
inline void DeleteEnhMetafileHandle(HENHMETAFILE metafile) { DeleteEnhMetaFile(metafile); }

// A device context made by CreateDCW or CreateCompatibleDC.
using DcOwner = UniqueHandle<HDC, DeleteDeviceContext>;

// A font, pen, brush, bitmap or other object released by DeleteObject. It
// must not be selected into a device context when the owner goes.
template <class Object>
using GdiObjectOwner = UniqueHandle<Object, DeleteGdiObject>;
using FontOwner = GdiObjectOwner<HFONT>;

// A Windows metafile made by SetMetaFileBitsEx or CloseMetaFile, and an
// enhanced metafile made from bits or by a recording.
using MetafileOwner = UniqueHandle<HMETAFILE, DeleteMetafileHandle>;
using EnhMetafileOwner = UniqueHandle<HENHMETAFILE, DeleteEnhMetafileHandle>;

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

// Selects an object into a device context for a scope and puts the object
// it replaced back when it goes, so that the selected one can be deleted.
class SelectionRestorer {
 public:
  SelectionRestorer(HDC dc, HGDIOBJ object) : dc_(dc), original_(SelectObject(dc, object)) {}
  SelectionRestorer(const SelectionRestorer&) = delete;
  SelectionRestorer& operator=(const SelectionRestorer&) = delete;
  ~SelectionRestorer() {
    if (original_) SelectObject(dc_, original_);
  }

  // Selects another object of the same kind; the original still comes back.
  void Select(HGDIOBJ object) { SelectObject(dc_, object); }

 private:
  HDC dc_;
  HGDIOBJ original_;
};

}  // namespace wmf::win
