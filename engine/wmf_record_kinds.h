// The kinds of Windows Metafile records: one table drives the names, the
// function numbers and what each record does to the object table.
#pragma once

#include <cstdint>
#include <string>

namespace wmf {

// What an object-creating record puts into the object table.
enum class ObjectKind : uint8_t { None, Pen, Brush, Font, Palette, Region };

// X(name, record name, function number, object created, mask of parameters
// that are object-table indices: bit i set means parameter i is a slot
// index). The constants are named Meta<name>, apart from the macros of
// GDI's own headers, which spell the record names META_<NAME>.
#define WMF_RECORD_KINDS(X)                                 \
  X(Eof, "META_EOF", 0x0000, None, 0)                              \
  X(RealizePalette, "META_REALIZEPALETTE", 0x0035, None, 0)                   \
  X(SetPalEntries, "META_SETPALENTRIES", 0x0037, None, 0)                    \
  X(SaveDC, "META_SAVEDC", 0x001E, None, 0)                           \
  X(CreatePalette, "META_CREATEPALETTE", 0x00F7, Palette, 0)                 \
  X(SetBkMode, "META_SETBKMODE", 0x0102, None, 0)                        \
  X(SetMapMode, "META_SETMAPMODE", 0x0103, None, 0)                       \
  X(SetRop2, "META_SETROP2", 0x0104, None, 0)                          \
  X(SetRelAbs, "META_SETRELABS", 0x0105, None, 0)                        \
  X(SetPolyFillMode, "META_SETPOLYFILLMODE", 0x0106, None, 0)                  \
  X(SetStretchBltMode, "META_SETSTRETCHBLTMODE", 0x0107, None, 0)                \
  X(SetTextCharExtra, "META_SETTEXTCHAREXTRA", 0x0108, None, 0)                 \
  X(RestoreDC, "META_RESTOREDC", 0x0127, None, 0)                        \
  X(InvertRegion, "META_INVERTREGION", 0x012A, None, 0x1)                   \
  X(PaintRegion, "META_PAINTREGION", 0x012B, None, 0x1)                    \
  X(SelectClipRegion, "META_SELECTCLIPREGION", 0x012C, None, 0x1)               \
  X(SelectObject, "META_SELECTOBJECT", 0x012D, None, 0x1)                   \
  X(SetTextAlign, "META_SETTEXTALIGN", 0x012E, None, 0)                     \
  X(ResizePalette, "META_RESIZEPALETTE", 0x0139, None, 0)                    \
  X(DibCreatePatternBrush, "META_DIBCREATEPATTERNBRUSH", 0x0142, Brush, 0)           \
  X(SetLayout, "META_SETLAYOUT", 0x0149, None, 0)                        \
  X(DeleteObject, "META_DELETEOBJECT", 0x01F0, None, 0x1)                   \
  X(CreatePatternBrush, "META_CREATEPATTERNBRUSH", 0x01F9, Brush, 0)              \
  X(SetBkColor, "META_SETBKCOLOR", 0x0201, None, 0)                       \
  X(SetTextColor, "META_SETTEXTCOLOR", 0x0209, None, 0)                     \
  X(SetTextJustification, "META_SETTEXTJUSTIFICATION", 0x020A, None, 0)             \
  X(SetWindowOrg, "META_SETWINDOWORG", 0x020B, None, 0)                     \
  X(SetWindowExt, "META_SETWINDOWEXT", 0x020C, None, 0)                     \
  X(SetViewportOrg, "META_SETVIEWPORTORG", 0x020D, None, 0)                   \
  X(SetViewportExt, "META_SETVIEWPORTEXT", 0x020E, None, 0)                   \
  X(OffsetWindowOrg, "META_OFFSETWINDOWORG", 0x020F, None, 0)                  \
  X(OffsetViewportOrg, "META_OFFSETVIEWPORTORG", 0x0211, None, 0)                \
  X(LineTo, "META_LINETO", 0x0213, None, 0)                           \
  X(MoveTo, "META_MOVETO", 0x0214, None, 0)                           \
  X(OffsetClipRgn, "META_OFFSETCLIPRGN", 0x0220, None, 0)                    \
  X(FillRegion, "META_FILLREGION", 0x0228, None, 0x3)                     \
  X(SetMapperFlags, "META_SETMAPPERFLAGS", 0x0231, None, 0)                   \
  X(SelectPalette, "META_SELECTPALETTE", 0x0234, None, 0x1)                  \
  X(CreatePenIndirect, "META_CREATEPENINDIRECT", 0x02FA, Pen, 0)                 \
  X(CreateFontIndirect, "META_CREATEFONTINDIRECT", 0x02FB, Font, 0)               \
  X(CreateBrushIndirect, "META_CREATEBRUSHINDIRECT", 0x02FC, Brush, 0)             \
  X(Polygon, "META_POLYGON", 0x0324, None, 0)                          \
  X(Polyline, "META_POLYLINE", 0x0325, None, 0)                         \
  X(ScaleWindowExt, "META_SCALEWINDOWEXT", 0x0410, None, 0)                   \
  X(ScaleViewportExt, "META_SCALEVIEWPORTEXT", 0x0412, None, 0)                 \
  X(ExcludeClipRect, "META_EXCLUDECLIPRECT", 0x0415, None, 0)                  \
  X(IntersectClipRect, "META_INTERSECTCLIPRECT", 0x0416, None, 0)                \
  X(Ellipse, "META_ELLIPSE", 0x0418, None, 0)                          \
  X(FloodFill, "META_FLOODFILL", 0x0419, None, 0)                        \
  X(Rectangle, "META_RECTANGLE", 0x041B, None, 0)                        \
  X(SetPixel, "META_SETPIXEL", 0x041F, None, 0)                         \
  X(FrameRegion, "META_FRAMEREGION", 0x0429, None, 0x3)                    \
  X(AnimatePalette, "META_ANIMATEPALETTE", 0x0436, None, 0)                   \
  X(TextOut, "META_TEXTOUT", 0x0521, None, 0)                          \
  X(PolyPolygon, "META_POLYPOLYGON", 0x0538, None, 0)                      \
  X(ExtFloodFill, "META_EXTFLOODFILL", 0x0548, None, 0)                     \
  X(RoundRect, "META_ROUNDRECT", 0x061C, None, 0)                        \
  X(PatBlt, "META_PATBLT", 0x061D, None, 0)                           \
  X(Escape, "META_ESCAPE", 0x0626, None, 0)                           \
  X(CreateRegion, "META_CREATEREGION", 0x06FF, Region, 0)                   \
  X(Arc, "META_ARC", 0x0817, None, 0)                              \
  X(Pie, "META_PIE", 0x081A, None, 0)                              \
  X(Chord, "META_CHORD", 0x0830, None, 0)                            \
  X(BitBlt, "META_BITBLT", 0x0922, None, 0)                           \
  X(DibBitBlt, "META_DIBBITBLT", 0x0940, None, 0)                        \
  X(ExtTextOut, "META_EXTTEXTOUT", 0x0A32, None, 0)                       \
  X(StretchBlt, "META_STRETCHBLT", 0x0B23, None, 0)                       \
  X(DibStretchBlt, "META_DIBSTRETCHBLT", 0x0B41, None, 0)                    \
  X(SetDibToDev, "META_SETDIBTODEV", 0x0D33, None, 0)                      \
  X(StretchDib, "META_STRETCHDIB", 0x0F43, None, 0)

enum RecordFunction : uint16_t {
#define WMF_ENUM_ROW(name, text, number, creates, slots) Meta##name = number,
  WMF_RECORD_KINDS(WMF_ENUM_ROW)
#undef WMF_ENUM_ROW
};

struct RecordKind {
  uint16_t function;
  const char* name;
  ObjectKind creates;
  uint8_t slotParams;  // bit i: parameter i is an object-table index
};

// The row of a function number, or nullptr for a function the table lacks.
const RecordKind* FindRecordKind(uint16_t function);

// "META_POLYGON", or "0x1234" for a function the table lacks.
std::string RecordName(uint16_t function);

inline ObjectKind CreatedObject(uint16_t function) {
  const RecordKind* kind = FindRecordKind(function);
  return kind ? kind->creates : ObjectKind::None;
}

}  // namespace wmf
