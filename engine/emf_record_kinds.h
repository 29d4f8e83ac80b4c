// The kinds of enhanced metafile (EMF) records: one table drives the names,
// the type numbers, which records create objects and which draw.
#pragma once

#include <cstdint>
#include <string>

namespace wmf {

// What a record does, for the passes that need to know without reading it.
enum EmfKindFlags : uint8_t {
  kEmfPlain = 0,
  kEmfCreatesObject = 1,  // its first field is the index of the object it makes
  kEmfDraws = 2,          // ink or a fill
};

// X(name, record name, type number, flags). The constants are named Emr<name>.
#define EMF_RECORD_KINDS(X)                                            \
  X(Header, "EMR_HEADER", 1, kEmfPlain)                                \
  X(PolyBezier, "EMR_POLYBEZIER", 2, kEmfDraws)                        \
  X(Polygon, "EMR_POLYGON", 3, kEmfDraws)                              \
  X(Polyline, "EMR_POLYLINE", 4, kEmfDraws)                            \
  X(PolyBezierTo, "EMR_POLYBEZIERTO", 5, kEmfDraws)                    \
  X(PolylineTo, "EMR_POLYLINETO", 6, kEmfDraws)                        \
  X(PolyPolyline, "EMR_POLYPOLYLINE", 7, kEmfDraws)                    \
  X(PolyPolygon, "EMR_POLYPOLYGON", 8, kEmfDraws)                      \
  X(SetWindowExtEx, "EMR_SETWINDOWEXTEX", 9, kEmfPlain)                \
  X(SetWindowOrgEx, "EMR_SETWINDOWORGEX", 10, kEmfPlain)               \
  X(SetViewportExtEx, "EMR_SETVIEWPORTEXTEX", 11, kEmfPlain)           \
  X(SetViewportOrgEx, "EMR_SETVIEWPORTORGEX", 12, kEmfPlain)           \
  X(SetBrushOrgEx, "EMR_SETBRUSHORGEX", 13, kEmfPlain)                 \
  X(Eof, "EMR_EOF", 14, kEmfPlain)                                     \
  X(SetPixelV, "EMR_SETPIXELV", 15, kEmfDraws)                         \
  X(SetMapperFlags, "EMR_SETMAPPERFLAGS", 16, kEmfPlain)               \
  X(SetMapMode, "EMR_SETMAPMODE", 17, kEmfPlain)                       \
  X(SetBkMode, "EMR_SETBKMODE", 18, kEmfPlain)                         \
  X(SetPolyFillMode, "EMR_SETPOLYFILLMODE", 19, kEmfPlain)             \
  X(SetRop2, "EMR_SETROP2", 20, kEmfPlain)                             \
  X(SetStretchBltMode, "EMR_SETSTRETCHBLTMODE", 21, kEmfPlain)         \
  X(SetTextAlign, "EMR_SETTEXTALIGN", 22, kEmfPlain)                   \
  X(SetColorAdjustment, "EMR_SETCOLORADJUSTMENT", 23, kEmfPlain)       \
  X(SetTextColor, "EMR_SETTEXTCOLOR", 24, kEmfPlain)                   \
  X(SetBkColor, "EMR_SETBKCOLOR", 25, kEmfPlain)                       \
  X(OffsetClipRgn, "EMR_OFFSETCLIPRGN", 26, kEmfPlain)                 \
  X(MoveToEx, "EMR_MOVETOEX", 27, kEmfPlain)                           \
  X(SetMetaRgn, "EMR_SETMETARGN", 28, kEmfPlain)                       \
  X(ExcludeClipRect, "EMR_EXCLUDECLIPRECT", 29, kEmfPlain)             \
  X(IntersectClipRect, "EMR_INTERSECTCLIPRECT", 30, kEmfPlain)         \
  X(ScaleViewportExtEx, "EMR_SCALEVIEWPORTEXTEX", 31, kEmfPlain)       \
  X(ScaleWindowExtEx, "EMR_SCALEWINDOWEXTEX", 32, kEmfPlain)           \
  X(SaveDC, "EMR_SAVEDC", 33, kEmfPlain)                               \
  X(RestoreDC, "EMR_RESTOREDC", 34, kEmfPlain)                         \
  X(SetWorldTransform, "EMR_SETWORLDTRANSFORM", 35, kEmfPlain)         \
  X(ModifyWorldTransform, "EMR_MODIFYWORLDTRANSFORM", 36, kEmfPlain)   \
  X(SelectObject, "EMR_SELECTOBJECT", 37, kEmfPlain)                   \
  X(CreatePen, "EMR_CREATEPEN", 38, kEmfCreatesObject)                 \
  X(CreateBrushIndirect, "EMR_CREATEBRUSHINDIRECT", 39, kEmfCreatesObject) \
  X(DeleteObject, "EMR_DELETEOBJECT", 40, kEmfPlain)                   \
  X(AngleArc, "EMR_ANGLEARC", 41, kEmfDraws)                           \
  X(Ellipse, "EMR_ELLIPSE", 42, kEmfDraws)                             \
  X(Rectangle, "EMR_RECTANGLE", 43, kEmfDraws)                         \
  X(RoundRect, "EMR_ROUNDRECT", 44, kEmfDraws)                         \
  X(Arc, "EMR_ARC", 45, kEmfDraws)                                     \
  X(Chord, "EMR_CHORD", 46, kEmfDraws)                                 \
  X(Pie, "EMR_PIE", 47, kEmfDraws)                                     \
  X(SelectPalette, "EMR_SELECTPALETTE", 48, kEmfPlain)                 \
  X(CreatePalette, "EMR_CREATEPALETTE", 49, kEmfCreatesObject)         \
  X(SetPaletteEntries, "EMR_SETPALETTEENTRIES", 50, kEmfPlain)         \
  X(ResizePalette, "EMR_RESIZEPALETTE", 51, kEmfPlain)                 \
  X(RealizePalette, "EMR_REALIZEPALETTE", 52, kEmfPlain)               \
  X(ExtFloodFill, "EMR_EXTFLOODFILL", 53, kEmfDraws)                   \
  X(LineTo, "EMR_LINETO", 54, kEmfDraws)                               \
  X(ArcTo, "EMR_ARCTO", 55, kEmfDraws)                                 \
  X(PolyDraw, "EMR_POLYDRAW", 56, kEmfDraws)                           \
  X(SetArcDirection, "EMR_SETARCDIRECTION", 57, kEmfPlain)             \
  X(SetMiterLimit, "EMR_SETMITERLIMIT", 58, kEmfPlain)                 \
  X(BeginPath, "EMR_BEGINPATH", 59, kEmfPlain)                         \
  X(EndPath, "EMR_ENDPATH", 60, kEmfPlain)                             \
  X(CloseFigure, "EMR_CLOSEFIGURE", 61, kEmfPlain)                     \
  X(FillPath, "EMR_FILLPATH", 62, kEmfDraws)                           \
  X(StrokeAndFillPath, "EMR_STROKEANDFILLPATH", 63, kEmfDraws)         \
  X(StrokePath, "EMR_STROKEPATH", 64, kEmfDraws)                       \
  X(FlattenPath, "EMR_FLATTENPATH", 65, kEmfPlain)                     \
  X(WidenPath, "EMR_WIDENPATH", 66, kEmfPlain)                         \
  X(SelectClipPath, "EMR_SELECTCLIPPATH", 67, kEmfPlain)               \
  X(AbortPath, "EMR_ABORTPATH", 68, kEmfPlain)                         \
  X(Comment, "EMR_COMMENT", 70, kEmfPlain)                             \
  X(FillRgn, "EMR_FILLRGN", 71, kEmfDraws)                             \
  X(FrameRgn, "EMR_FRAMERGN", 72, kEmfDraws)                           \
  X(InvertRgn, "EMR_INVERTRGN", 73, kEmfDraws)                         \
  X(PaintRgn, "EMR_PAINTRGN", 74, kEmfDraws)                           \
  X(ExtSelectClipRgn, "EMR_EXTSELECTCLIPRGN", 75, kEmfPlain)           \
  X(BitBlt, "EMR_BITBLT", 76, kEmfDraws)                               \
  X(StretchBlt, "EMR_STRETCHBLT", 77, kEmfDraws)                       \
  X(MaskBlt, "EMR_MASKBLT", 78, kEmfDraws)                             \
  X(PlgBlt, "EMR_PLGBLT", 79, kEmfDraws)                               \
  X(SetDIBitsToDevice, "EMR_SETDIBITSTODEVICE", 80, kEmfDraws)         \
  X(StretchDIBits, "EMR_STRETCHDIBITS", 81, kEmfDraws)                 \
  X(ExtCreateFontIndirectW, "EMR_EXTCREATEFONTINDIRECTW", 82, kEmfCreatesObject) \
  X(ExtTextOutA, "EMR_EXTTEXTOUTA", 83, kEmfDraws)                     \
  X(ExtTextOutW, "EMR_EXTTEXTOUTW", 84, kEmfDraws)                     \
  X(PolyBezier16, "EMR_POLYBEZIER16", 85, kEmfDraws)                   \
  X(Polygon16, "EMR_POLYGON16", 86, kEmfDraws)                         \
  X(Polyline16, "EMR_POLYLINE16", 87, kEmfDraws)                       \
  X(PolyBezierTo16, "EMR_POLYBEZIERTO16", 88, kEmfDraws)               \
  X(PolylineTo16, "EMR_POLYLINETO16", 89, kEmfDraws)                   \
  X(PolyPolyline16, "EMR_POLYPOLYLINE16", 90, kEmfDraws)               \
  X(PolyPolygon16, "EMR_POLYPOLYGON16", 91, kEmfDraws)                 \
  X(PolyDraw16, "EMR_POLYDRAW16", 92, kEmfDraws)                       \
  X(CreateMonoBrush, "EMR_CREATEMONOBRUSH", 93, kEmfCreatesObject)     \
  X(CreateDibPatternBrushPt, "EMR_CREATEDIBPATTERNBRUSHPT", 94, kEmfCreatesObject) \
  X(ExtCreatePen, "EMR_EXTCREATEPEN", 95, kEmfCreatesObject)           \
  X(PolyTextOutA, "EMR_POLYTEXTOUTA", 96, kEmfDraws)                   \
  X(PolyTextOutW, "EMR_POLYTEXTOUTW", 97, kEmfDraws)                   \
  X(SetIcmMode, "EMR_SETICMMODE", 98, kEmfPlain)                       \
  X(CreateColorSpace, "EMR_CREATECOLORSPACE", 99, kEmfCreatesObject)   \
  X(SetColorSpace, "EMR_SETCOLORSPACE", 100, kEmfPlain)                \
  X(DeleteColorSpace, "EMR_DELETECOLORSPACE", 101, kEmfPlain)          \
  X(GlsRecord, "EMR_GLSRECORD", 102, kEmfPlain)                        \
  X(GlsBoundedRecord, "EMR_GLSBOUNDEDRECORD", 103, kEmfPlain)          \
  X(PixelFormat, "EMR_PIXELFORMAT", 104, kEmfPlain)                    \
  X(DrawEscape, "EMR_DRAWESCAPE", 105, kEmfPlain)                      \
  X(ExtEscape, "EMR_EXTESCAPE", 106, kEmfPlain)                        \
  X(SmallTextOut, "EMR_SMALLTEXTOUT", 108, kEmfDraws)                  \
  X(ForceUfiMapping, "EMR_FORCEUFIMAPPING", 109, kEmfPlain)            \
  X(NamedEscape, "EMR_NAMEDESCAPE", 110, kEmfPlain)                    \
  X(ColorCorrectPalette, "EMR_COLORCORRECTPALETTE", 111, kEmfPlain)    \
  X(SetIcmProfileA, "EMR_SETICMPROFILEA", 112, kEmfPlain)              \
  X(SetIcmProfileW, "EMR_SETICMPROFILEW", 113, kEmfPlain)              \
  X(AlphaBlend, "EMR_ALPHABLEND", 114, kEmfDraws)                      \
  X(SetLayout, "EMR_SETLAYOUT", 115, kEmfPlain)                        \
  X(TransparentBlt, "EMR_TRANSPARENTBLT", 116, kEmfDraws)              \
  X(GradientFill, "EMR_GRADIENTFILL", 118, kEmfDraws)                  \
  X(SetLinkedUfis, "EMR_SETLINKEDUFIS", 119, kEmfPlain)                \
  X(SetTextJustification, "EMR_SETTEXTJUSTIFICATION", 120, kEmfPlain)  \
  X(ColorMatchToTargetW, "EMR_COLORMATCHTOTARGETW", 121, kEmfPlain)    \
  X(CreateColorSpaceW, "EMR_CREATECOLORSPACEW", 122, kEmfCreatesObject)

enum EmfRecordType : uint32_t {
#define EMF_ENUM_ROW(name, text, number, flags) Emr##name = number,
  EMF_RECORD_KINDS(EMF_ENUM_ROW)
#undef EMF_ENUM_ROW
};

struct EmfRecordKind {
  uint32_t type;
  const char* name;
  uint8_t flags;  // EmfKindFlags
};

// The row of a record type, or nullptr for a type the table lacks.
const EmfRecordKind* FindEmfRecordKind(uint32_t type);

// "EMR_POLYGON16", or "EMF record 0x1234" for a type the table lacks.
std::string EmfRecordName(uint32_t type);

inline bool EmfRecordDraws(uint32_t type) {
  const EmfRecordKind* kind = FindEmfRecordKind(type);
  return kind && (kind->flags & kEmfDraws);
}

}  // namespace wmf
