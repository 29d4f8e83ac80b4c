#include "dib_rotation.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <limits>
#include <optional>
#include <span>
#include <vector>

#include "record_views.h"
#include "wmf_record_kinds.h"

namespace wmf {
namespace {

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiRle8 = 1;
constexpr uint32_t kBiRle4 = 2;
constexpr uint32_t kBiBitfields = 3;
constexpr uint32_t kCoreHeaderBytes = 12;
constexpr uint32_t kInfoHeaderBytes = 40;
constexpr uint32_t kV5HeaderBytes = 124;
// A few bytes of runs can describe an image of gigabytes: a run-length
// bitmap that would decode to more than this is not turned.
constexpr uint64_t kMaxDecodedRleBytes = uint64_t{64} << 20;
constexpr uint16_t kDibRgbColors = 0;
constexpr uint16_t kDibPalColors = 1;
constexpr uint16_t kDibPalIndices = 2;

// Where a bitmap record keeps its parts, as parameter indices.
struct BitmapRecordLayout {
  PointAt sourceSize, sourceOrigin;  // the box taken from the bitmap
  size_t dib = 0;                    // the bitmap's first word
  uint16_t colorUsage = kDibRgbColors;
};

bool FindBitmapRecordLayout(const WmfRecord& record, BitmapRecordLayout& layout) {
  if (record.function != MetaDibStretchBlt && record.function != MetaStretchDib) return false;
  const std::optional<BlitView> blit = BlitView::Of(record);
  if (!blit || blit->bitmap == 0) return false;
  layout = {blit->SourceSize(), blit->SourceOrigin(), blit->bitmap,
            record.function == MetaStretchDib ? record.params[BlitView::kStretchDibColorUsage] : kDibRgbColors};
  return true;
}

uint16_t Read16(std::span<const uint8_t> bytes, size_t at) {
  return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

uint32_t Read32(std::span<const uint8_t> bytes, size_t at) {
  return Read16(bytes, at) | static_cast<uint32_t>(Read16(bytes, at + 2)) << 16;
}

void Write16(std::span<uint8_t> bytes, size_t at, uint16_t value) {
  bytes[at] = static_cast<uint8_t>(value);
  bytes[at + 1] = static_cast<uint8_t>(value >> 8);
}

void Write32(std::span<uint8_t> bytes, size_t at, uint32_t value) {
  Write16(bytes, at, static_cast<uint16_t>(value));
  Write16(bytes, at + 2, static_cast<uint16_t>(value >> 16));
}

// BITMAPINFOHEADER and its V2, V3, V4 and V5 successors.
bool IsInfoHeaderSize(uint32_t size) {
  return size == kInfoHeaderBytes || size == 52 || size == 56 || size == 108 || size == kV5HeaderBytes;
}

bool IsUncompressedBitCount(uint32_t bitCount) {
  return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 || bitCount == 32;
}

// Rows are padded to whole DWORDs.
uint64_t RowBytes(uint64_t bitCount, uint64_t width) { return (bitCount * width + 31) / 32 * 4; }

// What the rotation needs to know of an uncompressed bitmap that lies wholly
// within its record.
struct DibGeometry {
  bool core = false;
  uint64_t width = 0;
  uint64_t height = 0;  // a row count, whatever the row order
  bool topDown = false;
  uint32_t bitCount = 0;
  uint64_t infoBytes = 0;  // header, bitfield masks and colour table
  uint64_t rowBytes = 0;
};

bool ReadDibGeometry(std::span<const uint8_t> dib, uint16_t colorUsage, DibGeometry& g) {
  if (dib.size() < 4) return false;
  const uint32_t headerBytes = Read32(dib, 0);
  uint64_t entryBytes = 4;
  uint64_t maskBytes = 0;
  uint64_t colorsUsed = 0;
  if (headerBytes == kCoreHeaderBytes) {
    if (dib.size() < kCoreHeaderBytes) return false;
    g.core = true;
    g.width = Read16(dib, 4);
    g.height = Read16(dib, 6);
    g.bitCount = Read16(dib, 10);
    entryBytes = 3;
  } else if (IsInfoHeaderSize(headerBytes)) {
    if (dib.size() < headerBytes) return false;
    const auto width = static_cast<int32_t>(Read32(dib, 4));
    const auto height = static_cast<int32_t>(Read32(dib, 8));
    if (width <= 0 || height == std::numeric_limits<int32_t>::min()) return false;
    g.width = static_cast<uint64_t>(width);
    g.topDown = height < 0;
    g.height = static_cast<uint64_t>(g.topDown ? -static_cast<int64_t>(height) : height);
    g.bitCount = Read16(dib, 14);
    const uint32_t compression = Read32(dib, 16);
    if (compression == kBiBitfields) {
      if (g.bitCount != 16 && g.bitCount != 32) return false;
      if (headerBytes == kInfoHeaderBytes) maskBytes = 12;  // later headers hold the masks
    } else if (compression != kBiRgb) {
      return false;
    }
    // An ICC profile is addressed from the header; moving the rows would
    // leave that address wrong.
    if (headerBytes == kV5HeaderBytes && Read32(dib, 116) != 0) return false;
    colorsUsed = Read32(dib, 32);
  } else {
    return false;
  }
  if (!IsUncompressedBitCount(g.bitCount) || g.width == 0 || g.height == 0) return false;

  switch (colorUsage) {
    case kDibRgbColors: break;
    case kDibPalColors: entryBytes = 2; break;  // indices into the selected palette
    case kDibPalIndices: entryBytes = 0; break;
    default: return false;
  }
  const uint64_t entries = colorsUsed ? colorsUsed : (g.bitCount <= 8 ? uint64_t{1} << g.bitCount : 0);
  g.infoBytes = headerBytes + maskBytes + entries * entryBytes;
  g.rowBytes = RowBytes(g.bitCount, g.width);
  // Division keeps a huge header from overflowing the product.
  return g.infoBytes <= dib.size() && g.height <= (dib.size() - g.infoBytes) / g.rowBytes;
}

// Copies pixel `fromColumn` of one row to pixel `toColumn` of another, whose
// bytes start zeroed. 1- and 4-bit pixels fill a byte from its high bits.
void CopyPixel(const uint8_t* from, uint64_t fromColumn, uint8_t* to, uint64_t toColumn, uint32_t bitCount) {
  if (bitCount >= 8) {
    const size_t bytes = bitCount / 8;
    std::memcpy(to + toColumn * bytes, from + fromColumn * bytes, bytes);
    return;
  }
  const uint64_t fromBit = fromColumn * bitCount;
  const uint64_t toBit = toColumn * bitCount;
  const unsigned value = (from[fromBit / 8] >> (8 - bitCount - fromBit % 8)) & ((1u << bitCount) - 1);
  to[toBit / 8] |= static_cast<uint8_t>(value << (8 - bitCount - toBit % 8));
}

struct Point {
  int64_t x, y;
};

// Where a point of a w × h image (y downward) lands when the image turns
// clockwise: the same turn as the picture's coordinates.
Point Turn(Point p, int64_t w, int64_t h, int rotation) {
  switch (rotation) {
    case 90: return {h - 1 - p.y, p.x};
    case 180: return {w - 1 - p.x, h - 1 - p.y};
    default: return {p.y, w - 1 - p.x};
  }
}

// Writes the rotated pixel rows into `turned`, zeroed and sized for them; the
// row order stays as it was.
void TurnPixels(std::span<const uint8_t> pixels, const DibGeometry& g, int rotation, uint64_t newWidth,
                uint64_t newHeight, std::span<uint8_t> turned) {
  const uint64_t newRowBytes = RowBytes(g.bitCount, newWidth);
  const auto w = static_cast<int64_t>(g.width), h = static_cast<int64_t>(g.height);
  const auto turnedH = static_cast<int64_t>(newHeight);
  for (int64_t row = 0; row < h; ++row) {
    const int64_t y = g.topDown ? row : h - 1 - row;
    const uint8_t* from = pixels.data() + row * g.rowBytes;
    for (int64_t x = 0; x < w; ++x) {
      const Point to = Turn({x, y}, w, h, rotation);
      const int64_t toRow = g.topDown ? to.y : turnedH - 1 - to.y;
      CopyPixel(from, x, turned.data() + toRow * newRowBytes, to.x, g.bitCount);
    }
  }
}

bool FitsInt16(int64_t v) {
  return v >= std::numeric_limits<int16_t>::min() && v <= std::numeric_limits<int16_t>::max();
}

// SrcHeight, SrcWidth, YSrc, XSrc in record order.
struct SourceRect {
  int64_t height, width, y, x;
};

// The source rectangle turned with the image. Its corner is converted to
// top-down image coordinates, turned with the rectangle and converted back to
// the stored-row count that GDI reads as YSrc. False when the rectangle is
// empty or mirrored (left as GDI draws it) or the result does not fit.
bool TurnSourceRect(SourceRect& rect, const DibGeometry& g, int rotation, int64_t turnedImageHeight) {
  if (rect.width <= 0 || rect.height <= 0) return false;
  const auto w = static_cast<int64_t>(g.width), h = static_cast<int64_t>(g.height);
  const int64_t top = g.topDown ? rect.y : h - rect.y - rect.height;
  SourceRect turned = rect;
  int64_t turnedTop = 0;
  switch (rotation) {
    case 90:
      turned = {rect.width, rect.height, 0, h - top - rect.height};
      turnedTop = rect.x;
      break;
    case 180:
      turned.x = w - rect.x - rect.width;
      turnedTop = h - top - rect.height;
      break;
    default:
      turned = {rect.width, rect.height, 0, top};
      turnedTop = w - rect.x - rect.width;
      break;
  }
  turned.y = g.topDown ? turnedTop : turnedImageHeight - turnedTop - turned.height;
  if (!FitsInt16(turned.x) || !FitsInt16(turned.y)) return false;
  rect = turned;
  return true;
}

// A run-length encoded bitmap (BI_RLE8 at 8 bits, BI_RLE4 at 4) as the
// uncompressed bitmap it draws, so that its pixels can be turned. Pixels the
// runs skip are colour 0. Nothing for any other bitmap or for runs that do
// not fit the image.
std::optional<std::vector<uint8_t>> DecompressRle(std::span<const uint8_t> dib, uint16_t colorUsage) {
  if (dib.size() < kInfoHeaderBytes || !IsInfoHeaderSize(Read32(dib, 0))) return std::nullopt;
  const uint32_t compression = Read32(dib, 16);
  const uint32_t bitCount = Read16(dib, 14);
  if (!((compression == kBiRle8 && bitCount == 8) || (compression == kBiRle4 && bitCount == 4))) return std::nullopt;
  const auto width = static_cast<int32_t>(Read32(dib, 4));
  const auto height = static_cast<int32_t>(Read32(dib, 8));
  if (width <= 0 || height <= 0 || width > 0x10000 || height > 0x10000) return std::nullopt;  // RLE rows are bottom-up
  const uint64_t entryBytes = colorUsage == kDibPalColors ? 2 : colorUsage == kDibPalIndices ? 0 : 4;
  const uint64_t colorsUsed = Read32(dib, 32);
  const uint64_t infoBytes = Read32(dib, 0) + (colorsUsed ? colorsUsed : uint64_t{1} << bitCount) * entryBytes;
  if (infoBytes > dib.size()) return std::nullopt;

  const uint64_t rowBytes = RowBytes(bitCount, static_cast<uint64_t>(width));
  if (rowBytes * static_cast<uint64_t>(height) > kMaxDecodedRleBytes) return std::nullopt;
  std::vector<uint8_t> pixels(rowBytes * static_cast<uint64_t>(height), 0);
  const auto put = [&](int64_t x, int64_t y, uint8_t value) {
    if (x < 0 || y < 0 || x >= width || y >= height) return false;
    uint8_t& byte = pixels[static_cast<size_t>(y) * rowBytes + static_cast<size_t>(bitCount == 8 ? x : x / 2)];
    if (bitCount == 8) byte = value;
    else byte = x % 2 ? static_cast<uint8_t>((byte & 0xF0) | (value & 0x0F)) : static_cast<uint8_t>((byte & 0x0F) | (value << 4));
    return true;
  };
  const auto nibbleOf = [&](uint8_t byte, uint64_t i) -> uint8_t {
    return bitCount == 8 ? byte : static_cast<uint8_t>(i % 2 ? byte & 0x0F : byte >> 4);
  };
  size_t at = static_cast<size_t>(infoBytes);
  int64_t x = 0, y = 0;
  for (;;) {
    if (at + 2 > dib.size()) return std::nullopt;
    const uint8_t count = dib[at], value = dib[at + 1];
    at += 2;
    if (count > 0) {  // a run of one value (two alternating nibbles at 4 bits)
      for (uint64_t i = 0; i < count; ++i)
        if (!put(x++, y, nibbleOf(value, i))) return std::nullopt;
    } else if (value == 0) {  // end of line
      x = 0;
      ++y;
    } else if (value == 1) {  // end of bitmap
      break;
    } else if (value == 2) {  // move right and up
      if (at + 2 > dib.size()) return std::nullopt;
      x += dib[at];
      y += dib[at + 1];
      at += 2;
    } else {  // `value` pixels as they are, padded to whole words
      const uint64_t bytes = bitCount == 8 ? value : (value + 1u) / 2;
      if (at + bytes > dib.size()) return std::nullopt;
      for (uint64_t i = 0; i < value; ++i)
        if (!put(x++, y, nibbleOf(dib[at + (bitCount == 8 ? i : i / 2)], i))) return std::nullopt;
      at += static_cast<size_t>((bytes + 1) / 2 * 2);
    }
  }
  std::vector<uint8_t> decoded(dib.begin(), dib.begin() + static_cast<ptrdiff_t>(infoBytes));
  Write32(decoded, 16, kBiRgb);
  Write32(decoded, 20, 0);
  decoded.insert(decoded.end(), pixels.begin(), pixels.end());
  return decoded;
}

}  // namespace

std::optional<ArrangedDib> ArrangeDib(std::span<const uint8_t> dib, uint16_t colorUsage, DibPart part, DibLayout layout) {
  const std::optional<std::vector<uint8_t>> decoded = DecompressRle(dib, colorUsage);
  if (decoded) dib = *decoded;
  DibGeometry g;
  if (!ReadDibGeometry(dib, colorUsage, g)) return std::nullopt;
  const auto w = static_cast<int64_t>(g.width), h = static_cast<int64_t>(g.height);
  if (part.width <= 0 || part.height <= 0 || part.x < 0 || part.y < 0 || part.x > w - part.width ||
      part.y > h - part.height)
    return std::nullopt;

  ArrangedDib out;
  out.width = layout.swapAxes ? part.height : part.width;
  out.height = layout.swapAxes ? part.width : part.height;
  if (g.core && (out.width > 0xFFFF || out.height > 0xFFFF)) return std::nullopt;
  const uint64_t rowBytes = RowBytes(g.bitCount, static_cast<uint64_t>(out.width));
  const uint64_t imageBytes = rowBytes * static_cast<uint64_t>(out.height);
  if (imageBytes > std::numeric_limits<uint32_t>::max()) return std::nullopt;
  out.infoBytes = static_cast<size_t>(g.infoBytes);
  out.bytes.assign(out.infoBytes + imageBytes, 0);
  std::copy(dib.begin(), dib.begin() + static_cast<ptrdiff_t>(g.infoBytes), out.bytes.begin());
  const auto storedRow = [](bool topDown, int64_t shownRow, int64_t rows) { return topDown ? shownRow : rows - 1 - shownRow; };
  for (int64_t v = 0; v < out.height; ++v) {
    uint8_t* to = out.bytes.data() + out.infoBytes + storedRow(g.topDown, v, out.height) * rowBytes;
    for (int64_t u = 0; u < out.width; ++u) {
      // (u, v) in the new image is (a, b) of the part, mirrored, then swapped.
      int64_t a = layout.mirrorX ? out.width - 1 - u : u, b = layout.mirrorY ? out.height - 1 - v : v;
      if (layout.swapAxes) std::swap(a, b);
      const uint8_t* from = dib.data() + g.infoBytes + storedRow(g.topDown, part.y + b, h) * g.rowBytes;
      CopyPixel(from, static_cast<uint64_t>(part.x + a), to, static_cast<uint64_t>(u), g.bitCount);
    }
  }
  if (g.core) {
    Write16(out.bytes, 4, static_cast<uint16_t>(out.width));
    Write16(out.bytes, 6, static_cast<uint16_t>(out.height));
  } else {
    Write32(out.bytes, 4, static_cast<uint32_t>(out.width));
    const auto height = static_cast<int32_t>(out.height);
    Write32(out.bytes, 8, static_cast<uint32_t>(g.topDown ? -height : height));
    if (Read32(out.bytes, 20) != 0) Write32(out.bytes, 20, static_cast<uint32_t>(imageBytes));
  }
  return out;
}

bool RotateDibRecord(WmfRecord& record, int rotation) {
  if (rotation != 90 && rotation != 180 && rotation != 270) return false;
  BitmapRecordLayout layout;
  if (!FindBitmapRecordLayout(record, layout)) return false;

  // The parameters are the record's little-endian words: their bytes are the
  // DIB's, read in place until the turned DIB replaces them.
  std::span<const uint8_t> dib(reinterpret_cast<const uint8_t*>(record.params.data() + layout.dib),
                               2 * (record.params.size() - layout.dib));
  const std::optional<std::vector<uint8_t>> decoded = DecompressRle(dib, layout.colorUsage);
  if (decoded) dib = *decoded;
  DibGeometry g;
  if (!ReadDibGeometry(dib, layout.colorUsage, g)) return false;

  const bool quarterTurn = rotation != 180;
  const uint64_t newWidth = quarterTurn ? g.height : g.width;
  const uint64_t newHeight = quarterTurn ? g.width : g.height;
  const uint64_t oldImageBytes = g.height * g.rowBytes;
  const uint64_t newImageBytes = newHeight * RowBytes(g.bitCount, newWidth);
  const uint64_t newDibBytes = dib.size() - oldImageBytes + newImageBytes;
  const uint64_t newRecordWords = 3 + layout.dib + (newDibBytes + 1) / 2;
  if (newRecordWords > std::numeric_limits<uint32_t>::max()) return false;
  if (!g.core && Read32(dib, 20) != 0 && newImageBytes > std::numeric_limits<uint32_t>::max()) return false;

  SourceRect rect{Y(record, layout.sourceSize), X(record, layout.sourceSize), Y(record, layout.sourceOrigin),
                  X(record, layout.sourceOrigin)};
  if (!TurnSourceRect(rect, g, rotation, static_cast<int64_t>(newHeight))) return false;

  const auto pixelsBegin = dib.begin() + static_cast<ptrdiff_t>(g.infoBytes);
  const auto pixelsEnd = pixelsBegin + static_cast<ptrdiff_t>(oldImageBytes);
  std::vector<uint8_t> newDib(newDibBytes + newDibBytes % 2, 0);
  std::copy(dib.begin(), pixelsBegin, newDib.begin());
  TurnPixels({pixelsBegin, pixelsEnd}, g, rotation, newWidth, newHeight,
             std::span(newDib).subspan(g.infoBytes, newImageBytes));
  std::copy(pixelsEnd, dib.end(), newDib.begin() + static_cast<ptrdiff_t>(g.infoBytes + newImageBytes));
  if (g.core) {
    Write16(newDib, 4, static_cast<uint16_t>(newWidth));
    Write16(newDib, 6, static_cast<uint16_t>(newHeight));
  } else {
    Write32(newDib, 4, static_cast<uint32_t>(newWidth));
    const auto height = static_cast<int32_t>(newHeight);
    Write32(newDib, 8, static_cast<uint32_t>(g.topDown ? -height : height));
    if (Read32(newDib, 20) != 0) Write32(newDib, 20, static_cast<uint32_t>(newImageBytes));
  }

  record.params.resize(layout.dib + newDib.size() / 2);
  std::memcpy(record.params.data() + layout.dib, newDib.data(), newDib.size());
  Store(record, layout.sourceSize.y, static_cast<int32_t>(rect.height));
  Store(record, layout.sourceSize.x, static_cast<int32_t>(rect.width));
  Store(record, layout.sourceOrigin.y, static_cast<int32_t>(rect.y));
  Store(record, layout.sourceOrigin.x, static_cast<int32_t>(rect.x));
  return true;
}

}  // namespace wmf
