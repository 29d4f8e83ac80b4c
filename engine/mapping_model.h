// The mapping of a picture as GDI keeps it while the records play: window
// and viewport origin and extent, changed by their records and saved and
// restored with the device context. Every coordinate is taken through it
// into one picture space before it is measured or moved.
//
// Picture space is the device space of the picture's reference window (the
// window in force when the picture first draws), measured in that window's
// own units and turned the right way up: the reference window covers
// (0, 0)-(|extent x|, |extent y|) whatever the signs of its extents and
// wherever its origin. For a picture drawn the way CAD programs draw
// (window origin (0, 0), positive extents, no viewport records) picture
// space is the picture's logical space itself.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "wmf_file.h"

namespace wmf {

struct Point64 {
  int64_t x = 0, y = 0;
  bool operator==(const Point64&) const = default;
};

// One device context's mapping.
struct Mapping {
  int32_t mapMode = 8;  // MM_ANISOTROPIC, as a program plays a picture
  int32_t windowOrgX = 0, windowOrgY = 0;
  int32_t windowExtX = 1, windowExtY = 1;
  int32_t viewportOrgX = 0, viewportOrgY = 0;
  int32_t viewportExtX = 1, viewportExtY = 1;
  bool windowExtSet = false;  // by the picture or by the player's frame
  bool operator==(const Mapping&) const = default;
};

// Whether a record draws (ink or a fill), as opposed to setting state.
bool IsDrawingRecord(uint16_t function);

class MappingModel {
 public:
  // Starts a pass: the player's mapping before the first record, and the
  // reference mapping that defines picture space. With `fixed` the mapping
  // stays `initial` whatever the records say. `units`, when given, are the
  // picture units across the reference window (a window shown stretched);
  // by default its own extents.
  void Begin(const Mapping& initial, const Mapping& reference, bool fixed = false, Point64 units = {});
  // The same for a picture's frame.
  void Begin(const struct PictureFrame& frame);

  // Follows one record: window and viewport records, mapping mode, saving
  // and restoring. Returns true when the record was one of those.
  bool Apply(RecordView record);

  const Mapping& Current() const { return current_; }

  // A logical point in picture space. Points and distances are held within
  // ±2^61, however extreme the mapping.
  Point64 ToPicture(int32_t x, int32_t y) const {
    // Most pictures only move their origin: the common case stays inline.
    if (translationOnly_)
      return Point64{static_cast<int64_t>(x) - current_.windowOrgX, static_cast<int64_t>(y) - current_.windowOrgY};
    return ScaledToPicture(x, y);
  }
  // A logical distance (no origin) in picture space, signs kept.
  Point64 DistanceToPicture(int64_t dx, int64_t dy) const;
  // Picture units per logical unit on each axis; negative where the
  // picture's mapping mirrors that axis against picture space.
  double ScaleX() const;
  double ScaleY() const;

  // The reference mapping of a picture: the mapping in force at its first
  // drawing record (or at its end when nothing is drawn), starting from
  // `initial`; with `firstWindow`, at its first window extent if that comes
  // earlier (the window CAD programs set once, before they draw).
  static Mapping FindReference(const RecordList& records, const Mapping& initial, bool firstWindow);

  // The size of the reference window in picture units (its extents without
  // their signs); (0, 0) when no window extent was ever set.
  static Point64 FrameSize(const Mapping& reference);

 private:
  int64_t Axis(int64_t logical, int32_t windowOrg, int32_t windowExt, int32_t viewportOrg, int32_t viewportExt,
               int32_t refViewportOrg, int32_t refViewportExt, int64_t units) const;

  bool Follow(RecordView record);
  void NoteChange();
  Point64 ScaledToPicture(int32_t x, int32_t y) const;

  Mapping current_;
  Mapping reference_;
  bool fixed_ = false;
  bool translationOnly_ = false;  // picture space is logical space moved by the window origin
  int64_t unitsX_ = 1, unitsY_ = 1;  // picture units across the reference viewport
  std::vector<Mapping> saved_;
};

// Where a picture's drawing lies: its mapping before the first record, the
// reference mapping of picture space, and its frame in picture space.
struct PictureFrame {
  Mapping initial;
  Mapping reference;
  bool frameKnown = false;  // false: the frame is found from the drawing
  Point64 size;             // the frame (0, 0)-(size) when known
  // Drawn the way CAD programs draw, with the CAD program's background
  // rectangle: the background rule applies.
  bool cad = false;
  // The picture's window records place its frame on a device, not its
  // drawing: the mapping stays `initial` (the system's conversion of an
  // enhanced metafile, whose drawing keeps the enhanced metafile's own
  // coordinates).
  bool fixedMapping = false;
  // Picture units across the reference window when they differ from its
  // extents: a window that programs show stretched to other proportions (a
  // placeable box, or the clipboard's size for MM_ANISOTROPIC) keeps those
  // proportions in picture space. (0, 0): its extents.
  Point64 units;
};

// A box in picture space, min and max inclusive.
struct Box64 {
  int64_t minX = INT64_MAX, minY = INT64_MAX, maxX = INT64_MIN, maxY = INT64_MIN;
  bool Empty() const { return minX > maxX || minY > maxY; }
  void Add(Point64 p) {
    minX = std::min(minX, p.x);
    minY = std::min(minY, p.y);
    maxX = std::max(maxX, p.x);
    maxY = std::max(maxY, p.y);
  }
};

}  // namespace wmf
