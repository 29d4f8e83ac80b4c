// The kinds of Windows Metafile records: one table drives the names, the
// function numbers and what each record does to the object table.
#pragma once

#include <cstdint>
#include <string>

namespace wmf {

// What an object-creating record puts into the object table.
enum class ObjectKind : uint8_t { None, Pen, Brush, Font, Palette, Region };

// Where a record's coordinates stand, in the order of its parameters (which
// for most records lists y before x); record_views.h reads them.
enum class Shape : uint8_t {
  None,         // no coordinates
  Point,        // MoveTo, LineTo: Y, X
  Points,       // Polygon, Polyline: N, then N points as x, y
  PolyPolygon,  // N, N point counts, then all the points as x, y
  Box,          // Rectangle, Ellipse, clip rectangles: Bottom, Right, Top, Left
  RoundBox,     // RoundRect: the corner's Height and Width, then the box
  ArcBox,       // Arc, Pie, Chord: yEnd, xEnd, yStart, xStart, then the box
  ColorPoint,   // SetPixel, FloodFill: a colour (two words), Y, X
  ExtFloodPoint,  // ExtFloodFill: the mode, a colour, Y, X
  TextOut,      // StringLength, the string, Y, X
  ExtTextOut,   // Y, X, StringLength, options, maybe a rectangle, the string, maybe advances
  Blit,         // a box of pixels, with or without a bitmap
  Region,       // CreateRegion: its header, bounding box and scans
  RegionFrame,  // FrameRegion: the region, the brush, then the frame's Height and Width
  Offset,       // OffsetClipRgn: a distance Y, X
  Pair,         // window and viewport origins, extents and offsets: Y, X
  Scale,        // ScaleWindowExt, ScaleViewportExt: yDenom, yNum, xDenom, xNum
};

// X(name, record name, function number, object created, mask of parameters
// that are object-table indices: bit i set means parameter i is a slot
// index, the shape of its coordinates). The constants are named Meta<name>,
// apart from the macros of GDI's own headers, which spell the record names
// META_<NAME>.
#define WMF_RECORD_KINDS(X)                                                       \
  X(Eof, "META_EOF", 0x0000, None, 0, None)                                       \
  X(RealizePalette, "META_REALIZEPALETTE", 0x0035, None, 0, None)                 \
  X(SetPalEntries, "META_SETPALENTRIES", 0x0037, None, 0, None)                   \
  X(SaveDC, "META_SAVEDC", 0x001E, None, 0, None)                                 \
  X(CreatePalette, "META_CREATEPALETTE", 0x00F7, Palette, 0, None)                \
  X(SetBkMode, "META_SETBKMODE", 0x0102, None, 0, None)                           \
  X(SetMapMode, "META_SETMAPMODE", 0x0103, None, 0, None)                         \
  X(SetRop2, "META_SETROP2", 0x0104, None, 0, None)                               \
  X(SetRelAbs, "META_SETRELABS", 0x0105, None, 0, None)                           \
  X(SetPolyFillMode, "META_SETPOLYFILLMODE", 0x0106, None, 0, None)               \
  X(SetStretchBltMode, "META_SETSTRETCHBLTMODE", 0x0107, None, 0, None)           \
  X(SetTextCharExtra, "META_SETTEXTCHAREXTRA", 0x0108, None, 0, None)             \
  X(RestoreDC, "META_RESTOREDC", 0x0127, None, 0, None)                           \
  X(InvertRegion, "META_INVERTREGION", 0x012A, None, 0x1, None)                   \
  X(PaintRegion, "META_PAINTREGION", 0x012B, None, 0x1, None)                     \
  X(SelectClipRegion, "META_SELECTCLIPREGION", 0x012C, None, 0x1, None)           \
  X(SelectObject, "META_SELECTOBJECT", 0x012D, None, 0x1, None)                   \
  X(SetTextAlign, "META_SETTEXTALIGN", 0x012E, None, 0, None)                     \
  X(ResizePalette, "META_RESIZEPALETTE", 0x0139, None, 0, None)                   \
  X(DibCreatePatternBrush, "META_DIBCREATEPATTERNBRUSH", 0x0142, Brush, 0, None)  \
  X(SetLayout, "META_SETLAYOUT", 0x0149, None, 0, None)                           \
  X(DeleteObject, "META_DELETEOBJECT", 0x01F0, None, 0x1, None)                   \
  X(CreatePatternBrush, "META_CREATEPATTERNBRUSH", 0x01F9, Brush, 0, None)        \
  X(SetBkColor, "META_SETBKCOLOR", 0x0201, None, 0, None)                         \
  X(SetTextColor, "META_SETTEXTCOLOR", 0x0209, None, 0, None)                     \
  X(SetTextJustification, "META_SETTEXTJUSTIFICATION", 0x020A, None, 0, None)     \
  X(SetWindowOrg, "META_SETWINDOWORG", 0x020B, None, 0, Pair)                     \
  X(SetWindowExt, "META_SETWINDOWEXT", 0x020C, None, 0, Pair)                     \
  X(SetViewportOrg, "META_SETVIEWPORTORG", 0x020D, None, 0, Pair)                 \
  X(SetViewportExt, "META_SETVIEWPORTEXT", 0x020E, None, 0, Pair)                 \
  X(OffsetWindowOrg, "META_OFFSETWINDOWORG", 0x020F, None, 0, Pair)               \
  X(OffsetViewportOrg, "META_OFFSETVIEWPORTORG", 0x0211, None, 0, Pair)           \
  X(LineTo, "META_LINETO", 0x0213, None, 0, Point)                                \
  X(MoveTo, "META_MOVETO", 0x0214, None, 0, Point)                                \
  X(OffsetClipRgn, "META_OFFSETCLIPRGN", 0x0220, None, 0, Offset)                 \
  X(FillRegion, "META_FILLREGION", 0x0228, None, 0x3, None)                       \
  X(SetMapperFlags, "META_SETMAPPERFLAGS", 0x0231, None, 0, None)                 \
  X(SelectPalette, "META_SELECTPALETTE", 0x0234, None, 0x1, None)                 \
  X(CreatePenIndirect, "META_CREATEPENINDIRECT", 0x02FA, Pen, 0, None)            \
  X(CreateFontIndirect, "META_CREATEFONTINDIRECT", 0x02FB, Font, 0, None)         \
  X(CreateBrushIndirect, "META_CREATEBRUSHINDIRECT", 0x02FC, Brush, 0, None)      \
  X(Polygon, "META_POLYGON", 0x0324, None, 0, Points)                             \
  X(Polyline, "META_POLYLINE", 0x0325, None, 0, Points)                           \
  X(ScaleWindowExt, "META_SCALEWINDOWEXT", 0x0410, None, 0, Scale)                \
  X(ScaleViewportExt, "META_SCALEVIEWPORTEXT", 0x0412, None, 0, Scale)            \
  X(ExcludeClipRect, "META_EXCLUDECLIPRECT", 0x0415, None, 0, Box)                \
  X(IntersectClipRect, "META_INTERSECTCLIPRECT", 0x0416, None, 0, Box)            \
  X(Ellipse, "META_ELLIPSE", 0x0418, None, 0, Box)                                \
  X(FloodFill, "META_FLOODFILL", 0x0419, None, 0, ColorPoint)                     \
  X(Rectangle, "META_RECTANGLE", 0x041B, None, 0, Box)                            \
  X(SetPixel, "META_SETPIXEL", 0x041F, None, 0, ColorPoint)                       \
  X(FrameRegion, "META_FRAMEREGION", 0x0429, None, 0x3, RegionFrame)              \
  X(AnimatePalette, "META_ANIMATEPALETTE", 0x0436, None, 0, None)                 \
  X(TextOut, "META_TEXTOUT", 0x0521, None, 0, TextOut)                            \
  X(PolyPolygon, "META_POLYPOLYGON", 0x0538, None, 0, PolyPolygon)                \
  X(ExtFloodFill, "META_EXTFLOODFILL", 0x0548, None, 0, ExtFloodPoint)            \
  X(RoundRect, "META_ROUNDRECT", 0x061C, None, 0, RoundBox)                       \
  X(PatBlt, "META_PATBLT", 0x061D, None, 0, Blit)                                 \
  X(Escape, "META_ESCAPE", 0x0626, None, 0, None)                                 \
  X(CreateRegion, "META_CREATEREGION", 0x06FF, Region, 0, Region)                 \
  X(Arc, "META_ARC", 0x0817, None, 0, ArcBox)                                     \
  X(Pie, "META_PIE", 0x081A, None, 0, ArcBox)                                     \
  X(Chord, "META_CHORD", 0x0830, None, 0, ArcBox)                                 \
  X(BitBlt, "META_BITBLT", 0x0922, None, 0, Blit)                                 \
  X(DibBitBlt, "META_DIBBITBLT", 0x0940, None, 0, Blit)                           \
  X(ExtTextOut, "META_EXTTEXTOUT", 0x0A32, None, 0, ExtTextOut)                   \
  X(StretchBlt, "META_STRETCHBLT", 0x0B23, None, 0, Blit)                         \
  X(DibStretchBlt, "META_DIBSTRETCHBLT", 0x0B41, None, 0, Blit)                   \
  X(SetDibToDev, "META_SETDIBTODEV", 0x0D33, None, 0, Blit)                       \
  X(StretchDib, "META_STRETCHDIB", 0x0F43, None, 0, Blit)                        

enum RecordFunction : uint16_t {
#define WMF_ENUM_ROW(name, text, number, creates, slots, shape) Meta##name = number,
  WMF_RECORD_KINDS(WMF_ENUM_ROW)
#undef WMF_ENUM_ROW
};

struct RecordKind {
  uint16_t function;
  const char* name;
  ObjectKind creates;
  uint8_t slotParams;  // bit i: parameter i is an object-table index
  Shape shape;
};

// The row of a function number, or nullptr for a function the table lacks.
const RecordKind* FindRecordKind(uint16_t function);

// "META_POLYGON", or "0x1234" for a function the table lacks.
std::string RecordName(uint16_t function);

inline Shape ShapeOf(uint16_t function) {
  const RecordKind* kind = FindRecordKind(function);
  return kind ? kind->shape : Shape::None;
}

inline ObjectKind CreatedObject(uint16_t function) {
  const RecordKind* kind = FindRecordKind(function);
  return kind ? kind->creates : ObjectKind::None;
}

}  // namespace wmf
