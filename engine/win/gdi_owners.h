// Move-only owners of the GDI objects the engine's Windows parts create.
#pragma once

#include <windows.h>

#include <utility>

namespace wmf::win {

// A device context made by CreateDCW or CreateCompatibleDC, deleted once.
class DcOwner {
 public:
  DcOwner() = default;
  explicit DcOwner(HDC dc) : dc_(dc) {}
  DcOwner(DcOwner&& other) noexcept : dc_(std::exchange(other.dc_, nullptr)) {}
  DcOwner& operator=(DcOwner&& other) noexcept {
    if (this != &other) {
      Release();
      dc_ = std::exchange(other.dc_, nullptr);
    }
    return *this;
  }
  DcOwner(const DcOwner&) = delete;
  DcOwner& operator=(const DcOwner&) = delete;
  ~DcOwner() { Release(); }

  HDC Get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  void Release() {
    if (dc_) DeleteDC(dc_);
  }
  HDC dc_ = nullptr;
};

// A font, pen, brush or other object released by DeleteObject. It must not be
// selected into a device context when the owner goes.
template <class Object>
class GdiObjectOwner {
 public:
  GdiObjectOwner() = default;
  explicit GdiObjectOwner(Object object) : object_(object) {}
  GdiObjectOwner(GdiObjectOwner&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  GdiObjectOwner& operator=(GdiObjectOwner&& other) noexcept {
    if (this != &other) {
      Release();
      object_ = std::exchange(other.object_, nullptr);
    }
    return *this;
  }
  GdiObjectOwner(const GdiObjectOwner&) = delete;
  GdiObjectOwner& operator=(const GdiObjectOwner&) = delete;
  ~GdiObjectOwner() { Release(); }

  Object Get() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }

 private:
  void Release() {
    if (object_) DeleteObject(object_);
  }
  Object object_ = nullptr;
};

using FontOwner = GdiObjectOwner<HFONT>;

// Selects objects into a device context and puts its original object of that
// kind back when it goes, so that the selected ones can be deleted.
class SelectionRestorer {
 public:
  SelectionRestorer(HDC dc, HGDIOBJ object) : dc_(dc), original_(SelectObject(dc, object)) {}
  SelectionRestorer(const SelectionRestorer&) = delete;
  SelectionRestorer& operator=(const SelectionRestorer&) = delete;
  ~SelectionRestorer() {
    if (original_) SelectObject(dc_, original_);
  }

  void Select(HGDIOBJ object) { SelectObject(dc_, object); }

 private:
  HDC dc_;
  HGDIOBJ original_;
};

}  // namespace wmf::win
