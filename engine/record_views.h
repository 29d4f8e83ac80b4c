// Where the coordinates, texts, boxes of pixels and regions of each kind of
// record stand. A view is made once per record from the record kinds table
// and checked against the record's length when it is made; the passes read
// and change a record only through its view, never by a bare index.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "record_access.h"
#include "text_box.h"

namespace wmf {

// Where one coordinate pair stands: the parameter indices of its x and y.
struct PointAt {
  size_t x = 0, y = 0;
};

// The layout of a MetaExtTextOut: where its string and advances stand.
struct ExtTextLayout {
  size_t count = 0;         // StringLength
  uint16_t options = 0;     // fwOpts
  bool hasRect = false;     // ETO_OPAQUE or ETO_CLIPPED
  size_t stringWord = 0;    // parameter index of the string's first word
  bool hasDx = false;       // a full Dx array follows the string
  size_t dxWord = 0;

  static constexpr PointAt kPlace{1, 0};
  static constexpr PointAt kRectMin{4, 5}, kRectMax{6, 7};  // Left, Top, Right, Bottom
};


// False when the record is too short for its header, rectangle or string.
bool ReadExtTextLayout(RecordView record, ExtTextLayout& layout);

// The string of a MetaExtTextOut whose layout was read.
std::string_view ExtTextString(RecordView record, const ExtTextLayout& layout, std::string& buffer);

// The destination box of a record that paints a box of pixels: MetaPatBlt,
// the blits with or without a bitmap, MetaStretchDib, MetaSetDibToDev.
// The box stands as DestHeight, DestWidth, YDest, XDest from `box`.
struct BlitView {
  static constexpr size_t kRasterOperation = 0;  // two words, in the records that have one
  static constexpr size_t kStretchDibColorUsage = 2;  // MetaStretchDib's ColorUsage

  size_t box = 0;     // parameter index of DestHeight
  size_t bitmap = 0;  // parameter index of the bitmap; 0 for none
  size_t source = 0;  // parameter index of SrcHeight (SrcWidth, YSrc, XSrc follow); 0 for none
  size_t sourceOrigin = 0;  // parameter index of YSrc (XSrc follows); 0 for none
  int32_t x = 0, y = 0, width = 0, height = 0;

  static std::optional<BlitView> Of(RecordView record);
  PointAt Corner() const { return PointAt{box + 3, box + 2}; }
  PointAt Size() const { return PointAt{box + 1, box}; }  // DestWidth, DestHeight
  // The box taken from the bitmap, in the records that have one.
  PointAt SourceSize() const { return PointAt{source + 1, source}; }               // SrcWidth, SrcHeight
  PointAt SourceOrigin() const { return PointAt{sourceOrigin + 1, sourceOrigin}; }  // XSrc, YSrc
};

// A MetaTextOut: StringLength, the string, YStart, XStart.
struct TextOutView {
  size_t count = 0;
  size_t yParam = 0;  // XStart follows
  int32_t x = 0, y = 0;

  static std::optional<TextOutView> Of(RecordView record);
  std::string_view String(RecordView record, std::string& buffer) const;
  PointAt Place() const { return PointAt{yParam + 1, yParam}; }
};

// The coordinates of a record of any shape but a region's.
class GeometryView {
 public:
  // None for records without coordinates, and for records too short for
  // the ones their shape has (a poly record short of its points has those
  // it holds; `Complete` tells).
  static std::optional<GeometryView> Of(RecordView record);

  Shape shape() const { return shape_; }

  // Every pair that places what the record draws or sets, in the record's
  // order: a poly record's points; a box's left-top and right-bottom
  // corners (an arc's end and start before them); where a text stands,
  // then its rectangle's corners; a box of pixels' corner; a window's or
  // viewport's pair; the distance of an offset.
  template <typename Visit>
  void ForEachPoint(Visit&& visit) const {
    for (uint8_t i = 0; i < fixedCount_; ++i) visit(fixed_[i]);
    for (size_t i = 0; i < runCount_; ++i) visit(PointAt{runStart_ + 2 * i, runStart_ + 2 * i + 1});
  }

  // The box of a Box, RoundBox or ArcBox record: its left-top and
  // right-bottom corners.
  bool HasBox() const { return shape_ == Shape::Box || shape_ == Shape::RoundBox || shape_ == Shape::ArcBox; }
  PointAt BoxMin() const { return fixed_[fixedCount_ - 2]; }
  PointAt BoxMax() const { return fixed_[fixedCount_ - 1]; }
  // The first pair: a Point's, a ColorPoint's, a Pair's, an Offset's, a text's place.
  PointAt First() const { return fixed_[0]; }

  // A size without a place (width, height): a RoundRect's corner, a
  // FrameRegion's brush.
  std::optional<PointAt> Size() const { return size_; }

  // The run of points of a poly record: where it starts, how many are there
  // and whether the record holds every point it counts.
  size_t RunStart() const { return runStart_; }
  size_t RunCount() const { return runCount_; }
  PointAt RunPoint(size_t i) const { return PointAt{runStart_ + 2 * i, runStart_ + 2 * i + 1}; }
  bool Complete() const { return complete_; }
  // A PolyPolygon's polygons: their count and where their point counts stand.
  size_t Polygons() const { return polygons_; }

  const std::optional<ExtTextLayout>& ExtText() const { return extText_; }
  const std::optional<BlitView>& Blit() const { return blit_; }

 private:
  void Add(PointAt p) { fixed_[fixedCount_++] = p; }

  Shape shape_ = Shape::None;
  std::array<PointAt, 4> fixed_{};
  uint8_t fixedCount_ = 0;
  size_t runStart_ = 0, runCount_ = 0, polygons_ = 0;
  bool complete_ = true;
  std::optional<PointAt> size_;
  std::optional<ExtTextLayout> extText_;
  std::optional<BlitView> blit_;
};

// One rectangle of a region's scans: left, top, right, bottom.
struct RegionRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// A MetaCreateRegion: nextInChain, ObjectType, ObjectCount (two words),
// RegionSize, ScanCount, MaxScan, the bounding box (four words), then the
// scans, each its count of x values, Top, Bottom, the left and right of each
// of its rectangles, and its count again.
struct RegionView {
  static constexpr size_t kRegionSize = 4;  // RegionSize, ScanCount, MaxScan and the bounding box follow
  static constexpr size_t kScanCount = 5;
  static constexpr size_t kFirstScan = 11;

  // Calls visit(RegionRect) for each rectangle of each whole scan; a scan
  // that reaches past the record ends the walk.
  template <typename Visit>
  static void ForEachRect(RecordView r, Visit&& visit) {
    if (!Has(r, kFirstScan)) return;
    const size_t scans = r.params[kScanCount];
    size_t at = kFirstScan;
    for (size_t s = 0; s < scans; ++s) {
      if (!Has(r, at + 3)) return;
      const size_t pairs = r.params[at] / 2;
      if (!Has(r, at + 3 + 2 * pairs + 1)) return;
      const int32_t top = Signed(r, at + 1), bottom = Signed(r, at + 2);
      for (size_t i = 0; i < pairs; ++i)
        visit(RegionRect{Signed(r, at + 3 + 2 * i), top, Signed(r, at + 4 + 2 * i), bottom});
      at += 3 + 2 * pairs + 1;
    }
  }
};

// A MetaCreatePenIndirect: Style, Width (x, then y), Color (two words).
struct PenFields {
  static constexpr size_t kStyle = 0, kWidth = 1, kColor = 3, kWords = 5;
};
// A MetaCreateBrushIndirect: Style, Color (two words), Hatch.
struct BrushFields {
  static constexpr size_t kStyle = 0, kColor = 1, kWords = 3;
};

// A MetaScaleWindowExt or MetaScaleViewportExt: yDenom, yNum, xDenom, xNum.
struct ScaleFields {
  static constexpr size_t kYDenom = 0, kYNum = 1, kXDenom = 2, kXNum = 3;
};

// A MetaCreateFontIndirect: Height, Width, Escapement, Orientation, then the
// rest of the LOGFONT.
struct FontFields {
  static constexpr size_t kHeight = 0, kWidth = 1, kEscapement = 2, kOrientation = 3, kAngles = 4;
};

// A MetaSetDibToDev: ColorUsage, ScanCount, StartScan, YDib, XDib, then its
// box and bitmap as BlitView says.
struct DibToDevFields {
  static constexpr size_t kColorUsage = 0, kScanCount = 1, kStartScan = 2, kYSource = 3, kXSource = 4;
};

// Where the colour of a pen, brush, MetaSetBkColor, MetaSetTextColor or
// MetaSetPixel record stands.
inline size_t ColorParam(uint16_t function) {
  switch (function) {
    case MetaCreatePenIndirect: return PenFields::kColor;
    case MetaCreateBrushIndirect: return BrushFields::kColor;
    default: return 0;
  }
}

// The first word of a record: the object-table slot of MetaSelectObject,
// MetaDeleteObject and the region records, the alignment of
// MetaSetTextAlign, the level of MetaRestoreDC; none when the record is empty.
inline std::optional<uint16_t> FirstWord(RecordView r) {
  if (r.params.empty()) return std::nullopt;
  return r.params[0];
}

// The signed coordinates of a pair.
inline int32_t X(RecordView r, PointAt p) { return Signed(r, p.x); }
inline int32_t Y(RecordView r, PointAt p) { return Signed(r, p.y); }

}  // namespace wmf
