#include <gtest/gtest.h>

#include <algorithm>

#include "sample_pictures.h"
#include "test_pictures.h"
#include "wmf_file.h"

namespace wmf {
namespace {

using test::FileBytes;
using test::Rec;

TEST(WmfFile, EveryCorpusPictureRoundTrips) {
  CLIPMEND_SKIP_WITHOUT_SAMPLE_PICTURES();
  const auto files = test::ReadableCorpus();
  ASSERT_GE(files.size(), 30u);
  for (const auto& path : files) {
    SCOPED_TRACE(path.filename().string());
    WmfPicture original;
    std::string error;
    ASSERT_TRUE(ReadWmf(FileBytes(path), original, error)) << error;
    EXPECT_FALSE(original.records.empty());

    const std::vector<uint8_t> written = WriteWmf(CopyOf(original.records));
    WmfPicture reread;
    ASSERT_TRUE(ReadWmf(written, reread, error)) << error;
    EXPECT_EQ(reread.records, original.records);
    EXPECT_EQ(reread.header.sizeWords * 2, written.size());
    uint32_t largest = 3;
    for (const RecordView r : original.records) largest = std::max(largest, r.SizeWords());
    EXPECT_EQ(reread.header.maxRecordWords, largest);
    EXPECT_EQ(reread.header.objectCount, PeakObjectSlots(CopyOf(original.records)));
    EXPECT_LE(reread.header.objectCount, std::max<uint16_t>(original.header.objectCount, 1));
  }
}

TEST(WmfFile, PlaceableHeaderIsReadAndWritten) {
  CLIPMEND_SKIP_WITHOUT_SAMPLE_PICTURES();
  WmfPicture picture;
  std::string error;
  ASSERT_TRUE(ReadWmf(FileBytes(test::CorpusDir() / "cad-usa.wmf"), picture, error)) << error;
  ASSERT_TRUE(picture.placeable.has_value());

  PlaceableHeader header{0, 0, 2000, 1500, 1000};
  const std::vector<uint8_t> file = WritePlaceableWmf(header, WriteWmf(CopyOf(picture.records)));
  WmfPicture reread;
  ASSERT_TRUE(ReadWmf(file, reread, error)) << error;
  ASSERT_TRUE(reread.placeable.has_value());
  EXPECT_EQ(reread.placeable->right, 2000);
  EXPECT_EQ(reread.placeable->bottom, 1500);
  EXPECT_EQ(reread.placeable->inch, 1000);
  EXPECT_EQ(reread.records, picture.records);
  EXPECT_EQ(file[20] | (file[21] << 8), 0x56F5);
  EXPECT_EQ(PlaceableChecksum(header), 0x56F5);
}

TEST(WmfFile, TrailingBytesAfterTheEndRecordAreIgnored) {
  std::vector<uint8_t> bytes = WriteWmf({Rec(MetaLineTo, {1, 2})});
  bytes.insert(bytes.end(), {0xAA, 0xBB, 0xCC});
  WmfPicture picture;
  std::string error;
  ASSERT_TRUE(ReadWmf(bytes, picture, error)) << error;
  EXPECT_EQ(picture.records.size(), 1u);
}

TEST(WmfFile, ObjectCountIsTheMostObjectsAliveAtOnce) {
  const std::vector<WmfRecord> records = {
      test::Pen(0), test::Brush(0), Rec(MetaDeleteObject, {0}), test::Pen(0),  // reuses slot 0
      Rec(MetaCreateFontIndirect, {10}), Rec(MetaDeleteObject, {1}), Rec(MetaDeleteObject, {2})};
  EXPECT_EQ(PeakObjectSlots(records), 3);
}

// Header of a standard metafile declaring `sizeWords`.
std::vector<uint8_t> Header(uint16_t type, uint16_t headerWords, uint32_t sizeWords) {
  return {static_cast<uint8_t>(type), 0, static_cast<uint8_t>(headerWords), 0, 0, 3,
          static_cast<uint8_t>(sizeWords), static_cast<uint8_t>(sizeWords >> 8), 0, 0,
          0, 0, 3, 0, 0, 0, 0, 0};
}

std::vector<uint8_t> Concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

struct MalformedCase {
  const char* name;
  std::vector<uint8_t> bytes;
  const char* expected;  // part of the message
};

TEST(WmfFile, MalformedInputIsRefusedWithTheOffset) {
  const std::vector<uint8_t> eof = {3, 0, 0, 0, 0, 0};
  const std::vector<uint8_t> lineTo = {5, 0, 0, 0, 0x13, 0x02, 1, 0, 2, 0};
  const MalformedCase cases[] = {
      {"empty", {}, "needs 18 bytes, the data has 0"},
      {"short header", {1, 0, 9, 0}, "needs 18 bytes, the data has 4"},
      {"wrong type", Concat(Header(7, 9, 12), eof), "has type 7"},
      {"wrong header size", Concat(Header(1, 8, 12), eof), "byte 2 gives a header size of 8 words"},
      {"record shorter than 3 words", Concat(Header(1, 9, 12), {2, 0, 0, 0, 0x13, 0x02}), "record at byte 18 is 2 words long"},
      {"record past the end", Concat(Header(1, 9, 12), {50, 0, 0, 0, 0x13, 0x02, 0, 0}),
       "record META_LINETO at byte 18 is 50 words long and runs past the end of the data at byte 26"},
      {"missing end record", Concat(Header(1, 9, 14), lineTo), "no end record: the data ends at byte 28"},
      {"cut inside a record header", Concat(Concat(Header(1, 9, 14), lineTo), {3, 0}), "no end record: the records stop at byte 28"},
      {"placeable header cut", {0xD7, 0xCD, 0xC6, 0x9A, 0, 0}, "placeable header at byte 0 needs 22 bytes"},
  };
  for (const MalformedCase& c : cases) {
    SCOPED_TRACE(c.name);
    WmfPicture picture;
    std::string error;
    EXPECT_FALSE(ReadWmf(c.bytes, picture, error));
    EXPECT_NE(error.find(c.expected), std::string::npos) << error;
  }
}

// Every reader goes by the records: a header whose size, object count or
// largest record is wrong is read when the records are complete.
TEST(WmfFile, WrongHeaderFieldsAreForgivenWhenTheRecordsAreComplete) {
  const std::vector<uint8_t> eof = {3, 0, 0, 0, 0, 0};
  const std::vector<uint8_t> lineTo = {5, 0, 0, 0, 0x13, 0x02, 1, 0, 2, 0};
  std::vector<uint8_t> lying = Concat(Concat(Header(1, 9, 500), lineTo), eof);
  lying[10] = 0xFF;  // object count
  lying[12] = 1;     // largest record
  WmfPicture picture;
  std::string error;
  ASSERT_TRUE(ReadWmf(lying, picture, error)) << error;
  EXPECT_EQ(picture.records.size(), 1u);
  CLIPMEND_SKIP_WITHOUT_SAMPLE_PICTURES();
  // The sample whose size also counts the 22-byte placeable header.
  ASSERT_TRUE(ReadWmf(FileBytes(test::CorpusDir() / "malformed-poly-extreme.wmf"), picture, error)) << error;
  EXPECT_TRUE(picture.placeable.has_value());
  EXPECT_EQ(picture.records.back().function, MetaDeleteObject);
}

TEST(WmfFile, EveryTruncationOfARealPictureIsRefusedCleanly) {
  CLIPMEND_SKIP_WITHOUT_SAMPLE_PICTURES();
  // Under the sanitizers this also shows that nothing reads past the data.
  const std::vector<uint8_t> bytes = FileBytes(test::CorpusDir() / "libwmf-fjftest.wmf");
  for (size_t length = 0; length < 1990; length += 7) {
    WmfPicture picture;
    std::string error;
    EXPECT_FALSE(ReadWmf(std::span(bytes.data(), length), picture, error)) << length;
    EXPECT_FALSE(error.empty());
  }
}

TEST(WmfFile, RecordNamesComeFromTheTable) {
  EXPECT_EQ(RecordName(MetaPolygon), "META_POLYGON");
  EXPECT_EQ(RecordName(0x0F43), "META_STRETCHDIB");
  EXPECT_EQ(RecordName(0x1234), "0x1234");
  EXPECT_EQ(CreatedObject(MetaCreateRegion), ObjectKind::Region);
  EXPECT_EQ(CreatedObject(MetaDibCreatePatternBrush), ObjectKind::Brush);
  EXPECT_EQ(CreatedObject(MetaLineTo), ObjectKind::None);
}

}  // namespace
}  // namespace wmf
