// Turning the raster image of a MetaDibStretchBlt or MetaStretchDib record
// with the picture, so that it matches the rotated drawing.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "wmf_file.h"

namespace wmf {

// Turns the record's device-independent bitmap clockwise on screen by
// `rotation` (90, 180 or 270 degrees), the way the picture's points turn.
//
// The rotated bitmap replaces the old one in the record, which grows or
// shrinks to fit it: at 90 and 270 degrees the image becomes H wide and W
// high with every pixel kept. Header kind, colour table, bitfield masks,
// row order (a top-down bitmap stays top-down) and any bytes after the pixel
// rows are kept; the header's dimensions and a non-zero biSizeImage follow
// the new image.
//
// The source rectangle is turned with the image (SrcWidth and SrcHeight
// swap at 90 and 270), so the whole bitmap stays the whole rotated bitmap
// and a part stays the same part. XSrc counts columns from the left; YSrc
// counts stored rows, so from the bottom row of a bottom-up bitmap and from
// the top row of a top-down one, as GDI reads it.
//
// A run-length encoded bitmap (BI_RLE8, BI_RLE4) is turned as the
// uncompressed bitmap it draws, which replaces it, when that bitmap takes
// no more than 64 MB.
//
// The destination box is left alone. Returns false, with the record
// unchanged, for any other record or rotation, a record without a bitmap,
// another compressed bitmap (JPEG, PNG) or runs that do not fit the image,
// an unknown header or colour usage, a bitmap that does not fit in the
// record, a source rectangle that is empty or mirrored, or a result that
// the record cannot express.
bool RotateDibRecord(WmfRecord& record, int rotation);

// A part of a bitmap's image as it shows: columns from the left, rows from
// the top, whatever the rows' stored order.
struct DibPart {
  int64_t x = 0, y = 0, width = 0, height = 0;
};

// How the image is laid out anew: with its axes swapped (its columns become
// rows), then mirrored left to right and top to bottom as it shows.
struct DibLayout {
  bool swapAxes = false, mirrorX = false, mirrorY = false;
};

struct ArrangedDib {
  std::vector<uint8_t> bytes;  // header, colour table, pixel rows
  size_t infoBytes = 0;        // header, bitfield masks and colour table
  int64_t width = 0, height = 0;
};

// The `part` of a device-independent bitmap (with its colour usage, as a
// record names it) laid out as `layout` says, as a bitmap of its own with
// the same header kind, colours and row order. A run-length encoded bitmap
// is laid out as the uncompressed bitmap it draws. Nothing for the bitmaps
// RotateDibRecord leaves alone, or a part that is empty or not wholly
// within the image.
std::optional<ArrangedDib> ArrangeDib(std::span<const uint8_t> dib, uint16_t colorUsage, DibPart part, DibLayout layout);

}  // namespace wmf
