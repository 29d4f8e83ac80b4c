// The kinds of Windows Metafile records: one table drives the names, the
// function numbers and what each record does to the object table.
#pragma once

#include <cstdint>
#include <string>

// GDI's headers define these record names as macros (with the same numbers),
// which would break the table below.
#ifdef META_SETBKCOLOR
#error "include the engine's headers before <windows.h>"
#endif

namespace wmf {

// What an object-creating record puts into the object table.
enum class ObjectKind : uint8_t { None, Pen, Brush, Font, Palette, Region };

// X(name, function number, object created, mask of parameters that are
// object-table indices: bit i set means parameter i is a slot index)
#define WMF_RECORD_KINDS(X)                                 \
  X(META_EOF, 0x0000, None, 0)                              \
  X(META_REALIZEPALETTE, 0x0035, None, 0)                   \
  X(META_SETPALENTRIES, 0x0037, None, 0)                    \
  X(META_SAVEDC, 0x001E, None, 0)                           \
  X(META_CREATEPALETTE, 0x00F7, Palette, 0)                 \
  X(META_SETBKMODE, 0x0102, None, 0)                        \
  X(META_SETMAPMODE, 0x0103, None, 0)                       \
  X(META_SETROP2, 0x0104, None, 0)                          \
  X(META_SETRELABS, 0x0105, None, 0)                        \
  X(META_SETPOLYFILLMODE, 0x0106, None, 0)                  \
  X(META_SETSTRETCHBLTMODE, 0x0107, None, 0)                \
  X(META_SETTEXTCHAREXTRA, 0x0108, None, 0)                 \
  X(META_RESTOREDC, 0x0127, None, 0)                        \
  X(META_INVERTREGION, 0x012A, None, 0x1)                   \
  X(META_PAINTREGION, 0x012B, None, 0x1)                    \
  X(META_SELECTCLIPREGION, 0x012C, None, 0x1)               \
  X(META_SELECTOBJECT, 0x012D, None, 0x1)                   \
  X(META_SETTEXTALIGN, 0x012E, None, 0)                     \
  X(META_RESIZEPALETTE, 0x0139, None, 0)                    \
  X(META_DIBCREATEPATTERNBRUSH, 0x0142, Brush, 0)           \
  X(META_SETLAYOUT, 0x0149, None, 0)                        \
  X(META_DELETEOBJECT, 0x01F0, None, 0x1)                   \
  X(META_CREATEPATTERNBRUSH, 0x01F9, Brush, 0)              \
  X(META_SETBKCOLOR, 0x0201, None, 0)                       \
  X(META_SETTEXTCOLOR, 0x0209, None, 0)                     \
  X(META_SETTEXTJUSTIFICATION, 0x020A, None, 0)             \
  X(META_SETWINDOWORG, 0x020B, None, 0)                     \
  X(META_SETWINDOWEXT, 0x020C, None, 0)                     \
  X(META_SETVIEWPORTORG, 0x020D, None, 0)                   \
  X(META_SETVIEWPORTEXT, 0x020E, None, 0)                   \
  X(META_OFFSETWINDOWORG, 0x020F, None, 0)                  \
  X(META_OFFSETVIEWPORTORG, 0x0211, None, 0)                \
  X(META_LINETO, 0x0213, None, 0)                           \
  X(META_MOVETO, 0x0214, None, 0)                           \
  X(META_OFFSETCLIPRGN, 0x0220, None, 0)                    \
  X(META_FILLREGION, 0x0228, None, 0x3)                     \
  X(META_SETMAPPERFLAGS, 0x0231, None, 0)                   \
  X(META_SELECTPALETTE, 0x0234, None, 0x1)                  \
  X(META_CREATEPENINDIRECT, 0x02FA, Pen, 0)                 \
  X(META_CREATEFONTINDIRECT, 0x02FB, Font, 0)               \
  X(META_CREATEBRUSHINDIRECT, 0x02FC, Brush, 0)             \
  X(META_POLYGON, 0x0324, None, 0)                          \
  X(META_POLYLINE, 0x0325, None, 0)                         \
  X(META_SCALEWINDOWEXT, 0x0410, None, 0)                   \
  X(META_SCALEVIEWPORTEXT, 0x0412, None, 0)                 \
  X(META_EXCLUDECLIPRECT, 0x0415, None, 0)                  \
  X(META_INTERSECTCLIPRECT, 0x0416, None, 0)                \
  X(META_ELLIPSE, 0x0418, None, 0)                          \
  X(META_FLOODFILL, 0x0419, None, 0)                        \
  X(META_RECTANGLE, 0x041B, None, 0)                        \
  X(META_SETPIXEL, 0x041F, None, 0)                         \
  X(META_FRAMEREGION, 0x0429, None, 0x3)                    \
  X(META_ANIMATEPALETTE, 0x0436, None, 0)                   \
  X(META_TEXTOUT, 0x0521, None, 0)                          \
  X(META_POLYPOLYGON, 0x0538, None, 0)                      \
  X(META_EXTFLOODFILL, 0x0548, None, 0)                     \
  X(META_ROUNDRECT, 0x061C, None, 0)                        \
  X(META_PATBLT, 0x061D, None, 0)                           \
  X(META_ESCAPE, 0x0626, None, 0)                           \
  X(META_CREATEREGION, 0x06FF, Region, 0)                   \
  X(META_ARC, 0x0817, None, 0)                              \
  X(META_PIE, 0x081A, None, 0)                              \
  X(META_CHORD, 0x0830, None, 0)                            \
  X(META_BITBLT, 0x0922, None, 0)                           \
  X(META_DIBBITBLT, 0x0940, None, 0)                        \
  X(META_EXTTEXTOUT, 0x0A32, None, 0)                       \
  X(META_STRETCHBLT, 0x0B23, None, 0)                       \
  X(META_DIBSTRETCHBLT, 0x0B41, None, 0)                    \
  X(META_SETDIBTODEV, 0x0D33, None, 0)                      \
  X(META_STRETCHDIB, 0x0F43, None, 0)

enum RecordFunction : uint16_t {
#define WMF_ENUM_ROW(name, number, creates, slots) name = number,
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
