// The known ways WMF readers fail, each a named case: a malformed picture is
// either refused by ReadWmf with a message that names the fault, or read,
// captured and played under several option sets without a fault, into an
// output that reads back and names only live objects.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <limits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "emf_file.h"
#include "emf_output_checks.h"
#include "emf_record_kinds.h"
#include "engine_harness.h"
#include "enh_metafile.h"
#include "output_checks.h"
#include "wmf_file.h"
#include "test_emf.h"
#include "wmf_recorder.h"

// Under AddressSanitizer no single allocation may exceed 256 MB here: a size
// taken on trust from a lying field (an 8 GB picture, a 4 GB bitmap) is
// reported with its stack instead of quietly reserving memory.
extern "C" const char* __asan_default_options() { return "max_allocation_size_mb=256"; }

namespace wmf {
namespace {

using test::Rec;

// ---------------------------------------------------------------- bytes

void PutWord(std::vector<uint8_t>& out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

void PutDoubleWord(std::vector<uint8_t>& out, uint32_t value) {
  PutWord(out, static_cast<uint16_t>(value));
  PutWord(out, static_cast<uint16_t>(value >> 16));
}

// A record whose size field says `sizeWords`, whatever it holds.
std::vector<uint8_t> RawRecord(uint32_t sizeWords, uint16_t function, std::vector<uint16_t> params = {}) {
  std::vector<uint8_t> out;
  PutDoubleWord(out, sizeWords);
  PutWord(out, function);
  for (uint16_t p : params) PutWord(out, p);
  return out;
}

const std::vector<uint8_t> kEndRecord = RawRecord(3, 0);

std::vector<uint8_t> operator+(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// A sound file of `records` without its end record.
std::vector<uint8_t> WithoutEnd(const std::vector<WmfRecord>& records) {
  std::vector<uint8_t> bytes = WriteWmf(records);
  bytes.resize(bytes.size() - kEndRecord.size());
  return bytes;
}

// Header fields by byte offset in a standard metafile.
enum HeaderField : size_t { kType = 0, kHeaderWords = 2, kVersion = 4, kSizeWords = 6, kObjects = 10, kMaxRecord = 12,
                            kParameterCount = 16 };

std::vector<uint8_t> With16(std::vector<uint8_t> bytes, size_t at, uint16_t value) {
  bytes[at] = static_cast<uint8_t>(value);
  bytes[at + 1] = static_cast<uint8_t>(value >> 8);
  return bytes;
}

std::vector<uint8_t> With32(std::vector<uint8_t> bytes, size_t at, uint32_t value) {
  return With16(With16(std::move(bytes), at, static_cast<uint16_t>(value)), at + 2, static_cast<uint16_t>(value >> 16));
}

// Bytes as the little-endian words a record holds, the last one padded.
std::vector<uint16_t> Words(const std::vector<uint8_t>& bytes) {
  std::vector<uint16_t> words((bytes.size() + 1) / 2, 0);
  for (size_t i = 0; i < bytes.size(); ++i) words[i / 2] |= static_cast<uint16_t>(bytes[i] << (i % 2 * 8));
  return words;
}

WmfRecord With(WmfRecord record, const std::vector<uint16_t>& more) {
  record.params.insert(record.params.end(), more.begin(), more.end());
  return record;
}

// ---------------------------------------------------------------- playing

struct OptionSet {
  const char* name;
  std::function<void(WmfSettings&)> adjust;
};

const OptionSet kOptionSets[] = {
    {"defaults", [](WmfSettings&) {}},
    {"90 with crop", [](WmfSettings& s) { s.Rotation = 90; s.Crop = 1; }},
    {"180 without crop", [](WmfSettings& s) { s.Rotation = 180; s.Crop = 0; }},
    {"per colour, lines removed", [](WmfSettings& s) { s.Lineoptions = 3; s.Filledoptions = 3; s.RemoveLines = 1; }},
};

constexpr MetafilePict kPict{8, 20320, 15240};

// The surroundings of the engine with one option set in force.
struct Surroundings {
  explicit Surroundings(const OptionSet& set) : options(set) { options.adjust(harness.settings); }
  const OptionSet& options;
  test::EngineHarness harness;
};

// Reads, captures and plays `bytes`, as a CAD picture or not; the output
// must read back and name only live objects.
void ExpectSoundPlay(std::span<const uint8_t> bytes, const MetafilePict& pict, Surroundings& surroundings,
                     bool fromCad) {
  SCOPED_TRACE(std::string(surroundings.options.name) + (fromCad ? ", CAD" : ", other"));
  WmfPicture picture;
  std::string error;
  ASSERT_TRUE(ReadWmf(bytes, picture, error)) << error;
  auto captured = surroundings.harness.Capture(std::move(picture), pict, fromCad);
  WmfRecorder surface;
  captured->Play(surface, surroundings.harness.settings);
  const std::vector<uint8_t> written = surface.Close();
  WmfPicture out;
  ASSERT_TRUE(ReadWmf(written, out, error)) << "output: " << error;
  test::ExpectSoundObjectUse(out);
}

struct Case {
  std::string name;
  std::vector<uint8_t> bytes;
  const char* refusal = nullptr;         // part of ReadWmf's message; nullptr: the picture reads
  std::optional<size_t> records;         // the records read, when the case is about them
  MetafilePict pict = kPict;
};

void ExpectEachCase(const std::vector<Case>& cases) {
  std::vector<std::unique_ptr<Surroundings>> optionSets;
  for (const OptionSet& options : kOptionSets) optionSets.push_back(std::make_unique<Surroundings>(options));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WmfPicture picture;
    std::string error;
    const bool read = ReadWmf(c.bytes, picture, error);
    if (c.refusal) {
      EXPECT_FALSE(read);
      EXPECT_NE(error.find(c.refusal), std::string::npos) << error;
      continue;
    }
    ASSERT_TRUE(read) << error;
    if (c.records) {
      EXPECT_EQ(picture.records.size(), *c.records);
    }
    for (const auto& surroundings : optionSets) {
      for (const bool fromCad : {true, false}) ExpectSoundPlay(c.bytes, c.pict, *surroundings, fromCad);
    }
  }
}

// A small drawing around the record under test: a window, a pen, a line.
std::vector<WmfRecord> Drawing(std::vector<WmfRecord> middle) {
  std::vector<WmfRecord> records = {test::WindowExt(1000, 800), test::Pen(0x0000FF), Rec(MetaSelectObject, {0}),
                                    test::Rectangle(100, 100, 300, 200)};
  records.insert(records.end(), middle.begin(), middle.end());
  records.push_back(test::LineTo(500, 400));
  return records;
}

std::vector<uint8_t> DrawingFile(std::vector<WmfRecord> middle) { return WriteWmf(Drawing(std::move(middle))); }

// ---------------------------------------------------------------- cases

TEST(MalformedInput, HeaderFields) {
  const std::vector<uint8_t> sound = DrawingFile({});
  const size_t records = Drawing({}).size();
  std::vector<Case> cases = {
      {"type 0", With16(sound, kType, 0), "has type 0"},
      {"type 3", With16(sound, kType, 3), "has type 3"},
      {"type 0xFFFF", With16(sound, kType, 0xFFFF), "has type 65535"},
      {"header size 0", With16(sound, kHeaderWords, 0), "gives a header size of 0 words"},
      {"header size 8", With16(sound, kHeaderWords, 8), "gives a header size of 8 words"},
      {"header size 0xFFFF", With16(sound, kHeaderWords, 0xFFFF), "gives a header size of 65535 words"},
      {"disk metafile", With16(sound, kType, 2), nullptr, records},
      {"version odd", With16(sound, kVersion, 0x0301), nullptr, records},
      {"version 0", With16(sound, kVersion, 0), nullptr, records},
  };
  // The header's size, object count and largest record are never trusted:
  // reading goes by the records, whatever they claim.
  for (const auto& [field, fieldName] : {std::pair{kSizeWords, "size"}, std::pair{kMaxRecord, "largest record"}}) {
    for (const uint32_t value : {0u, 1u, 2000u, 0x7FFFFFFFu, 0xFFFFFFFFu})
      cases.push_back({std::string(fieldName) + " " + std::to_string(value), With32(sound, field, value), nullptr, records});
  }
  for (const uint16_t value : {0, 1, 0xFFFF}) {
    cases.push_back({"object count " + std::to_string(value), With16(sound, kObjects, value), nullptr, records});
    cases.push_back({"parameter count " + std::to_string(value), With16(sound, kParameterCount, value), nullptr, records});
  }
  cases.push_back({"size 0xFFFFFFFF and the records cut", With32(WithoutEnd(Drawing({})), kSizeWords, 0xFFFFFFFF),
                   "no end record"});
  // Placeable headers with boxes no program would write.
  for (const auto& [name, box] : {std::pair{"placeable box empty", PlaceableHeader{0, 0, 0, 0, 1440}},
                                  std::pair{"placeable box inverted", PlaceableHeader{1000, 800, 0, 0, 1440}},
                                  std::pair{"placeable box at the limits", PlaceableHeader{-32768, -32768, 32767, 32767, 1}},
                                  std::pair{"placeable inch 0", PlaceableHeader{0, 0, 1000, 800, 0}}})
    cases.push_back({name, WritePlaceableWmf(box, sound), nullptr, records});
  ExpectEachCase(cases);
}

TEST(MalformedInput, RecordFraming) {
  const std::vector<uint8_t> start = WithoutEnd(Drawing({}));
  const size_t records = Drawing({}).size();
  ExpectEachCase({
      {"record of 0 words", start + RawRecord(0, MetaLineTo) + kEndRecord, "is 0 words long; a record has at least 3"},
      {"record of 1 word", start + RawRecord(1, MetaLineTo) + kEndRecord, "is 1 words long"},
      {"record of 2 words", start + RawRecord(2, MetaLineTo) + kEndRecord, "is 2 words long"},
      {"record of 0xFFFFFFFF words", start + RawRecord(0xFFFFFFFF, MetaLineTo, {1, 2}) + kEndRecord,
       "is 4294967295 words long and runs past the end of the data"},
      {"record whose byte size wraps 32 bits", start + RawRecord(0x80000003, MetaLineTo, {1, 2}) + kEndRecord,
       "runs past the end of the data"},
      {"end record of 0xFFFFFFFF words", start + RawRecord(0xFFFFFFFF, 0), "record META_EOF at byte 76 is 4294967295 words long"},
      {"end record with parameters", start + RawRecord(5, 0, {1, 2}) + DrawingFile({}), nullptr, records},
      {"no end record", start, "no end record: the data ends at byte"},
      {"cut inside a record's size", start + std::vector<uint8_t>{3, 0}, "no end record: the records stop at byte"},
      {"cut inside a record", start + RawRecord(5, MetaLineTo, {1}), "runs past the end of the data"},
      {"only a header", std::vector<uint8_t>(start.begin(), start.begin() + 18), "no end record: the data ends at byte 18"},
      {"a byte after the end record", start + kEndRecord + std::vector<uint8_t>{0xAA}, nullptr, records},
      {"a broken record after the end record", start + kEndRecord + RawRecord(0xFFFFFFFF, MetaLineTo), nullptr, records},
      {"a second picture after the end record", start + kEndRecord + DrawingFile({}), nullptr, records},
      {"records with no parameters", DrawingFile({Rec(MetaLineTo, {}), Rec(MetaPolygon, {}), Rec(MetaSelectObject, {})}),
       nullptr, records + 3},
      {"unknown record functions", DrawingFile({Rec(0x0001, {1}), Rec(0xFFFF, {1, 2}), Rec(0x0613, {})}), nullptr,
       records + 3},
  });
}

TEST(MalformedInput, PointCounts) {
  ExpectEachCase({
      {"POLYLINE count beyond the record", DrawingFile({Rec(MetaPolyline, {0xFFFF, 10, 10, 20, 20})})},
      {"POLYLINE count one beyond", DrawingFile({Rec(MetaPolyline, {3, 10, 10, 20, 20})})},
      {"POLYLINE with a half point", DrawingFile({Rec(MetaPolyline, {2, 10, 10, 20})})},
      {"POLYLINE of no points", DrawingFile({Rec(MetaPolyline, {0})})},
      {"POLYGON count beyond the record", DrawingFile({Rec(MetaPolygon, {0x8000, 10, 10, 20, 20, 30, 10})})},
      {"POLYGON of no points", DrawingFile({Rec(MetaPolygon, {0})})},
      // With lines removed a polygon is kept to compare with the outline
      // after it: here that outline claims more points than it holds.
      {"POLYGON then an outline beyond its record",
       DrawingFile({test::Poly(MetaPolygon, {{10, 10}, {90, 10}, {50, 80}}), Rec(MetaPolyline, {4, 10, 10, 90, 10})})},
      {"POLYGON then a POLYGON one point longer, cut",
       DrawingFile({test::Poly(MetaPolygon, {{10, 10}, {90, 10}, {50, 80}}), Rec(MetaPolygon, {4, 10, 10, 90, 10})})},
      {"POLYPOLYGON polygon count beyond the record", DrawingFile({Rec(MetaPolyPolygon, {0xFFFF, 3, 3})})},
      {"POLYPOLYGON counts summing beyond the record",
       DrawingFile({Rec(MetaPolyPolygon, {2, 100, 100, 10, 10, 20, 20, 30, 10})})},
      {"POLYPOLYGON counts whose sum wraps 16 bits", DrawingFile({Rec(MetaPolyPolygon, {2, 0xFFFF, 2, 10, 10})})},
      {"POLYPOLYGON with every count 0xFFFF",
       DrawingFile({With(Rec(MetaPolyPolygon, {0x100}), std::vector<uint16_t>(0x100 + 8, 0xFFFF))})},
      {"POLYPOLYGON of no polygons", DrawingFile({Rec(MetaPolyPolygon, {0})})},
  });
}

// EXTTEXTOUT: y, x, length, options, [rectangle], string, [advances].
WmfRecord ExtText(uint16_t length, uint16_t options, std::vector<uint16_t> rest) {
  return With(Rec(MetaExtTextOut, {200, 100, length, options}), rest);
}

TEST(MalformedInput, Texts) {
  const uint16_t ab = 0x6261, cd = 0x6463;
  constexpr uint16_t kOpaque = 0x0002, kClipped = 0x0004;
  ExpectEachCase({
      {"TEXTOUT length beyond the record", DrawingFile({Rec(MetaTextOut, {0xFFFF, ab, 200, 100})})},
      {"TEXTOUT without its position", DrawingFile({Rec(MetaTextOut, {4, ab, cd})})},
      {"TEXTOUT with only a length", DrawingFile({Rec(MetaTextOut, {3})})},
      {"TEXTOUT of odd length", DrawingFile({Rec(MetaTextOut, {3, ab, 0x0063, 200, 100})})},
      {"TEXTOUT of length 0", DrawingFile({Rec(MetaTextOut, {0, 200, 100})})},
      {"EXTTEXTOUT length beyond the record", DrawingFile({ExtText(0xFFFF, 0, {ab, cd})})},
      {"EXTTEXTOUT of odd length", DrawingFile({ExtText(3, 0, {ab, 0x0063})})},
      {"EXTTEXTOUT of odd length with advances", DrawingFile({ExtText(3, 0, {ab, 0x0063, 10, 10, 10})})},
      {"EXTTEXTOUT clipped without room for the rectangle", DrawingFile({ExtText(2, kClipped, {})})},
      {"EXTTEXTOUT opaque with half a rectangle", DrawingFile({ExtText(2, kOpaque, {50, 50})})},
      {"EXTTEXTOUT opaque, clipped, rectangle but no string", DrawingFile({ExtText(2, kOpaque | kClipped, {50, 50, 300, 250})})},
      {"EXTTEXTOUT with every option bit", DrawingFile({ExtText(2, 0xFFFF, {50, 50, 300, 250, ab})})},
      {"EXTTEXTOUT advances shorter than the text", DrawingFile({ExtText(6, 0, {ab, cd, ab, 10, 10})})},
      {"EXTTEXTOUT advances at the limits", DrawingFile({ExtText(4, kOpaque, {0, 0, 300, 250, ab, cd, 0x8000, 0x7FFF, 0xFFFF, 0x8000})})},
      {"EXTTEXTOUT of length 0 with a rectangle", DrawingFile({ExtText(0, kOpaque, {50, 50, 300, 250})})},
      {"font of one parameter", DrawingFile({Rec(MetaCreateFontIndirect, {40}), Rec(MetaSelectObject, {1}),
                                             ExtText(2, 0, {ab})})},
      {"font with a face name filling the record",
       DrawingFile({With(Rec(MetaCreateFontIndirect, {0x8000, 0x8000, 0x8000, 0x8000, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF}),
                         std::vector<uint16_t>(40, 0x4141)),
                    Rec(MetaSelectObject, {1}), ExtText(2, 0, {ab}), Rec(MetaTextOut, {2, ab, 200, 100})})},
  });
}

// ------------------------------------------------ device-independent bitmaps

// A BITMAPINFOHEADER whose fields say what the case says, followed by `rest`
// (colour table and pixels, as far as they go).
std::vector<uint8_t> Dib(uint32_t headerBytes, int32_t width, int32_t height, uint16_t bitCount, uint32_t compression,
                         uint32_t colorsUsed, std::vector<uint8_t> rest) {
  std::vector<uint8_t> out;
  PutDoubleWord(out, headerBytes);
  PutDoubleWord(out, static_cast<uint32_t>(width));
  PutDoubleWord(out, static_cast<uint32_t>(height));
  PutWord(out, 1);
  PutWord(out, bitCount);
  PutDoubleWord(out, compression);
  for (int i = 0; i < 3; ++i) PutDoubleWord(out, 0);  // image size, resolution
  PutDoubleWord(out, colorsUsed);
  PutDoubleWord(out, 0);
  return out + rest;
}

std::vector<uint8_t> Filled(size_t count, uint8_t value = 0x5A) { return std::vector<uint8_t>(count, value); }

constexpr uint32_t kRle8 = 1, kRle4 = 2, kBitfields = 3, kJpeg = 4;

struct DibCase {
  const char* name;
  std::vector<uint8_t> dib;
};

std::vector<DibCase> DibCases() {
  const std::vector<uint8_t> palette2 = Filled(8);
  return {
      {"sound 4x4 8-bit bitmap", Dib(40, 4, 4, 8, 0, 0, Filled(1024 + 16))},
      {"header size 0", Dib(0, 4, 4, 8, 0, 0, Filled(1024 + 16))},
      {"header size 1", Dib(1, 4, 4, 8, 0, 0, Filled(1024 + 16))},
      {"header size 0xFFFFFFFF", Dib(0xFFFFFFFF, 4, 4, 8, 0, 0, Filled(1024 + 16))},
      {"header size of a core header with a big image", Dib(12, 0xFFFF, 0xFFFF, 8, 0, 0, Filled(16))},
      {"header cut short", std::vector<uint8_t>{40, 0, 0, 0, 4, 0}},
      {"bit count 0", Dib(40, 4, 4, 0, 0, 0, Filled(64))},
      {"bit count 64", Dib(40, 4, 4, 64, 0, 0, Filled(128))},
      {"width * height * bits beyond 32 bits", Dib(40, 0x10000, 0x10000, 32, 0, 0, Filled(64))},
      {"width * height * bits beyond 64 bits", Dib(40, 0x7FFFFFFF, -0x7FFFFFFF, 32, 0, 0, Filled(64))},
      {"negative width", Dib(40, -4, 4, 8, 0, 0, Filled(1024 + 16))},
      {"height -2^31", Dib(40, 4, INT32_MIN, 8, 0, 0, Filled(1024 + 16))},
      {"colour count beyond the record", Dib(40, 4, 4, 8, 0, 0xFFFFFFFF, Filled(1024 + 16))},
      {"default colour table beyond the record", Dib(40, 4, 4, 8, 0, 0, Filled(16))},
      {"pixels beyond the record", Dib(40, 4, 4, 24, 0, 0, Filled(16))},
      {"bit fields at 8 bits", Dib(40, 4, 4, 8, kBitfields, 0, Filled(1024 + 16))},
      {"JPEG compression", Dib(40, 4, 4, 0, kJpeg, 0, Filled(40))},
      // Run-length bitmaps are turned as the pixels they draw.
      {"RLE8 image far larger than its runs", Dib(40, 0x10000, 0x10000, 8, kRle8, 2, palette2 + std::vector<uint8_t>{0, 1})},
      {"RLE4 image far larger than its runs", Dib(40, 0x10000, 0x10000, 4, kRle4, 2, palette2 + std::vector<uint8_t>{0, 1})},
      {"RLE8 runs without an end", Dib(40, 4, 4, 8, kRle8, 2, palette2 + std::vector<uint8_t>{4, 1, 0, 0, 4, 1})},
      {"RLE8 run past the image", Dib(40, 4, 4, 8, kRle8, 2, palette2 + std::vector<uint8_t>{255, 1, 0, 1})},
      {"RLE8 move past the image", Dib(40, 4, 4, 8, kRle8, 2, palette2 + std::vector<uint8_t>{0, 2, 255, 255, 1, 1, 0, 1})},
      {"RLE8 literal beyond the record", Dib(40, 4, 4, 8, kRle8, 2, palette2 + std::vector<uint8_t>{0, 200, 1, 1})},
      {"RLE4 with colour count beyond the record", Dib(40, 4, 4, 4, kRle4, 0xFFFFFFFF, std::vector<uint8_t>{0, 1})},
  };
}

// The records that carry a bitmap, each drawing a 4x4 source into a box.
struct DibRecord {
  const char* name;
  std::function<std::vector<WmfRecord>(const std::vector<uint16_t>& dib)> records;
};

const DibRecord kDibRecords[] = {
    {"STRETCHDIB", [](const auto& dib) {
       return std::vector{With(Rec(MetaStretchDib, {0x0020, 0x00CC, 0, 4, 4, 0, 0, 100, 120, 50, 60}), dib)};
     }},
    {"DIBSTRETCHBLT", [](const auto& dib) {
       return std::vector{With(Rec(MetaDibStretchBlt, {0x0020, 0x00CC, 4, 4, 0, 0, 100, 120, 50, 60}), dib)};
     }},
    {"DIBBITBLT", [](const auto& dib) {
       return std::vector{With(Rec(MetaDibBitBlt, {0x0020, 0x00CC, 0, 0, 4, 4, 50, 60}), dib)};
     }},
    {"SETDIBTODEV", [](const auto& dib) {
       return std::vector{With(Rec(MetaSetDibToDev, {0, 4, 0, 0, 0, 4, 4, 50, 60}), dib)};
     }},
    {"DIBCREATEPATTERNBRUSH", [](const auto& dib) {
       return std::vector{With(Rec(MetaDibCreatePatternBrush, {5, 0}), dib), Rec(MetaSelectObject, {1}),
                          test::Rectangle(50, 60, 200, 180), Rec(MetaDeleteObject, {1})};
     }},
};

// Every faulty bitmap in every record that carries one; the option sets
// turn the picture by 90 and 180 degrees, which turns the bitmaps.
TEST(MalformedInput, Bitmaps) {
  std::vector<Case> cases;
  for (const DibCase& dib : DibCases())
    for (const DibRecord& record : kDibRecords)
      cases.push_back({std::string(record.name) + ", " + dib.name, DrawingFile(record.records(Words(dib.dib)))});
  ExpectEachCase(cases);
}

TEST(MalformedInput, ObjectIndices) {
  const WmfRecord select0 = Rec(MetaSelectObject, {0}), delete0 = Rec(MetaDeleteObject, {0});
  std::vector<WmfRecord> many;
  for (int i = 1; i <= 6; ++i) many.push_back(i % 2 ? test::Pen(0x10101 * i) : test::Brush(0x10101 * i));
  for (int i = 1; i <= 6; ++i) many.push_back(Rec(MetaSelectObject, {i}));
  many.push_back(test::Rectangle(10, 10, 90, 90));
  for (int i = 1; i <= 6; ++i) many.push_back(Rec(MetaDeleteObject, {i}));
  ExpectEachCase({
      {"SELECTOBJECT beyond the table", DrawingFile({Rec(MetaSelectObject, {5})})},
      {"SELECTOBJECT 0xFFFF", DrawingFile({Rec(MetaSelectObject, {0xFFFF})})},
      {"DELETEOBJECT beyond the table", DrawingFile({Rec(MetaDeleteObject, {7})})},
      {"DELETEOBJECT 0xFFFF", DrawingFile({Rec(MetaDeleteObject, {0xFFFF})})},
      {"selecting a deleted slot", DrawingFile({delete0, select0, test::LineTo(20, 20)})},
      {"deleting a slot twice", DrawingFile({delete0, delete0, test::Pen(0xFF00), select0})},
      {"selecting a slot the header counts but nothing filled",
       With16(DrawingFile({Rec(MetaSelectObject, {3}), Rec(MetaDeleteObject, {3})}), kObjects, 8)},
      {"more objects than the header claims", With16(DrawingFile(many), kObjects, 1)},
      {"a deleted slot taken again by a brush", DrawingFile({delete0, test::Brush(0xFF), select0, test::Rectangle(1, 1, 9, 9)})},
      {"region records naming a pen and empty slots",
       DrawingFile({Rec(MetaFillRegion, {0, 0}), Rec(MetaFrameRegion, {9, 0, 2, 2}), Rec(MetaPaintRegion, {0xFFFF}),
                    Rec(MetaInvertRegion, {0}), Rec(MetaSelectClipRegion, {4})})},
      {"SELECTPALETTE of a pen", DrawingFile({Rec(MetaSelectPalette, {0}), Rec(MetaRealizePalette, {})})},
      {"object records without their index", DrawingFile({Rec(MetaSelectObject, {}), Rec(MetaDeleteObject, {}),
                                                           Rec(MetaFrameRegion, {0})})},
  });
}

TEST(MalformedInput, Escapes) {
  constexpr uint16_t kComment = 0x000F;
  ExpectEachCase({
      {"ESCAPE byte count beyond the record", DrawingFile({Rec(MetaEscape, {kComment, 0xFFFF, 0x4141})})},
      {"ESCAPE odd byte count one beyond", DrawingFile({Rec(MetaEscape, {kComment, 5, 0x4141, 0x4141})})},
      {"ESCAPE without a byte count", DrawingFile({Rec(MetaEscape, {kComment})})},
      {"ESCAPE without parameters", DrawingFile({Rec(MetaEscape, {})})},
  });
}

TEST(MalformedInput, CoordinatesAtTheLimits) {
  const WmfRecord anisotropic = Rec(MetaSetMapMode, {8});
  const auto lines = [](std::vector<WmfRecord> before) {
    before.insert(before.end(), {Rec(MetaMoveTo, {-32768, -32768}), test::LineTo(32767, 32767), test::LineTo(-32768, 32767),
                                 test::Poly(MetaPolygon, {{-32768, -32768}, {32767, -32768}, {32767, 32767}}),
                                 test::Rectangle(-32768, -32768, 32767, 32767),
                                 Rec(MetaRoundRect, {-32768, 32767, 32767, 32767, -32768, -32768}),
                                 Rec(MetaArc, {32767, 32767, -32768, -32768, 32767, 32767, -32768, -32768}),
                                 ExtText(2, 0x0006, {0x8000, 0x8000, 0x7FFF, 0x7FFF, 0x4141}),
                                 Rec(MetaSetTextAlign, {0x1A}), Rec(MetaTextOut, {2, 0x4141, 32767, 32767})});
    return before;
  };
  std::vector<Case> cases = {
      {"drawing at ±32767 and -32768", WriteWmf(lines({test::WindowExt(1000, 800)}))},
      {"window extent 0", WriteWmf(lines({test::WindowExt(0, 0)}))},
      {"window extent negative", WriteWmf(lines({test::WindowExt(-1000, -800)}))},
      {"window extent -32768", WriteWmf(lines({test::WindowExt(-32768, -32768)}))},
      {"window extent 1 at origin -32768", WriteWmf(lines({test::WindowOrg(-32768, -32768), test::WindowExt(1, 1)}))},
      {"window extent 32767 wide, 1 high", WriteWmf(lines({test::WindowExt(32767, 1)}))},
      {"viewport extent 0 and -32768",
       WriteWmf(lines({anisotropic, test::WindowExt(1000, 800), Rec(MetaSetViewportExt, {0, 0}),
                       Rec(MetaSetViewportExt, {-32768, 1}), Rec(MetaSetViewportOrg, {-32768, 32767})}))},
      {"window and viewport scaled by 0 and by 32767",
       WriteWmf(lines({anisotropic, test::WindowExt(1000, 800), Rec(MetaScaleWindowExt, {0, 1, 0, 1}),
                       Rec(MetaScaleWindowExt, {1, 32767, 1, 32767}), Rec(MetaScaleViewportExt, {1, -32768, 1, 32767})}))},
      {"window origin offset beyond 32 bits",
       WriteWmf(lines(std::vector<WmfRecord>(200, Rec(MetaOffsetWindowOrg, {-32768, -32768}))))},
      {"clip and region at the limits",
       WriteWmf(lines({test::WindowExt(1000, 800), Rec(MetaIntersectClipRect, {32767, 32767, -32768, -32768}),
                       Rec(MetaOffsetClipRgn, {-32768, 32767}),
                       Rec(MetaCreateRegion, {0, 6, 0, 0, 34, 1, 2, -32768, -32768, 32767, 32767, 2, -32768,
                                              32767, -32768, 32767, 2})}))},
  };
  // A logical unit becomes 2^31 viewport units on a reference window of
  // 32767: coordinates and text lengths reach far beyond 64-bit products.
  WmfRecord longText = Rec(MetaTextOut, {0xFFFF});
  longText.params.insert(longText.params.end(), 0x8000, 0x4141);
  longText.params.insert(longText.params.end(), {32767, 32767});
  WmfRecord longAdvances = ExtText(0x8000, 0, std::vector<uint16_t>(0x4000, 0x4141));
  longAdvances.params.insert(longAdvances.params.end(), 0x8000, 0x7FFF);
  cases.push_back({"drawing in a mapping scaled to the 32-bit limit",
                   WriteWmf(lines({anisotropic, test::WindowExt(32767, 32767), test::LineTo(1, 1), test::WindowExt(1, 1),
                                   Rec(MetaSetViewportExt, {32767, 32767}), Rec(MetaScaleViewportExt, {1, 32767, 1, 32767}),
                                   Rec(MetaScaleViewportExt, {1, 32767, 1, 32767}), longText, Rec(MetaSetTextAlign, {1}),
                                   longText, longText, Rec(MetaSetTextAlign, {3}), longText, longText, longAdvances,
                                   test::Pen(0x00FF00, 32767), Rec(MetaCreateFontIndirect, {-32768, 32767})}))});
  // The window the picture first draws in scaled to 2^31 units, then a
  // logical unit made 2^31 viewport units: points lie beyond 64 bits.
  cases.push_back({"drawing in a reference window scaled to the 32-bit limit",
                   WriteWmf(lines({anisotropic, test::WindowExt(32767, 32767), Rec(MetaScaleWindowExt, {1, 32767, 1, 32767}),
                                   Rec(MetaScaleWindowExt, {1, 32767, 1, 32767}), test::LineTo(1, 1), test::WindowExt(1, 1),
                                   Rec(MetaSetViewportExt, {32767, 32767}), Rec(MetaScaleViewportExt, {1, 32767, 1, 32767}),
                                   Rec(MetaScaleViewportExt, {1, 32767, 1, 32767}), longText, longAdvances,
                                   Rec(MetaPatBlt, {0x0020, 0x00CC, 32767, 32767, -32768, -32768}),
                                   Rec(MetaIntersectClipRect, {32767, 32767, -32768, -32768}),
                                   Rec(MetaOffsetClipRgn, {32767, 32767}), Rec(MetaOffsetClipRgn, {32767, 32767}),
                                   Rec(MetaOffsetClipRgn, {32767, 32767}), Rec(MetaOffsetClipRgn, {32767, 32767}),
                                   Rec(MetaOffsetClipRgn, {32767, 32767})}))});
  const std::vector<uint8_t> drawing = WriteWmf(lines({test::WindowExt(1000, 800)}));
  for (const auto& [name, pict] : {std::pair{"clipboard extent 0", MetafilePict{8, 0, 0}},
                                   std::pair{"clipboard extent negative", MetafilePict{8, -20320, -15240}},
                                   std::pair{"clipboard extent at the limit", MetafilePict{8, INT32_MAX, INT32_MIN}},
                                   std::pair{"MM_TEXT with extent 0", MetafilePict{1, 0, 0}},
                                   std::pair{"MM_TEXT at the limit", MetafilePict{1, INT32_MAX, INT32_MAX}}})
    cases.push_back({name, drawing, nullptr, std::nullopt, pict});
  ExpectEachCase(cases);
}

TEST(MalformedInput, SavingAndRestoring) {
  const WmfRecord save = Rec(MetaSaveDC, {});
  ExpectEachCase({
      {"RESTOREDC -32768", DrawingFile({save, save, Rec(MetaRestoreDC, {-32768})})},
      {"RESTOREDC +32767", DrawingFile({save, save, Rec(MetaRestoreDC, {32767})})},
      {"RESTOREDC 0", DrawingFile({save, Rec(MetaRestoreDC, {0})})},
      {"RESTOREDC without a level", DrawingFile({save, Rec(MetaRestoreDC, {})})},
      {"more restores than saves", DrawingFile(std::vector<WmfRecord>(100, Rec(MetaRestoreDC, {-1})))},
      {"a window origin of its own in a block never restored",
       DrawingFile({save, test::WindowOrg(500, 500), test::LineTo(10, 10), save, save})},
  });
}

// Every known record far too short for its fields and with its fields at
// every extreme: 0 to 12 parameters, each all 0, 1, 2, 0x7FFF, 0x8000 or 0xFFFF.
TEST(MalformedInput, EveryKnownRecordShortAndAtItsExtremes) {
#define WMF_FUNCTION_ROW(name, text, number, creates, slots, shape) {number, text},
  const std::pair<uint16_t, const char*> functions[] = {WMF_RECORD_KINDS(WMF_FUNCTION_ROW)};
#undef WMF_FUNCTION_ROW
  std::vector<Case> cases;
  for (const auto& [function, name] : functions) {
    std::vector<WmfRecord> records;
    for (size_t count = 0; count <= 12; ++count)
      for (const uint16_t fill : {0, 1, 2, 0x7FFF, 0x8000, 0xFFFF})
        records.push_back(WmfRecord{function, std::vector<uint16_t>(count, fill)});
    cases.push_back({name, DrawingFile(records)});
  }
  ExpectEachCase(cases);
}

// `head`, `times` copies of `unit`, `tail` and the end record.
std::vector<uint8_t> Repeated(const std::vector<WmfRecord>& head, const std::vector<WmfRecord>& unit, size_t times,
                              const std::vector<WmfRecord>& tail) {
  std::vector<uint8_t> unitBytes;
  for (const WmfRecord& r : unit) unitBytes = unitBytes + RawRecord(r.SizeWords(), r.function, r.params);
  std::vector<uint8_t> bytes = WithoutEnd(head);
  const size_t at = bytes.size();
  bytes.resize(at + times * unitBytes.size());
  for (size_t i = 0; i < times; ++i) std::memcpy(&bytes[at + i * unitBytes.size()], unitBytes.data(), unitBytes.size());
  for (const WmfRecord& r : tail) bytes = bytes + RawRecord(r.SizeWords(), r.function, r.params);
  return bytes + kEndRecord;
}

// A polyline of `points` points across the window.
WmfRecord Zigzag(int points) {
  WmfRecord line{MetaPolyline, {static_cast<uint16_t>(points)}};
  for (int i = 0; i < points; ++i) {
    line.params.push_back(static_cast<uint16_t>(10 + 25 * i));
    line.params.push_back(static_cast<uint16_t>(i % 2 ? 700 : 10));
  }
  return line;
}

// A region of `scans` bands of one rectangle each, the band i reaching from
// `left(i)` to `right(i)`: next in chain, type, object count (2 words), size
// in bytes (16 bits, wrapped here), scan count, largest scan, bounds, then
// the scans.
WmfRecord BandedRegion(int scans, const std::function<int(int)>& left, const std::function<int(int)>& right) {
  WmfRecord region = Rec(MetaCreateRegion, {0, 6, 0, 0, 22 + 12 * scans, scans, 2, 0, 0, 32767, 2 * scans});
  for (int i = 0; i < scans; ++i)
    region.params.insert(region.params.end(), {2, static_cast<uint16_t>(2 * i), static_cast<uint16_t>(2 * i + 2),
                                               static_cast<uint16_t>(left(i)), static_cast<uint16_t>(right(i)), 2});
  return region;
}

// Regions are rebuilt band by band in the output, turned or not, in time
// that grows with their bands and spans, not with their square.
TEST(MalformedInput, RegionsOfManyBands) {
  constexpr int kBands = 10'000;
  const auto fill = [](const WmfRecord& region) {
    return DrawingFile({region, Rec(MetaFillRegion, {1, 0}), Rec(MetaSelectClipRegion, {1})});
  };
  ExpectEachCase({
      {"staircase of 10,000 bands", fill(BandedRegion(kBands, [](int i) { return i; }, [](int i) { return i + 10; }))},
      {"triangle of 10,000 bands", fill(BandedRegion(kBands, [](int) { return 0; }, [](int i) { return kBands - i; }))},
  });
}

// Large pictures read and play in memory bounded by their size. One option
// set keeps the time under the sanitizers to seconds.
TEST(MalformedInput, LargePicturesStayBounded) {
  const struct {
    const char* name;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"a million SAVEDC", Repeated(Drawing({}), {Rec(MetaSaveDC, {})}, 1'000'000, {test::LineTo(700, 600)})},
      // More objects than the output's 16-bit object count can hold.
      {"70,000 objects alive at once", Repeated(Drawing({}), {test::Pen(0x00FF00)}, 70'000,
                                                {Rec(MetaSelectObject, {0xFFFF}), test::LineTo(10, 10)})},
      {"30 MB of polylines", Repeated({test::WindowExt(1000, 800)}, {Zigzag(32)}, 30'000'000 / 136, {})},
  };
  Surroundings defaults(kOptionSets[0]);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto start = std::chrono::steady_clock::now();
    ExpectSoundPlay(c.bytes, kPict, defaults, true);
    std::printf("%s: %.1f s\n", c.name, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
}

// ================================================== enhanced metafiles
//
// The same for enhanced metafiles: a malformed picture is refused by
// ReadEmf with a message naming the record and its byte offset, or read,
// captured and played under every option set into a sound picture (see
// emf_output_checks.h).

using test::EmfBuilder;

std::vector<uint8_t> Bytes32(std::initializer_list<uint32_t> values) {
  std::vector<uint8_t> out;
  for (uint32_t v : values) PutDoubleWord(out, v);
  return out;
}

std::vector<uint8_t> FloatBytes(std::initializer_list<float> values) {
  std::vector<uint8_t> out(4 * values.size());
  std::memcpy(out.data(), std::data(values), out.size());
  return out;
}

// A small drawing of 100 × 50 mm in 0.01 mm with the records under test
// amid it: a pen, a box, the records, a line, a text and a bitmap after them.
std::vector<uint8_t> EmfDrawing(const std::function<void(EmfBuilder&)>& middle) {
  EmfBuilder e({0, 0, 9999, 4999});
  e.Record(EmrSetMapMode, {8})
      .Record(EmrSetWindowExtEx, {10000, 5000})
      .Record(EmrSetViewportExtEx, {378, 189})
      .Record(EmrCreatePen, {1, 0, 10, 0, 0x0000FF})
      .Record(EmrSelectObject, {1})
      .Record(EmrRectangle, {1000, 1000, 3000, 2000});
  middle(e);
  // EMR_EXTTEXTOUTW of "Ab", then EMR_STRETCHDIBITS of a 2 × 2 24-bit bitmap.
  e.Record(EmrLineTo, {6000, 4000})
      .Record(EmrExtTextOutW, {0, 0, 0, 0, 1, 0, 0, 2000, 3000, 2, 76, 0, 0, 0, 0, 0, 0, 0x00620041});
  e.Raw(EmrStretchDIBits, Bytes32({0, 0, 0, 0, 4000, 1000, 0, 0, 2, 2, 80, 40, 120, 16, 0, 0x00CC0020, 1000, 1000,
                                   40, 2, 2, 1 | 24u << 16, 0, 16, 0, 0, 0, 0, 0xFF0000FF, 0xFF00, 0xFF00FF00, 0xFF}));
  return e.Finish();
}

// A record of `type` whose size field says `size`, whatever follows.
std::vector<uint8_t> EmfRaw(uint32_t type, uint32_t size, const std::vector<uint8_t>& body = {}) {
  return Bytes32({type, size}) + body;
}

// `bytes` with `record` put before its EMR_EOF (the last 20 bytes).
std::vector<uint8_t> BeforeEof(std::vector<uint8_t> bytes, const std::vector<uint8_t>& record) {
  bytes.insert(bytes.end() - 20, record.begin(), record.end());
  return bytes;
}

struct EmfCase {
  std::string name;
  std::vector<uint8_t> bytes;
  std::string refusal;  // part of ReadEmf's message; empty: the picture reads
};

void ExpectSoundEmfPlay(const std::vector<uint8_t>& bytes, Surroundings& surroundings, bool fromCad) {
  SCOPED_TRACE(std::string(surroundings.options.name) + (fromCad ? ", CAD" : ", other"));
  EmfPicture picture;
  std::string error;
  ASSERT_TRUE(ReadEmf(bytes, picture, error)) << error;
  const CEnhMetafile captured(std::move(picture), 0, surroundings.harness.context, fromCad);
  if (!captured.Unimprovable().empty()) return;  // left as it is, and said why
  const std::optional<std::string> fault = test::EmfOutputFault(captured.Play(surroundings.harness.settings).bytes);
  EXPECT_FALSE(fault) << *fault;
}

void ExpectEachEmfCase(const std::vector<EmfCase>& cases) {
  std::vector<std::unique_ptr<Surroundings>> optionSets;
  for (const OptionSet& options : kOptionSets) optionSets.push_back(std::make_unique<Surroundings>(options));
  for (const EmfCase& c : cases) {
    SCOPED_TRACE(c.name);
    EmfPicture picture;
    std::string error;
    const bool read = ReadEmf(c.bytes, picture, error);
    if (!c.refusal.empty()) {
      EXPECT_FALSE(read);
      EXPECT_NE(error.find(c.refusal), std::string::npos) << error;
      continue;
    }
    ASSERT_TRUE(read) << error;
    for (const auto& surroundings : optionSets)
      for (const bool fromCad : {true, false}) ExpectSoundEmfPlay(c.bytes, *surroundings, fromCad);
  }
}

// Header fields by byte offset in the header record.
enum EmfHeaderField : size_t { kEmfHeaderSize = 4, kEmfBytes = 48, kEmfRecords = 52, kEmfHandles = 56,
                               kEmfDescriptionChars = 60, kEmfDescriptionAt = 64, kEmfPaletteEntries = 68,
                               kEmfPixelFormatBytes = 88, kEmfPixelFormatAt = 92 };

TEST(MalformedEmf, RecordFraming) {
  const std::vector<uint8_t> sound = EmfDrawing([](EmfBuilder&) {});
  const size_t at = sound.size() - 20;  // where a record before EMR_EOF stands
  const std::string there = " at byte " + std::to_string(at) + " has a size of ";
  const auto refusal = [&](const char* name, uint32_t size) { return name + there + std::to_string(size) + " bytes"; };
  ExpectEachEmfCase({
      {"a record past the end", BeforeEof(sound, EmfRaw(EmrLineTo, 0x1000, Bytes32({5, 5}))),
       refusal("EMR_LINETO", 0x1000)},
      {"a record of 0xFFFFFFFC bytes", BeforeEof(sound, EmfRaw(EmrLineTo, 0xFFFFFFFC, Bytes32({5, 5}))),
       refusal("EMR_LINETO", 0xFFFFFFFC)},
      {"a size not a multiple of 4", BeforeEof(sound, EmfRaw(EmrLineTo, 14, Bytes32({5, 5}))), refusal("EMR_LINETO", 14)},
      {"a size of 0", BeforeEof(sound, EmfRaw(EmrLineTo, 0, Bytes32({5, 5}))), refusal("EMR_LINETO", 0)},
      {"a size of 4", BeforeEof(sound, EmfRaw(EmrLineTo, 4, Bytes32({5, 5}))), refusal("EMR_LINETO", 4)},
      {"an unknown record of 6 bytes", BeforeEof(sound, EmfRaw(0x7777, 6, Bytes32({5}))), refusal("EMF record 0x7777", 6)},
      {"EMR_EOF past the end", With32(sound, at + 4, 400), refusal("EMR_EOF", 400)},
      {"cut inside EMR_EOF", std::vector<uint8_t>(sound.begin(), sound.end() - 4), refusal("EMR_EOF", 20)},
      {"no EMR_EOF", std::vector<uint8_t>(sound.begin(), sound.end() - 20),
       "the data ends at byte " + std::to_string(at) + " without an EMR_EOF record"},
      {"a header of 0 bytes", With32(sound, kEmfHeaderSize, 0), "EMR_HEADER at byte 0 has a size of 0 bytes"},
      {"a header of 84 bytes", With32(sound, kEmfHeaderSize, 84), "EMR_HEADER at byte 0 has 84 bytes; it needs at least 88"},
      {"a header past the end", With32(sound, kEmfHeaderSize, 0x7FFFFFFC), "EMR_HEADER at byte 0 has a size of 2147483644"},
      {"records after EMR_EOF", sound + EmfRaw(EmrLineTo, 3)},
      {"unknown record types", BeforeEof(sound, EmfRaw(0, 8) + EmfRaw(0x7777, 12, Bytes32({1})) + EmfRaw(0xFFFFFFFF, 8))},
      {"a second EMR_HEADER", BeforeEof(sound, EmfRaw(EmrHeader, 8))},
  });
}

TEST(MalformedEmf, HeaderCountsThatLie) {
  // Objects in slots 1 to 6 under a header that counts fewer.
  const std::vector<uint8_t> six = EmfDrawing([](EmfBuilder& e) {
    for (int32_t i = 1; i <= 6; ++i) e.Record(EmrCreateBrushIndirect, {i, 0, 0x10101 * i, 0}).Record(EmrSelectObject, {i});
    e.Record(EmrRectangle, {100, 100, 900, 900});
  });
  std::vector<EmfCase> cases;
  for (const uint32_t value : {0u, 7u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
    cases.push_back({"bytes " + std::to_string(value), With32(six, kEmfBytes, value)});
    cases.push_back({"records " + std::to_string(value), With32(six, kEmfRecords, value)});
  }
  for (const uint16_t value : {0, 1, 3, 0xFFFF}) cases.push_back({"handles " + std::to_string(value), With16(six, kEmfHandles, value)});
  cases.push_back({"description beyond the header", With32(With32(six, kEmfDescriptionChars, 0x7FFFFFFF), kEmfDescriptionAt, 88)});
  cases.push_back({"description far beyond", With32(With32(six, kEmfDescriptionChars, 4), kEmfDescriptionAt, 0xFFFFFFF0)});
  cases.push_back({"pixel format beyond the header", With32(With32(six, kEmfPixelFormatBytes, 40), kEmfPixelFormatAt, 100)});
  cases.push_back({"palette entries that EMR_EOF lacks", With32(six, kEmfPaletteEntries, 0xFFFF)});
  cases.push_back({"frame inverted", With32(With32(six, 24, 9999), 32, 0)});
  cases.push_back({"no reference device", With32(With32(With32(With32(six, 72, 0), 76, 0), 80, 0), 84, 0)});
  cases.push_back({"reference device at the limits",
                   With32(With32(With32(With32(six, 72, 0x7FFFFFFF), 76, 1), 80, 0x80000000), 84, 0x7FFFFFFF)});
  ExpectEachEmfCase(cases);
}

// EMR_STRETCHDIBITS and EMR_BITBLT of a 2 × 2 24-bit bitmap with the given
// offsets and sizes (from the record's start) and header dimensions.
struct BlitFields {
  uint32_t offBmi = 0, cbBmi = 40, offBits = 0, cbBits = 16;
  int32_t width = 2, height = 2;
};

std::vector<uint8_t> BitmapBytes(const BlitFields& f) {
  return Bytes32({40, static_cast<uint32_t>(f.width), static_cast<uint32_t>(f.height), 1 | 24u << 16, 0, 16, 0, 0, 0, 0,
                  0xFF0000FF, 0xFF00, 0xFF00FF00, 0xFF});
}

std::vector<uint8_t> StretchDib(BlitFields f) {
  if (!f.offBmi) f.offBmi = 80;
  if (!f.offBits) f.offBits = 120;
  return Bytes32({0, 0, 0, 0, 4000, 1000, 0, 0, 2, 2, f.offBmi, f.cbBmi, f.offBits, f.cbBits, 0, 0x00CC0020, 1000, 1000}) +
         BitmapBytes(f);
}

std::vector<uint8_t> BitBlt(BlitFields f) {
  if (!f.offBmi) f.offBmi = 100;
  if (!f.offBits) f.offBits = 140;
  return Bytes32({0, 0, 0, 0, 4000, 1000, 2, 2, 0x00CC0020, 0, 0}) + FloatBytes({1, 0, 0, 1, 0, 0}) +
         Bytes32({0xFFFFFF, 0, f.offBmi, f.cbBmi, f.offBits, f.cbBits}) + BitmapBytes(f);
}

TEST(MalformedEmf, BitmapsLargerThanTheirRecords) {
  const struct {
    const char* name;
    BlitFields fields;
  } faults[] = {
      {"sound", {}},
      {"bits past the record", {0, 40, 0, 0xFFFFFFFF}},
      {"bits far past, their end wrapping 32 bits", {0, 40, 0xFFFFFFF0, 32}},
      {"header past the record", {0x7FFFFFF0, 40}},
      {"header size past the record", {0, 0xFFFFFFFF}},
      {"header in the record's type and size", {4, 40}},
      {"image of 65536 × 65536 in 16 bytes", {0, 40, 0, 16, 0x10000, 0x10000}},
      {"image of 2^31 rows", {0, 40, 0, 16, 2, INT32_MIN}},
      {"image wider than 64 bits of bytes", {0, 40, 0, 16, 0x7FFFFFFF, 0x7FFFFFFF}},
  };
  std::vector<EmfCase> cases;
  for (const auto& f : faults) {
    cases.push_back({std::string("STRETCHDIBITS, ") + f.name,
                     EmfDrawing([&](EmfBuilder& e) { e.Raw(EmrStretchDIBits, StretchDib(f.fields)); })});
    cases.push_back({std::string("BITBLT, ") + f.name, EmfDrawing([&](EmfBuilder& e) { e.Raw(EmrBitBlt, BitBlt(f.fields)); })});
  }
  cases.push_back({"STRETCHDIBITS without its fields", EmfDrawing([](EmfBuilder& e) { e.Record(EmrStretchDIBits, {0, 0, 0, 0, 1}); })});
  cases.push_back({"BITBLT without its fields", EmfDrawing([](EmfBuilder& e) { e.Record(EmrBitBlt, {0, 0, 0, 0, 1, 1, 5, 5}); })});
  ExpectEachEmfCase(cases);
}

TEST(MalformedEmf, ObjectIndicesOutOfRange) {
  const auto drawing = [](std::initializer_list<std::pair<uint32_t, std::vector<uint8_t>>> records) {
    return EmfDrawing([&](EmfBuilder& e) {
      for (const auto& [type, body] : records) e.Raw(type, body);
      e.Record(EmrRectangle, {100, 100, 900, 900});
    });
  };
  const std::vector<uint8_t> pen = Bytes32({0, 0, 0, 0xFF00});  // LOGPEN after the index
  std::vector<EmfCase> cases;
  for (const uint32_t index : {7u, 0xFFFFu, 0x10000u, 0x7FFFFFFFu, 0x80000001u, 0xFFFFFFFFu}) {
    const std::string n = std::to_string(index);
    cases.push_back({"SELECTOBJECT " + n, drawing({{EmrSelectObject, Bytes32({index})}})});
    cases.push_back({"DELETEOBJECT " + n, drawing({{EmrDeleteObject, Bytes32({index})}})});
    cases.push_back({"CREATEPEN in slot " + n + ", selected and deleted",
                     drawing({{EmrCreatePen, Bytes32({index}) + pen}, {EmrSelectObject, Bytes32({index})},
                              {EmrDeleteObject, Bytes32({index})}})});
    cases.push_back({"FILLRGN with brush " + n,
                     drawing({{EmrFillRgn, Bytes32({0, 0, 10, 10, 48, index, 32, 1, 1, 16, 0, 0, 10, 10, 0, 0, 10, 10})}})});
    cases.push_back({"SELECTPALETTE and SETPALETTEENTRIES " + n,
                     drawing({{EmrSelectPalette, Bytes32({index})}, {EmrSetPaletteEntries, Bytes32({index, 0, 1, 0xFF})},
                              {EmrRealizePalette, {}}})});
  }
  cases.push_back({"object records without their index",
                   drawing({{EmrSelectObject, {}}, {EmrDeleteObject, {}}, {EmrCreatePen, {}}, {EmrCreateBrushIndirect, {}},
                            {EmrSelectPalette, {}}, {EmrFillRgn, Bytes32({0, 0, 10, 10, 0})}})});
  cases.push_back({"a slot taken twice and deleted twice",
                   drawing({{EmrCreatePen, Bytes32({2}) + pen}, {EmrCreatePen, Bytes32({2}) + pen},
                            {EmrDeleteObject, Bytes32({2})}, {EmrDeleteObject, Bytes32({2})}, {EmrSelectObject, Bytes32({2})}})});
  ExpectEachEmfCase(cases);
}

TEST(MalformedEmf, WorldTransformsSingularOrHuge) {
  const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
  const struct {
    const char* name;
    std::vector<float> matrix;
  } matrices[] = {
      {"all 0", {0, 0, 0, 0, 0, 0}},
      {"collapsing onto a line", {1, 2, 2, 4, 10, 10}},
      {"NaN", {nan, 0, 0, 1, 0, 0}},
      {"NaN offset", {1, 0, 0, 1, nan, 0}},
      {"infinite scale", {inf, 0, 0, -inf, 0, 0}},
      {"infinite offset", {1, 0, 0, 1, -inf, inf}},
      {"1e30", {1e30f, 0, 0, 1e30f, 0, 0}},
      {"-1e30 turned", {0, -1e30f, 1e30f, 0, 1e30f, -1e30f}},
      {"1e-30", {1e-30f, 0, 0, 1e-30f, 0, 0}},
      {"float limits", {std::numeric_limits<float>::max(), 0, 0, std::numeric_limits<float>::max(), 0, 0}},
  };
  const auto transform = [](uint32_t type, const std::vector<float>& m, uint32_t mode) {
    std::vector<uint8_t> body(24);
    std::memcpy(body.data(), m.data(), 24);
    return type == EmrModifyWorldTransform ? body + Bytes32({mode}) : body;
  };
  std::vector<EmfCase> cases;
  for (const auto& m : matrices) {
    cases.push_back({std::string("SETWORLDTRANSFORM ") + m.name,
                     EmfDrawing([&](EmfBuilder& e) { e.Raw(EmrSetWorldTransform, transform(EmrSetWorldTransform, m.matrix, 0)); })});
    for (const uint32_t mode : {2u, 3u, 4u, 0xFFFFFFFFu})
      cases.push_back({std::string("MODIFYWORLDTRANSFORM ") + m.name + ", mode " + std::to_string(mode),
                       EmfDrawing([&](EmfBuilder& e) {
                         e.Raw(EmrModifyWorldTransform, transform(EmrModifyWorldTransform, m.matrix, mode));
                       })});
  }
  // Each product within floats' range, their product beyond.
  cases.push_back({"1e30 multiplied by itself", EmfDrawing([&](EmfBuilder& e) {
                     for (int i = 0; i < 3; ++i)
                       e.Raw(EmrModifyWorldTransform, transform(EmrModifyWorldTransform, {1e30f, 0, 0, 1e30f, 1e30f, 0}, 2));
                   })});
  cases.push_back({"window and viewport at the limits, then 1e30", EmfDrawing([&](EmfBuilder& e) {
                     e.Record(EmrSetWindowExtEx, {1, 1}).Record(EmrSetViewportExtEx, {INT32_MAX, INT32_MIN});
                     e.Raw(EmrSetWorldTransform, transform(EmrSetWorldTransform, {1e30f, 0, 0, 1e30f, 0, 0}, 0));
                   })});
  ExpectEachEmfCase(cases);
}

// RGNDATA of `rects` rectangles (as many as `count` says), `bytes` its size.
std::vector<uint8_t> RegionData(uint32_t count, uint32_t bytes, const std::vector<std::array<int32_t, 4>>& rects) {
  std::vector<uint8_t> out = Bytes32({32, 1, count, 16 * count, 0, 0, 1000, 1000});
  for (const auto& r : rects)
    out = out + Bytes32({static_cast<uint32_t>(r[0]), static_cast<uint32_t>(r[1]), static_cast<uint32_t>(r[2]),
                         static_cast<uint32_t>(r[3])});
  return Bytes32({bytes}) + out;  // cbRgnData first, as EMR_EXTSELECTCLIPRGN has it
}

TEST(MalformedEmf, RegionsWithHugeRectangleCounts) {
  const auto clip = [](const std::vector<uint8_t>& data) {  // cbRgnData, iMode (RGN_COPY), RgnData
    std::vector<uint8_t> body(data.begin(), data.begin() + 4);
    body = body + Bytes32({5}) + std::vector<uint8_t>(data.begin() + 4, data.end());
    return EmfDrawing([&](EmfBuilder& e) { e.Raw(EmrExtSelectClipRgn, body); });
  };
  const auto fill = [](const std::vector<uint8_t>& data) {  // Bounds, cbRgnData, ihBrush (a stock one), RgnData
    std::vector<uint8_t> body = Bytes32({0, 0, 1000, 1000}) + std::vector<uint8_t>(data.begin(), data.begin() + 4) +
                                Bytes32({0x80000004}) + std::vector<uint8_t>(data.begin() + 4, data.end());
    return EmfDrawing([&](EmfBuilder& e) { e.Raw(EmrFillRgn, body); });
  };
  const std::vector<std::array<int32_t, 4>> one = {{100, 100, 500, 500}};
  const std::vector<std::array<int32_t, 4>> limits = {{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, {0, 0, -5, -5}};
  std::vector<std::array<int32_t, 4>> staircase;
  for (int32_t i = 0; i < 10'000; ++i) staircase.push_back({i, 2 * i, i + 10, 2 * i + 2});
  std::vector<EmfCase> cases;
  for (const auto& [kind, record] : {std::pair{"EXTSELECTCLIPRGN", +clip}, std::pair{"FILLRGN", +fill}}) {
    const std::string k = kind;
    cases.push_back({k + ", count 0xFFFFFFFF", record(RegionData(0xFFFFFFFF, 48, one))});
    cases.push_back({k + ", count 0x10000000", record(RegionData(0x10000000, 48, one))});
    cases.push_back({k + ", region size 0xFFFFFFFF", record(RegionData(1, 0xFFFFFFFF, one))});
    cases.push_back({k + ", region size below its header", record(RegionData(1, 16, one))});
    cases.push_back({k + ", rectangles at the limits", record(RegionData(2, 64, limits))});
    cases.push_back({k + ", 10,000 rectangles", record(RegionData(10'000, 32 + 16 * 10'000, staircase))});
  }
  ExpectEachEmfCase(cases);
}

// EMR_EXTTEXTOUTW or A: bounds, iGraphicsMode, scales, then EMRTEXT with
// `chars`, the string at `offString` and the advances at `offDx` (from the
// record's start), then `tail`.
std::vector<uint8_t> ExtTextBody(uint32_t chars, uint32_t offString, uint32_t offDx, const std::vector<uint8_t>& tail) {
  return Bytes32({0, 0, 0, 0, 1, 0, 0, 2000, 1000, chars, offString, 0, 0, 0, 0, 0, offDx}) + tail;
}

TEST(MalformedEmf, TextsWithHugeCharacterCounts) {
  const std::vector<uint8_t> ab = Bytes32({0x00620041}), dx = Bytes32({100, 100});
  const auto text = [](uint32_t type, const std::vector<uint8_t>& body) {
    return EmfDrawing([&](EmfBuilder& e) { e.Raw(type, body); });
  };
  std::vector<uint8_t> longText = ExtTextBody(100'000, 76, 0, std::vector<uint8_t>(200'000, 0x41));
  std::vector<EmfCase> cases = {
      {"EXTTEXTOUTW sound", text(EmrExtTextOutW, ExtTextBody(2, 76, 80, ab + dx))},
      {"EXTTEXTOUTW of 0x7FFFFFFF characters", text(EmrExtTextOutW, ExtTextBody(0x7FFFFFFF, 76, 80, ab + dx))},
      {"EXTTEXTOUTW of 0xFFFFFFFF characters", text(EmrExtTextOutW, ExtTextBody(0xFFFFFFFF, 76, 0, ab))},
      {"EXTTEXTOUTW of 3 characters in 2", text(EmrExtTextOutW, ExtTextBody(3, 76, 0, ab))},
      {"EXTTEXTOUTW string past the record", text(EmrExtTextOutW, ExtTextBody(2, 0xFFFFFFF0, 80, ab + dx))},
      {"EXTTEXTOUTW string in the record's type and size", text(EmrExtTextOutW, ExtTextBody(2, 2, 0, ab))},
      {"EXTTEXTOUTW advances past the record", text(EmrExtTextOutW, ExtTextBody(2, 76, 0x7FFFFFFF, ab + dx))},
      {"EXTTEXTOUTW advances one short", text(EmrExtTextOutW, ExtTextBody(2, 76, 84, ab + dx))},
      {"EXTTEXTOUTW of 100,000 characters", text(EmrExtTextOutW, longText)},
      {"EXTTEXTOUTW without its EMRTEXT", text(EmrExtTextOutW, Bytes32({0, 0, 0, 0, 1, 0, 0, 2000}))},
      {"EXTTEXTOUTA of 0xFFFFFFFF characters", text(EmrExtTextOutA, ExtTextBody(0xFFFFFFFF, 76, 80, ab + dx))},
      {"POLYTEXTOUTW of 0xFFFFFFFF strings", text(EmrPolyTextOutW, Bytes32({0, 0, 0, 0, 1, 0, 0, 0xFFFFFFFF}))},
      {"POLYTEXTOUTW whose second string is past the record",
       text(EmrPolyTextOutW, Bytes32({0, 0, 0, 0, 1, 0, 0, 2, 10, 10, 2, 112, 0, 0, 0, 0, 0, 0, 10, 10, 0xFFFF, 112, 0, 0,
                                      0, 0, 0, 0}) + ab)},
  };
  ExpectEachEmfCase(cases);
}

TEST(MalformedEmf, PointCounts) {
  const auto drawing = [](uint32_t type, const std::vector<uint8_t>& body) {
    return EmfDrawing([&](EmfBuilder& e) { e.Raw(type, body); });
  };
  ExpectEachEmfCase({
      {"POLYLINE of 0xFFFFFFFF points in 2", drawing(EmrPolyline, Bytes32({0, 0, 0, 0, 0xFFFFFFFF, 10, 10, 20, 20}))},
      {"POLYLINE16 of 0x40000000 points in 2", drawing(EmrPolyline16, Bytes32({0, 0, 0, 0, 0x40000000, 0x000A000A, 0x00140014}))},
      {"POLYGON of 3 points in 2", drawing(EmrPolygon, Bytes32({0, 0, 0, 0, 3, 10, 10, 20, 20}))},
      {"POLYDRAW without its point types", drawing(EmrPolyDraw, Bytes32({0, 0, 0, 0, 2, 10, 10, 20, 20}))},
      {"POLYPOLYGON of 0xFFFFFFFF polygons", drawing(EmrPolyPolygon, Bytes32({0, 0, 0, 0, 0xFFFFFFFF, 3, 3, 10, 10}))},
      {"POLYPOLYGON whose counts exceed its points",
       drawing(EmrPolyPolygon, Bytes32({0, 0, 0, 0, 2, 3, 0xFFFFFFFF, 4, 10, 10, 20, 20, 30, 10}))},
      {"POLYPOLYLINE16 whose counts wrap 32 bits",
       drawing(EmrPolyPolyline16, Bytes32({0, 0, 0, 0, 2, 2, 0xFFFFFFFF, 3, 0x000A000A, 0x00140014}))},
  });
}

// Every known record far too short for its fields and with its fields at
// every extreme: 0 to 24 fields, each all 0, 1, 0x7FFFFFFF, 0x80000000 or
// 0xFFFFFFFF.
TEST(MalformedEmf, EveryKnownRecordShortAndAtItsExtremes) {
#define EMF_TYPE_ROW(name, text, number, flags) {number, text},
  const std::pair<uint32_t, const char*> kinds[] = {EMF_RECORD_KINDS(EMF_TYPE_ROW)};
#undef EMF_TYPE_ROW
  std::vector<EmfCase> cases;
  for (const auto& [type, name] : kinds) {
    if (type == EmrHeader || type == EmrEof) continue;  // the reader's own frame
    cases.push_back({name, EmfDrawing([type = type](EmfBuilder& e) {
                       for (size_t count = 0; count <= 24; ++count)
                         for (const uint32_t fill : {0u, 1u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu}) {
                           std::vector<uint8_t> body;
                           for (size_t i = 0; i < count; ++i) PutDoubleWord(body, fill);
                           e.Raw(type, body);
                         }
                     })});
  }
  ExpectEachEmfCase(cases);
}

}  // namespace
}  // namespace wmf
