// Where the coordinates, texts, boxes of pixels, regions and objects of each
// kind of enhanced metafile record stand. Every view reads within the record
// it was made of.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "emf_file.h"
#include "text_measurer.h"

namespace wmf {

struct EmfPoint {
  int32_t x = 0, y = 0;
};

// Calls visit(EmfPoint) for the logical points that place what a record
// draws: the points of lines, curves and polygons (Bézier control points
// bound their curve), the corners of boxes (all four, for a box may be
// turned), an angle arc's box, a pixel, a box of pixels' corners, a gradient's
// vertices. False for records that place nothing this way (texts, regions,
// paths' strokes and fills, and every record that does not draw).
bool ForEachEmfPoint(const EmfRecordView& record, const std::function<void(EmfPoint)>& visit);

// The LOGFONTW of an EMR_EXTCREATEFONTINDIRECTW, its face name in 8-bit
// characters (those beyond Latin-1 as '?').
LogFont EmfFontOf(const EmfRecordView& record);

// An EMR_EXTTEXTOUTW or EMR_EXTTEXTOUTA: where the text stands and what it is.
struct EmfTextView {
  static constexpr size_t kReference = 28;  // EmrText's Reference point, in the record's body
  static constexpr size_t kOptions = 44, kRectangle = 48;

  EmfPoint reference;
  uint32_t options = 0;
  bool wide = true;            // UTF-16; else 8-bit characters
  std::u16string text;         // the characters (8-bit ones widened)
  std::optional<int64_t> advanceSum;  // the sum of the Dx array, when it is there
  int32_t rect[4] = {0, 0, 0, 0};          // Left, Top, Right, Bottom of the opaque or clipping rectangle

  static std::optional<EmfTextView> Of(const EmfRecordView& record);
};

// The region data of EMR_FILLRGN, EMR_FRAMERGN, EMR_INVERTRGN, EMR_PAINTRGN
// and EMR_EXTSELECTCLIPRGN: where the RGNDATA stands in the record's body.
struct EmfRegionView {
  size_t dataAt = 0;    // the RGNDATAHEADER
  size_t rectCount = 0;
  size_t rectsAt = 0;   // the first RECTL
  uint32_t clipMode = 0;  // EMR_EXTSELECTCLIPRGN's RegionMode

  static std::optional<EmfRegionView> Of(const EmfRecordView& record);
};

// The pen of an EMR_CREATEPEN or EMR_EXTCREATEPEN, the brush of an
// EMR_CREATEBRUSHINDIRECT: offsets in the record's body.
struct EmfObjectFields {
  static constexpr size_t kIndex = 0;
  // EMR_CREATEPEN: ihPen, then LOGPEN: PenStyle, Width (x, y), ColorRef.
  static constexpr size_t kPenStyle = 4, kPenWidth = 8, kPenColor = 16, kPenEnd = 20;
  // EMR_EXTCREATEPEN: ihPen, offBmi, cbBmi, offBits, cbBits, then LOGPENEX:
  // PenStyle, Width, BrushStyle, ColorRef, BrushHatch, the style entries.
  static constexpr size_t kExtPenStyle = 20, kExtPenWidth = 24, kExtPenColor = 32, kExtPenEnd = 44;
  // EMR_CREATEBRUSHINDIRECT: ihBrush, then LOGBRUSH: BrushStyle, Color, BrushHatch.
  static constexpr size_t kBrushStyle = 4, kBrushColor = 8, kBrushEnd = 16;
  // EMR_EXTCREATEFONTINDIRECTW: ihFont, then LOGFONTW: Height, Width,
  // Escapement, Orientation, ...
  static constexpr size_t kFontEscapement = 12, kFontOrientation = 16, kFontEnd = 20;
  // EMR_EXTTEXTOUTA/W and EMR_POLYTEXTOUTA/W: Bounds, then iGraphicsMode.
  static constexpr size_t kTextGraphicsMode = 16, kTextGraphicsModeEnd = 20;
};

// Where a record names an object by its index in the picture's object table
// (the object it creates, selects, deletes or uses): the offset of that field
// in the record's body; nothing for records that name none.
std::optional<size_t> EmfObjectIndexField(uint32_t type);

// Whether everything a record's own counts and offsets place after its fixed
// fields lies within the record: points (and their counts), characters and
// advances, a region's rectangles, a bitmap, a palette's entries, a pen's
// style entries. Players read that data as the record describes it, without
// checking, so a record that fails would have them read beyond it. True for
// records that carry no such data.
bool EmfRecordHoldsItsData(const EmfRecordView& record);

// The graphics modes a text record is drawn in.
inline constexpr uint32_t kGmCompatible = 1, kGmAdvanced = 2;

// Stock objects are named by index with the high bit set.
inline constexpr uint32_t kEmfStockObject = 0x80000000;

}  // namespace wmf
