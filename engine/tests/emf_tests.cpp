// Enhanced metafiles: the bounded reader, the mapping a picture starts to
// draw in, and the EMF that a Windows metafile carries in its comments.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "embedded_emf.h"
#include "emf_file.h"
#include "emf_mapping.h"
#include "test_emf.h"

namespace wmf {
namespace {

using test::EmfBuilder;

void PutU32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) { std::memcpy(bytes.data() + at, &value, 4); }

TEST(ReadEmf, ReadsTheHeaderAndEveryRecordUpToTheEnd) {
  const std::vector<uint8_t> bytes = EmfBuilder({0, 0, 15000, 8000})
                                         .Record(EmrSetMapMode, {8})
                                         .Record(EmrSetWindowExtEx, {2540, 2540})
                                         .Finish();
  EmfPicture picture;
  std::string error;
  ASSERT_TRUE(ReadEmf(bytes, picture, error)) << error;
  EXPECT_EQ(picture.header.frame.right, 15000);
  EXPECT_EQ(picture.header.frame.bottom, 8000);
  EXPECT_EQ(picture.header.device.cx, 1280);
  EXPECT_EQ(picture.header.micrometers.cx, 338667);
  ASSERT_EQ(picture.size(), 3u);  // the two records and EMR_EOF
  EXPECT_EQ(picture[0].type, EmrSetMapMode);
  EXPECT_EQ(picture[0].U32(0), 8u);
  EXPECT_EQ(picture[1].I32(4), 2540);
  EXPECT_FALSE(picture[1].I32(8));  // past the record
  EXPECT_EQ(picture[2].type, EmrEof);
}

TEST(ReadEmf, ForgivesHeaderCountsThatLie) {
  std::vector<uint8_t> bytes = EmfBuilder({0, 0, 100, 100}).Record(EmrSaveDC, {}).Finish();
  PutU32(bytes, 48, 7);   // bytes
  PutU32(bytes, 52, 99);  // records
  EmfPicture picture;
  std::string error;
  ASSERT_TRUE(ReadEmf(bytes, picture, error)) << error;
  EXPECT_EQ(picture.size(), 2u);
}

struct MalformedEmf {
  const char* name;
  std::function<void(std::vector<uint8_t>&)> spoil;
  const char* message;  // part of the error
};

TEST(ReadEmf, RefusesMalformedRecordsNamingTheRecordAndItsOffset) {
  // The picture: header (108 bytes), EMR_SAVEDC at 108, EMR_EOF at 116.
  const MalformedEmf cases[] = {
      {"record shorter than 8 bytes", [](auto& b) { PutU32(b, 112, 4); }, "EMR_SAVEDC at byte 108 has a size of 4"},
      {"size not a multiple of 4", [](auto& b) { PutU32(b, 112, 10); }, "EMR_SAVEDC at byte 108 has a size of 10"},
      {"record past the data", [](auto& b) { PutU32(b, 120, 400); }, "EMR_EOF at byte 116 has a size of 400"},
      {"no end record", [](auto& b) { b.resize(116); }, "ends at byte 116 without an EMR_EOF"},
      {"header too short", [](auto& b) { PutU32(b, 4, 80); }, "EMR_HEADER at byte 0 has 80 bytes"},
      {"not an EMF", [](auto& b) { PutU32(b, 40, 0x12345678); }, "no enhanced metafile header"},
      {"a few bytes", [](auto& b) { b.resize(20); }, "no enhanced metafile header"},
  };
  for (const MalformedEmf& c : cases) {
    std::vector<uint8_t> bytes = EmfBuilder({0, 0, 100, 100}).Record(EmrSaveDC, {}).Finish();
    c.spoil(bytes);
    EmfPicture picture;
    std::string error;
    EXPECT_FALSE(ReadEmf(bytes, picture, error)) << c.name;
    EXPECT_NE(error.find(c.message), std::string::npos) << c.name << ": " << error;
  }
}

struct MappingCase {
  const char* name;
  std::function<void(EmfBuilder&)> records;
  double scaleX, offsetX, scaleY, offsetY;
};

TEST(InitialEmfMapping, FollowsTheMappingUpToTheFirstDrawing) {
  // Pixels per 0.01 mm of the reference screen, by its size in whole
  // millimetres as the player takes it.
  const double px = 1280 / 33900.0, py = 1024 / 27100.0;
  const MappingCase cases[] = {
      {"MM_TEXT", [](EmfBuilder&) {}, 1, 0, 1, 0},
      {"0.01 mm on a 96 dpi screen",
       [](EmfBuilder& e) {
         e.Record(EmrSetMapMode, {8}).Record(EmrSetViewportExtEx, {96, 96}).Record(EmrSetWindowExtEx, {2540, 2540});
       },
       96 / 2540.0, 0, 96 / 2540.0, 0},
      {"window and viewport origins, y up",
       [](EmfBuilder& e) {
         e.Record(EmrSetMapMode, {8})
             .Record(EmrSetWindowExtEx, {9360, -7020})
             .Record(EmrSetWindowOrgEx, {0, 7020})
             .Record(EmrSetViewportExtEx, {564, 423})
             .Record(EmrSetViewportOrgEx, {10, 20});
       },
       564 / 9360.0, 10, -423 / 7020.0, 20 + 423.0},
      {"MM_HIMETRIC", [](EmfBuilder& e) { e.Record(EmrSetMapMode, {3}); }, px, 0, -py, 0},
      {"MM_ISOTROPIC keeps one scale",
       [](EmfBuilder& e) {
         e.Record(EmrSetMapMode, {7}).Record(EmrSetWindowExtEx, {1000, 1000}).Record(EmrSetViewportExtEx, {500, 200});
       },
       0.2 * px / py, 0, 0.2, 0},  // the same scale in millimetres on the screen's slightly unsquare pixels
      {"world transform scales and moves",
       [](EmfBuilder& e) { e.Transform(EmrSetWorldTransform, {0.5f, 0, 0, 2, 10, -4}); }, 0.5, 10, 2, -4},
      {"world transform multiplied on the left",
       [](EmfBuilder& e) {
         e.Transform(EmrSetWorldTransform, {2, 0, 0, 2, 0, 0}).Transform(EmrModifyWorldTransform, {1, 0, 0, 1, 5, 5}, 2);
       },
       2, 10, 2, 10},
      {"restored before drawing",
       [](EmfBuilder& e) {
         e.Record(EmrSaveDC, {}).Record(EmrSetMapMode, {3}).Record(EmrRestoreDC, {-1});
       },
       1, 0, 1, 0},
      {"changes after the first drawing do not count",
       [](EmfBuilder& e) { e.Record(EmrLineTo, {5, 5}).Record(EmrSetMapMode, {3}); }, 1, 0, 1, 0},
  };
  for (const MappingCase& c : cases) {
    EmfBuilder builder({0, 0, 1000, 1000});
    c.records(builder);
    EmfPicture picture;
    std::string error;
    ASSERT_TRUE(ReadEmf(builder.Finish(), picture, error)) << c.name << ": " << error;
    const std::optional<EmfMapping> m = InitialEmfMapping(picture);
    ASSERT_TRUE(m) << c.name;
    EXPECT_NEAR(m->x.scale, c.scaleX, 1e-4) << c.name;
    EXPECT_NEAR(m->x.offset, c.offsetX, 1e-3) << c.name;
    EXPECT_NEAR(m->y.scale, c.scaleY, 1e-4) << c.name;
    EXPECT_NEAR(m->y.offset, c.offsetY, 1e-3) << c.name;
  }
}

TEST(InitialEmfMapping, HasNoneForAPictureThatTurns) {
  EmfPicture picture;
  std::string error;
  ASSERT_TRUE(ReadEmf(EmfBuilder({0, 0, 100, 100}).Transform(EmrSetWorldTransform, {0, 1, -1, 0, 0, 0}).Finish(),
                      picture, error));
  EXPECT_FALSE(InitialEmfMapping(picture));
}

TEST(EmbeddedEmf, PiecesAreFoundAndPutTogether) {
  std::vector<uint8_t> emf = EmfBuilder({0, 0, 100, 100}).Record(EmrSaveDC, {}).Finish();
  emf.resize(emf.size() + 3001);  // an odd length, in three pieces
  std::vector<WmfRecord> records = test::EmfPieces(emf, 1500);
  ASSERT_EQ(records.size(), 3u);
  records.insert(records.begin() + 1, WmfRecord{MetaEscape, {kMfComment, 4, 0x4D57, 0x4346}});  // a comment of its own
  const WmfPicture picture = [&] {
    WmfPicture p;
    std::string error;
    EXPECT_TRUE(ReadWmf(WriteWmf(records), p, error)) << error;
    return p;
  }();
  EXPECT_TRUE(IsEmbeddedEmfPiece(picture.records[0]));
  EXPECT_FALSE(IsEmbeddedEmfPiece(picture.records[1]));
  const EmbeddedEmf found = FindEmbeddedEmf(picture.records);
  EXPECT_EQ(found.pieces, 3u);
  EXPECT_EQ(found.bytes, emf);
}

TEST(EmbeddedEmf, AMissingPieceLeavesNoEmf) {
  const std::vector<uint8_t> emf(5000, 7);
  std::vector<WmfRecord> records = test::EmfPieces(emf, 2000);
  records.erase(records.begin() + 1);
  WmfPicture picture;
  std::string error;
  ASSERT_TRUE(ReadWmf(WriteWmf(records), picture, error));
  const EmbeddedEmf found = FindEmbeddedEmf(picture.records);
  EXPECT_EQ(found.pieces, 2u);
  EXPECT_TRUE(found.bytes.empty());
}

}  // namespace
}  // namespace wmf
