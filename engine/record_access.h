// Bounded access to the parameters of a record and to the parts that several
// records share (points, fonts, colours, text).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "text_measurer.h"
#include "wmf_file.h"
#include "wmf_record_kinds.h"

namespace wmf {

inline bool Has(RecordView record, size_t count) { return record.params.size() >= count; }

inline int16_t Signed(RecordView record, size_t i) { return static_cast<int16_t>(record.params[i]); }

inline void Store(WmfRecord& record, size_t i, int32_t value) {
  record.params[i] = static_cast<uint16_t>(value);  // 16-bit wrap, as GDI stores coordinates
}

inline uint32_t DoubleWordAt(RecordView record, size_t i) {
  return record.params[i] | (static_cast<uint32_t>(record.params[i + 1]) << 16);
}

inline void StoreDoubleWord(WmfRecord& record, size_t i, uint32_t value) {
  record.params[i] = static_cast<uint16_t>(value);
  record.params[i + 1] = static_cast<uint16_t>(value >> 16);
}

// The byte at `offset` of the parameters (little-endian words).
inline uint8_t ByteAt(RecordView record, size_t offset) {
  const uint16_t word = record.params[offset / 2];
  return static_cast<uint8_t>(offset % 2 ? word >> 8 : word);
}

// The LOGFONT of a MetaCreateFontIndirect; fields beyond the record's end
// stay zero.
LogFont FontOf(RecordView record);

// The layout of a MetaExtTextOut: where its string and advances stand.
struct ExtTextLayout {
  size_t count = 0;         // StringLength
  uint16_t options = 0;     // fwOpts
  bool hasRect = false;     // ETO_OPAQUE or ETO_CLIPPED
  size_t stringWord = 0;    // parameter index of the string's first word
  bool hasDx = false;       // a full Dx array follows the string
  size_t dxWord = 0;
};

inline constexpr uint16_t kEtoOpaque = 0x0002;
inline constexpr uint16_t kEtoClipped = 0x0004;

// False when the record is too short for its header, rectangle or string.
bool ReadExtTextLayout(RecordView record, ExtTextLayout& layout);

// The string of a MetaExtTextOut whose layout was read.
std::string_view ExtTextString(RecordView record, const ExtTextLayout& layout, std::string& buffer);

// The destination box of a record that paints a box of pixels: MetaPatBlt,
// the blits with or without a bitmap, MetaStretchDib, MetaSetDibToDev.
// The box stands as DestHeight, DestWidth, YDest, XDest from `box`.
struct BlitView {
  size_t box = 0;           // parameter index of DestHeight
  size_t bitmap = 0;  // parameter index of the bitmap; 0 for none
  size_t source = 0;  // parameter index of SrcHeight (SrcWidth, YSrc, XSrc follow); 0 for none
  int32_t x = 0, y = 0, width = 0, height = 0;

  static std::optional<BlitView> Of(RecordView record);
};

// A MetaTextOut: StringLength, the string, YStart, XStart.
struct TextOutView {
  size_t count = 0;
  size_t yParam = 0;  // XStart follows
  int32_t x = 0, y = 0;

  static std::optional<TextOutView> Of(RecordView record);
  std::string_view String(RecordView record, std::string& buffer) const;
};

// Calls visit(x, y) with the logical points that place what a record draws:
// the points of lines and polygons, the corners of boxes, where a text or a
// box of pixels stands. Never reads past the record's end.
template <typename Visit>
void ForEachPlacingPoint(RecordView r, Visit&& visit) {
  const size_t n = r.params.size();
  const auto points = [&](size_t first, size_t count) {
    for (size_t i = 0; i < count && first + 2 * i + 1 < n; ++i) visit(Signed(r, first + 2 * i), Signed(r, first + 2 * i + 1));
  };
  const auto corners = [&](size_t bottom) {
    if (n >= bottom + 4) visit(Signed(r, bottom + 3), Signed(r, bottom + 2)), visit(Signed(r, bottom + 1), Signed(r, bottom));
  };
  switch (r.function) {
    case MetaMoveTo:
    case MetaLineTo:
    case MetaExtTextOut:
      if (n >= 2) visit(Signed(r, 1), Signed(r, 0));
      break;
    case MetaSetPixel:
    case MetaFloodFill:
      if (n >= 4) visit(Signed(r, 3), Signed(r, 2));
      break;
    case MetaPolygon:
    case MetaPolyline:
      if (n >= 1) points(1, r.params[0]);
      break;
    case MetaPolyPolygon: {
      if (n < 1 || n < 1 + static_cast<size_t>(r.params[0])) break;
      size_t count = 0;
      for (size_t i = 0; i < r.params[0]; ++i) count += r.params[1 + i];
      points(1 + r.params[0], count);
      break;
    }
    case MetaRectangle:
    case MetaEllipse:
      corners(0);
      break;
    case MetaRoundRect:
      corners(2);
      break;
    case MetaArc:
    case MetaPie:
    case MetaChord:
      corners(4);
      break;
    case MetaTextOut:
      if (const std::optional<TextOutView> text = TextOutView::Of(r)) visit(text->x, text->y);
      break;
    default:
      if (const std::optional<BlitView> blit = BlitView::Of(r))
        visit(blit->x, blit->y), visit(blit->x + blit->width, blit->y + blit->height);
      break;
  }
}

}  // namespace wmf
