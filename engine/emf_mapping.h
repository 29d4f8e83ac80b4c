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

// One axis of a mapping without turns: device = logical × scale + offset.
struct EmfAxisMapping {
  double scale = 1;
  double offset = 0;
};

struct EmfMapping {
  EmfAxisMapping x, y;
};

class EmfMappingModel {
 public:
  // The reference device's size comes from the header.
  explicit EmfMappingModel(const EmfHeader& header);

  // Follows one record; true when it was one that maps (the mapping mode,
  // window, viewport, world transform, or saving and restoring them).
  bool Follow(const EmfRecordView& record);

  const Affine& World() const { return state_.world; }
  Affine Page() const;
  // Logical units to the reference device's pixels: World, then Page.
  Affine Device() const { return Affine::Then(World(), Page()); }

 private:
  struct State {
    uint32_t mapMode = 1;
    double windowOrgX = 0, windowOrgY = 0, windowExtX = 1, windowExtY = 1;
    double viewportOrgX = 0, viewportOrgY = 0, viewportExtX = 1, viewportExtY = 1;
    Affine world;
  };

  bool ScalesExtents() const;
  void SetMapMode(uint32_t mode);
  void KeepIsotropic();

  State state_;
  std::vector<State> saved_;
  double pixelsX_, pixelsY_, millimetersX_, millimetersY_;
};

// The mapping in force when the picture first draws (at its end when it draws
// nothing). None when a world transform turns or shears the picture there,
// which an axis-by-axis mapping cannot hold, or when the mapping collapses.
std::optional<EmfMapping> InitialEmfMapping(const EmfPicture& picture);

}  // namespace wmf
