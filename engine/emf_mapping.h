// How an enhanced metafile maps its logical coordinates onto its reference
// device: the world transform, then the mapping mode with its window and
// viewport (the page transform), followed record by record as GDI follows
// them, saved and restored with the device context.
#pragma once

#include <optional>
#include <vector>

#include "emf_file.h"

namespace wmf {

// An affine transform as GDI's XFORM holds it: x' = m11 x + m21 y + dx,
// y' = m12 x + m22 y + dy.
struct Affine {
  double m11 = 1, m12 = 0, m21 = 0, m22 = 1, dx = 0, dy = 0;

  struct Point {
    double x = 0, y = 0;
  };
  Point Apply(double x, double y) const { return Point{m11 * x + m21 * y + dx, m12 * x + m22 * y + dy}; }
  // `first` applied, then `second`.
  static Affine Then(const Affine& first, const Affine& second);
  // The transform that undoes this one; none when it collapses the plane.
  std::optional<Affine> Inverse() const;
  // How much it stretches a length, on average over the two axes.
  double Scale() const;
  bool operator==(const Affine&) const = default;
};

// Whether a transform can stand in an XFORM (single floats) and be undone:
// GDI refuses to set one that collapses the plane.
bool UsableTransform(const Affine& t);

// One axis of a mapping without turns: device = logical × scale + offset.
struct EmfAxisMapping {
  double scale = 1;
  double offset = 0;
};

struct EmfMapping {
  EmfAxisMapping x, y;
};

// States saved by EMR_SAVEDC and brought back by EMR_RESTOREDC, as GDI
// keeps them: level -k restores the state saved k saves ago, a positive
// level the state saved at that depth; others change nothing.
template <class State>
class SavedStates {
 public:
  void Save(const State& state) { saved_.push_back(state); }
  bool Restore(int32_t level, State& state) {
    const int64_t keep = level < 0 ? static_cast<int64_t>(saved_.size()) + level : int64_t{level} - 1;
    if (level == 0 || keep < 0 || keep >= static_cast<int64_t>(saved_.size())) return false;
    state = saved_[static_cast<size_t>(keep)];
    saved_.resize(static_cast<size_t>(keep));
    return true;
  }

 private:
  std::vector<State> saved_;
};

class EmfMappingModel {
 public:
  // The reference device's size comes from the header.
  explicit EmfMappingModel(const EmfHeader& header);

  // Follows one record; true when it was one that maps (the mapping mode,
  // window, viewport, world transform, or saving and restoring them). The
  // text alignment is followed too, as it tells where a text stands, but its
  // record is not one that maps.
  bool Follow(const EmfRecordView& record);

  const Affine& World() const { return state_.world; }
  uint32_t TextAlign() const { return state_.textAlign; }
  Affine Page() const;
  // Logical units to the reference device's pixels: World, then Page.
  Affine Device() const { return Affine::Then(World(), Page()); }

 private:
  struct State {
    uint32_t mapMode = 1;
    double windowOrgX = 0, windowOrgY = 0, windowExtX = 1, windowExtY = 1;
    double viewportOrgX = 0, viewportOrgY = 0, viewportExtX = 1, viewportExtY = 1;
    Affine world;
    uint32_t textAlign = 0;
  };

  bool ScalesExtents() const;
  void SetMapMode(uint32_t mode);
  void KeepIsotropic();

  State state_;
  SavedStates<State> saved_;
  EmfHeader::Scale himetricPerPixel_;
};

// The mapping in force when the picture first draws (at its end when it draws
// nothing). None when a world transform turns or shears the picture there,
// which an axis-by-axis mapping cannot hold, or when the mapping collapses.
std::optional<EmfMapping> InitialEmfMapping(const EmfPicture& picture);

}  // namespace wmf
