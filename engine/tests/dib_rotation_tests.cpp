#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "dib_rotation.h"
#include "record_access.h"
#include "test_pictures.h"
#include "wmf_record_kinds.h"

namespace wmf {
namespace {

constexpr uint16_t kPalColors = 1;
constexpr uint32_t kRle8 = 1;
constexpr uint32_t kBitfields = 3;

// A bitmap record to build: the pixel rows start at `pixelOffset` bytes into
// the DIB, counted by hand for each case rather than by the code under test.
struct DibCase {
  const char* name;
  uint16_t function;
  uint16_t colorUsage;  // MetaStretchDib only
  uint32_t headerBytes;  // 12 (core) or 40
  uint16_t bitCount;
  int32_t width, height;  // a negative height stores the rows top-down
  uint32_t compression;
  uint32_t colorsUsed;
  size_t pixelOffset;
  uint32_t sizeImage;
};

void PrintTo(const DibCase& c, std::ostream* os) { *os << c.name; }

size_t RowBytes(size_t bitCount, size_t width) { return (bitCount * width + 31) / 32 * 4; }

// Where the DIB and the source rectangle (SrcHeight, SrcWidth, YSrc, XSrc)
// stand in the record.
size_t DibWord(const WmfRecord& r) { return r.function == MetaStretchDib ? 11 : 10; }
size_t SrcWord(const WmfRecord& r) { return r.function == MetaStretchDib ? 3 : 2; }

uint32_t Read32(const WmfRecord& r, size_t byte) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | ByteAt(r, 2 * DibWord(r) + byte + i);
  return v;
}

void StoreByte(WmfRecord& r, size_t byte, uint8_t value) {
  uint16_t& word = r.params[byte / 2];
  word = byte % 2 ? static_cast<uint16_t>((word & 0x00FF) | value << 8) : static_cast<uint16_t>((word & 0xFF00) | value);
}

// A distinct-looking value for every position, so that a pixel landing in
// the wrong place shows even in a 1-bit bitmap.
uint32_t PatternValue(int x, int y, int bitCount) {
  uint32_t h = static_cast<uint32_t>(x) * 0x9E3779B1u ^ static_cast<uint32_t>(y) * 0x85EBCA77u;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  return bitCount == 32 ? h : h & ((1u << bitCount) - 1);
}

struct Dimensions {
  int width, height;
  bool topDown;
};

Dimensions DimensionsOf(const WmfRecord& r, uint32_t headerBytes) {
  if (headerBytes == 12) {
    const uint32_t wh = Read32(r, 4);
    return {static_cast<int>(wh & 0xFFFF), static_cast<int>(wh >> 16), false};
  }
  const auto height = static_cast<int32_t>(Read32(r, 8));
  return {static_cast<int32_t>(Read32(r, 4)), height < 0 ? -height : height, height < 0};
}

// The bits of pixel (x, y), y counted downward on screen.
uint32_t VisualPixel(const WmfRecord& r, const DibCase& c, int x, int y) {
  const Dimensions d = DimensionsOf(r, c.headerBytes);
  const int storedRow = d.topDown ? y : d.height - 1 - y;
  const size_t rowStart = 2 * DibWord(r) + c.pixelOffset + storedRow * RowBytes(c.bitCount, d.width);
  const size_t bit = static_cast<size_t>(x) * c.bitCount;
  if (c.bitCount < 8) {
    const uint8_t byte = ByteAt(r, rowStart + bit / 8);
    return (byte >> (8 - c.bitCount - bit % 8)) & ((1u << c.bitCount) - 1);
  }
  uint32_t v = 0;
  for (int i = c.bitCount / 8 - 1; i >= 0; --i) v = v << 8 | ByteAt(r, rowStart + bit / 8 + i);
  return v;
}

void SetVisualPixel(WmfRecord& r, const DibCase& c, int x, int y, uint32_t value) {
  const Dimensions d = DimensionsOf(r, c.headerBytes);
  const int storedRow = d.topDown ? y : d.height - 1 - y;
  const size_t rowStart = 2 * DibWord(r) + c.pixelOffset + storedRow * RowBytes(c.bitCount, d.width);
  const size_t bit = static_cast<size_t>(x) * c.bitCount;
  if (c.bitCount < 8) {
    const size_t at = rowStart + bit / 8;
    const unsigned shift = 8 - c.bitCount - bit % 8;
    StoreByte(r, at, static_cast<uint8_t>(ByteAt(r, at) | value << shift));
    return;
  }
  for (int i = 0; i < c.bitCount / 8; ++i) StoreByte(r, rowStart + bit / 8 + i, static_cast<uint8_t>(value >> 8 * i));
}

// The record with its header, a recognisable colour table (or masks) and
// every pixel set from the pattern; the source rectangle is the whole bitmap.
WmfRecord MakeRecord(const DibCase& c) {
  const int w = c.width, h = std::abs(c.height);
  WmfRecord r = c.function == MetaStretchDib
                    ? test::Rec(MetaStretchDib, {0x0020, 0x00CC, c.colorUsage, h, w, 0, 0, 60, 90, 7, 5})
                    : test::Rec(MetaDibStretchBlt, {0x0020, 0x00CC, h, w, 0, 0, 60, 90, 7, 5});
  const size_t dibBytes = c.pixelOffset + RowBytes(c.bitCount, w) * h;
  const size_t dib = DibWord(r);
  r.params.resize(dib + (dibBytes + 1) / 2);
  std::vector<uint8_t> header;
  auto put16 = [&](uint32_t v) { header.insert(header.end(), {uint8_t(v), uint8_t(v >> 8)}); };
  auto put32 = [&](uint32_t v) { put16(v & 0xFFFF); put16(v >> 16); };
  put32(c.headerBytes);
  if (c.headerBytes == 12) {
    put16(w);
    put16(h);
    put16(1);
    put16(c.bitCount);
  } else {
    put32(c.width);
    put32(c.height);
    put16(1);
    put16(c.bitCount);
    put32(c.compression);
    put32(c.sizeImage);
    put32(2835);
    put32(2835);
    put32(c.colorsUsed);
    put32(0);
  }
  for (size_t i = 0; i < c.pixelOffset; ++i)
    StoreByte(r, 2 * dib + i, i < header.size() ? header[i] : static_cast<uint8_t>(i * 37 + 11));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) SetVisualPixel(r, c, x, y, PatternValue(x, y, c.bitCount));
  return r;
}

// Where pixel (x, y) of a w × h image lands when the picture turns: clockwise
// on screen, as the picture's points turn.
std::pair<int, int> Turned(int x, int y, int w, int h, int rotation) {
  if (rotation == 90) return {h - 1 - y, x};
  if (rotation == 180) return {w - 1 - x, h - 1 - y};
  return {y, w - 1 - x};
}

const DibCase kCases[] = {
    {"24-bit 3x2", MetaDibStretchBlt, 0, 40, 24, 3, 2, 0, 0, 40, 0},
    {"8-bit with 256 RGB colours", MetaDibStretchBlt, 0, 40, 8, 5, 3, 0, 0, 40 + 1024, 0},
    {"8-bit palette indices", MetaStretchDib, kPalColors, 40, 8, 5, 3, 0, 0, 40 + 512, 0},
    {"8-bit RGB colours by STRETCHDIB", MetaStretchDib, 0, 40, 8, 6, 2, 0, 0, 40 + 1024, 0},
    {"1-bit 13x5", MetaDibStretchBlt, 0, 40, 1, 13, 5, 0, 0, 40 + 8, 0},
    {"1-bit 37x3, rows over a DWORD", MetaStretchDib, 0, 40, 1, 37, 3, 0, 0, 40 + 8, 0},
    {"4-bit 7x3", MetaDibStretchBlt, 0, 40, 4, 7, 3, 0, 0, 40 + 64, 0},
    {"4-bit with 5 colours used", MetaStretchDib, 0, 40, 4, 9, 4, 0, 5, 40 + 20, 0},
    {"16-bit 5x3", MetaDibStretchBlt, 0, 40, 16, 5, 3, 0, 0, 40, 0},
    {"16-bit bitfields", MetaDibStretchBlt, 0, 40, 16, 3, 5, kBitfields, 0, 40 + 12, 0},
    {"32-bit bitfields", MetaStretchDib, 0, 40, 32, 4, 3, kBitfields, 0, 40 + 12, 0},
    {"32-bit RGB", MetaDibStretchBlt, 0, 40, 32, 2, 5, 0, 0, 40, 0},
    {"24-bit top-down", MetaDibStretchBlt, 0, 40, 24, 3, -2, 0, 0, 40, 0},
    {"1-bit top-down", MetaStretchDib, 0, 40, 1, 13, -5, 0, 0, 40 + 8, 0},
    {"24-bit with biSizeImage", MetaDibStretchBlt, 0, 40, 24, 5, 2, 0, 0, 40, 32},
    {"24-bit core header", MetaDibStretchBlt, 0, 12, 24, 3, 2, 0, 0, 12, 0},
    {"8-bit core header", MetaDibStretchBlt, 0, 12, 8, 5, 3, 0, 0, 12 + 768, 0},
    {"1-bit core header, palette indices", MetaStretchDib, kPalColors, 12, 1, 13, 5, 0, 0, 12 + 4, 0},
};

class DibRotation : public testing::TestWithParam<DibCase> {};

TEST_P(DibRotation, EveryPixelTurnsWithThePicture) {
  const DibCase& c = GetParam();
  const int w = c.width, h = std::abs(c.height);
  const WmfRecord original = MakeRecord(c);
  for (int rotation : {90, 180, 270}) {
    SCOPED_TRACE(rotation);
    WmfRecord r = original;
    ASSERT_TRUE(RotateDibRecord(r, rotation));
    const bool quarter = rotation != 180;
    const int newW = quarter ? h : w, newH = quarter ? w : h;

    const Dimensions d = DimensionsOf(r, c.headerBytes);
    EXPECT_EQ(d.width, newW);
    EXPECT_EQ(d.height, newH);
    EXPECT_EQ(d.topDown, c.height < 0);
    const size_t newDibBytes = c.pixelOffset + RowBytes(c.bitCount, newW) * newH;
    EXPECT_EQ(r.params.size(), DibWord(r) + (newDibBytes + 1) / 2);

    // Everything but the dimensions and the image size stays as it was.
    for (size_t byte = 0; byte < c.pixelOffset; ++byte) {
      const bool dimensionOrSize = c.headerBytes == 12 ? byte >= 4 && byte < 8 : (byte >= 4 && byte < 12) || (byte >= 20 && byte < 24);
      if (!dimensionOrSize) {
        ASSERT_EQ(ByteAt(r, 2 * DibWord(r) + byte), ByteAt(original, 2 * DibWord(r) + byte)) << byte;
      }
    }
    for (size_t i = 0; i < DibWord(r); ++i) {
      const size_t src = SrcWord(r);
      if (i < src || i > src + 3) {
        EXPECT_EQ(r.params[i], original.params[i]) << "parameter " << i;
      }
    }
    if (c.headerBytes == 40) {
      EXPECT_EQ(Read32(r, 20), c.sizeImage ? RowBytes(c.bitCount, newW) * newH : 0u);
    }

    // The whole bitmap stays the whole bitmap.
    EXPECT_EQ(Signed(r, SrcWord(r)), newH);
    EXPECT_EQ(Signed(r, SrcWord(r) + 1), newW);
    EXPECT_EQ(Signed(r, SrcWord(r) + 2), 0);
    EXPECT_EQ(Signed(r, SrcWord(r) + 3), 0);

    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const auto [tx, ty] = Turned(x, y, w, h, rotation);
        ASSERT_EQ(VisualPixel(r, c, tx, ty), PatternValue(x, y, c.bitCount)) << "pixel " << x << ", " << y;
      }
  }
}

TEST_P(DibRotation, TurnsUndoEachOther) {
  const WmfRecord original = MakeRecord(GetParam());
  WmfRecord r = original;
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(RotateDibRecord(r, 90));
  EXPECT_EQ(r, original);
  ASSERT_TRUE(RotateDibRecord(r, 90));
  ASSERT_TRUE(RotateDibRecord(r, 270));
  EXPECT_EQ(r, original);
  ASSERT_TRUE(RotateDibRecord(r, 180));
  ASSERT_TRUE(RotateDibRecord(r, 180));
  EXPECT_EQ(r, original);
}

INSTANTIATE_TEST_SUITE_P(Bitmaps, DibRotation, testing::ValuesIn(kCases), [](const auto& info) {
  std::string name;
  for (const char* p = info.param.name; *p; ++p) name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
  return name;
});

// The turn's direction, written out: visual rows A B C over D E F become
// D A / E B / F C, stored bottom-up with each 6-byte row padded to 8.
TEST(DibRotationDirection, Bitmap24BitTurnsClockwiseAt90) {
  WmfRecord r = MakeRecord(kCases[0]);
  // Pixel A is 0A 0A 0A and so on; stored row 0 is the bottom one, 9 bytes
  // padded to 12.
  const uint16_t rows[] = {0x0D0D, 0x0E0D, 0x0E0E, 0x0F0F, 0x000F, 0,   // D E F
                           0x0A0A, 0x0B0A, 0x0B0B, 0x0C0C, 0x000C, 0};  // A B C
  ASSERT_EQ(r.params.size(), DibWord(r) + 20 + std::size(rows));
  std::copy(std::begin(rows), std::end(rows), r.params.begin() + DibWord(r) + 20);
  ASSERT_TRUE(RotateDibRecord(r, 90));
  const std::vector<uint16_t> expected = {
      0x0F0F, 0x0C0F, 0x0C0C, 0,  // bottom row: F C
      0x0E0E, 0x0B0E, 0x0B0B, 0,  // E B
      0x0D0D, 0x0A0D, 0x0A0A, 0,  // top row: D A
  };
  EXPECT_EQ(std::vector<uint16_t>(r.params.begin() + DibWord(r) + 20, r.params.end()), expected);
}

TEST(DibRotationSize, ImageSizeFollowsTheTurnedRows) {
  WmfRecord r = MakeRecord({"", MetaDibStretchBlt, 0, 40, 24, 5, 2, 0, 0, 40, 32});
  ASSERT_TRUE(RotateDibRecord(r, 90));
  EXPECT_EQ(Read32(r, 20), 40u);  // 5 rows of 2 pixels, 8 bytes each
  ASSERT_TRUE(RotateDibRecord(r, 180));
  EXPECT_EQ(Read32(r, 20), 40u);
}

TEST(DibRotationSize, BytesAfterTheRowsStayAtTheEnd) {
  WmfRecord r = MakeRecord(kCases[0]);
  r.params.insert(r.params.end(), {0xBEEF, 0xCAFE});
  ASSERT_TRUE(RotateDibRecord(r, 90));
  ASSERT_EQ(r.params.size(), 10 + 20 + 12 + 2u);
  EXPECT_EQ(r.params[r.params.size() - 2], 0xBEEF);
  EXPECT_EQ(r.params.back(), 0xCAFE);
}

// A part of the bitmap stays the same part: the pixels inside the source
// rectangle before the turn are those inside it after.
struct PartCase {
  int32_t height;  // of a 5-wide 24-bit bitmap; negative is top-down
  int srcX, srcY, srcW, srcH;
};

std::vector<uint32_t> PixelsInSource(const WmfRecord& r, const DibCase& c) {
  const Dimensions d = DimensionsOf(r, c.headerBytes);
  const int sh = Signed(r, SrcWord(r)), sw = Signed(r, SrcWord(r) + 1);
  const int ys = Signed(r, SrcWord(r) + 2), xs = Signed(r, SrcWord(r) + 3);
  const int top = d.topDown ? ys : d.height - ys - sh;  // YSrc counts stored rows
  std::vector<uint32_t> values;
  for (int y = top; y < top + sh; ++y)
    for (int x = xs; x < xs + sw; ++x) values.push_back(VisualPixel(r, c, x, y));
  std::sort(values.begin(), values.end());
  return values;
}

TEST(DibRotationSource, PartOfTheBitmapStaysTheSamePart) {
  const PartCase parts[] = {{4, 1, 0, 2, 3}, {4, 0, 1, 5, 1}, {-4, 1, 0, 2, 3}, {-4, 3, 2, 2, 2}};
  for (const PartCase& p : parts) {
    const DibCase c{"", MetaDibStretchBlt, 0, 40, 24, 5, p.height, 0, 0, 40, 0};
    WmfRecord original = MakeRecord(c);
    Store(original, 2, p.srcH);
    Store(original, 3, p.srcW);
    Store(original, 4, p.srcY);
    Store(original, 5, p.srcX);
    const std::vector<uint32_t> before = PixelsInSource(original, c);
    for (int rotation : {90, 180, 270}) {
      SCOPED_TRACE(testing::Message() << "height " << p.height << " x " << p.srcX << " y " << p.srcY
                                      << " rotation " << rotation);
      WmfRecord r = original;
      ASSERT_TRUE(RotateDibRecord(r, rotation));
      EXPECT_EQ(Signed(r, 3), rotation == 180 ? p.srcW : p.srcH);
      EXPECT_EQ(PixelsInSource(r, c), before);
    }
  }
}

// Records that are not turned come back exactly as they were.
struct RefusedCase {
  const char* name;
  void (*spoil)(WmfRecord&);
  int rotation = 90;
};

void SetDword(WmfRecord& r, size_t byte, uint32_t value) {
  for (int i = 0; i < 4; ++i) StoreByte(r, 2 * DibWord(r) + byte + i, static_cast<uint8_t>(value >> 8 * i));
}

const RefusedCase kRefused[] = {
    {"compressed RLE8", [](WmfRecord& r) { SetDword(r, 16, kRle8); }},
    {"truncated rows", [](WmfRecord& r) { r.params.pop_back(); }},
    {"no bitmap", [](WmfRecord& r) { r.params.resize(11); }},
    {"header cut short", [](WmfRecord& r) { r.params.resize(DibWord(r) + 10); }},
    {"unknown header size", [](WmfRecord& r) { SetDword(r, 0, 20); }},
    {"colour table past the end", [](WmfRecord& r) { SetDword(r, 32, 0xFFFFFFFF); }},
    {"huge dimensions", [](WmfRecord& r) { SetDword(r, 4, 0x7FFFFFFF), SetDword(r, 8, 0x7FFFFFFF), StoreByte(r, 2 * DibWord(r) + 14, 32); }},
    {"huge top-down height", [](WmfRecord& r) { SetDword(r, 8, 0x80000000); }},
    {"negative width", [](WmfRecord& r) { SetDword(r, 4, static_cast<uint32_t>(-3)); }},
    {"zero height", [](WmfRecord& r) { SetDword(r, 8, 0); }},
    {"2 bits per pixel", [](WmfRecord& r) { StoreByte(r, 2 * DibWord(r) + 14, 2); }},
    {"bitfields at 24 bits", [](WmfRecord& r) { SetDword(r, 16, kBitfields); }},
    {"mirrored source", [](WmfRecord& r) { Store(r, 3, -3); }},
    {"empty source", [](WmfRecord& r) { Store(r, 2, 0); }},
    {"other record", [](WmfRecord& r) { r.function = MetaDibBitBlt; }},
    {"no rotation", [](WmfRecord&) {}, 0},
    {"odd rotation", [](WmfRecord&) {}, 45},
};

TEST(DibRotationRefused, RecordStaysUnchanged) {
  for (const RefusedCase& c : kRefused) {
    SCOPED_TRACE(c.name);
    WmfRecord r = MakeRecord(kCases[0]);
    c.spoil(r);
    const WmfRecord before = r;
    EXPECT_FALSE(RotateDibRecord(r, c.rotation));
    EXPECT_EQ(r, before);
  }
}

// A V5 header addresses its colour profile from the header; moving the rows
// would leave the address wrong.
TEST(DibRotationRefused, V5HeaderOnlyWithoutProfile) {
  const DibCase c{"", MetaDibStretchBlt, 0, 124, 24, 3, 2, 0, 0, 124, 0};
  WmfRecord r = MakeRecord(c);  // header bytes past the first 40 are filler
  const WmfRecord before = r;
  EXPECT_FALSE(RotateDibRecord(r, 90));
  EXPECT_EQ(r, before);
  SetDword(r, 116, 0);  // bV5ProfileSize
  ASSERT_TRUE(RotateDibRecord(r, 90));
  EXPECT_EQ(DimensionsOf(r, c.headerBytes).width, 2);
  EXPECT_EQ(VisualPixel(r, c, 1, 0), PatternValue(0, 0, 24));
}

TEST(DibRotationRefused, UnknownColourUsageStaysUnchanged) {
  WmfRecord r = MakeRecord(kCases[2]);
  r.params[2] = 3;
  const WmfRecord before = r;
  EXPECT_FALSE(RotateDibRecord(r, 270));
  EXPECT_EQ(r, before);
}

// A META_STRETCHDIB of a 3 × 2 eight-bit bitmap with four colours, its
// pixels given as they are stored after the colour table.
WmfRecord EightBitStretchDib(uint32_t compression, const std::vector<uint8_t>& pixels) {
  std::vector<uint8_t> dib(40, 0);
  const uint32_t header[10] = {40, 3, 2, 1u | (8u << 16), compression, 0, 0, 0, 4, 0};
  std::memcpy(dib.data(), header, sizeof header);
  for (uint8_t c = 0; c < 4; ++c) dib.insert(dib.end(), {static_cast<uint8_t>(c * 60), 0, 0, 0});
  dib.insert(dib.end(), pixels.begin(), pixels.end());
  if (dib.size() % 2) dib.push_back(0);
  WmfRecord r{MetaStretchDib, {0x0020, 0x00CC, 0, 2, 3, 0, 0, 20, 30, 0, 0}};
  for (size_t i = 0; i < dib.size(); i += 2) r.params.push_back(static_cast<uint16_t>(dib[i] | dib[i + 1] << 8));
  return r;
}

// A run-length encoded bitmap turns as the uncompressed bitmap it draws.
TEST(DibRotation, RunLengthEncodedBitmapsTurnLikeTheirPixels) {
  // Bottom row: three pixels of colour 1; top row: colours 2, 3, 0 as they are.
  const WmfRecord rle = EightBitStretchDib(1, {3, 1, 0, 0, 0, 3, 2, 3, 0, 0, 0, 1});
  const WmfRecord plain = EightBitStretchDib(0, {1, 1, 1, 0, 2, 3, 0, 0});
  for (int rotation : {90, 180, 270}) {
    SCOPED_TRACE(rotation);
    WmfRecord turnedRle = rle, turnedPlain = plain;
    ASSERT_TRUE(RotateDibRecord(turnedRle, rotation));
    ASSERT_TRUE(RotateDibRecord(turnedPlain, rotation));
    EXPECT_EQ(turnedRle, turnedPlain);
  }
  WmfRecord overrun = EightBitStretchDib(1, {9, 1, 0, 1});  // a run wider than the image
  EXPECT_FALSE(RotateDibRecord(overrun, 90));
}

}  // namespace
}  // namespace wmf
