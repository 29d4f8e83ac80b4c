// Enhanced metafiles improved in their own format: what the analysis finds,
// what the output's header says, and how the records are rewritten.
#include <algorithm>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <string>

#include "dib_rotation.h"
#include "emf_file.h"
#include "enh_metafile.h"
#include "engine_harness.h"
#include "sample_pictures.h"
#include "test_emf.h"

namespace wmf {
namespace {

using test::EmfBuilder;

constexpr int32_t kPsSolid = 0, kBsSolid = 0;

// A picture of 100 × 50 mm drawn in 0.01 mm, y down: a red line and a green
// rectangle inside it.
EmfBuilder Drawing() {
  EmfBuilder e({0, 0, 9999, 4999});
  e.Record(EmrSetMapMode, {8})
      .Record(EmrSetWindowExtEx, {10000, 5000})
      .Record(EmrSetViewportExtEx, {378, 189})  // 96 dpi: 1280 px are 339 mm
      .Record(EmrCreatePen, {1, kPsSolid, 10, 0, 0x0000FF})
      .Record(EmrSelectObject, {1})
      .Record(EmrCreateBrushIndirect, {2, kBsSolid, 0x00FF00, 0})
      .Record(EmrSelectObject, {2})
      .Record(EmrMoveToEx, {2000, 1000})
      .Record(EmrLineTo, {6000, 3000})
      .Record(EmrRectangle, {3000, 2000, 5000, 4000});
  return e;
}

EmfPicture Read(const std::vector<uint8_t>& bytes) {
  EmfPicture picture;
  std::string error;
  EXPECT_TRUE(ReadEmf(bytes, picture, error)) << error;
  return picture;
}

struct Improved {
  EmfPicture output;
  PlayResult result;
};

Improved Improve(test::EngineHarness& h, const std::vector<uint8_t>& bytes, bool fromCad = false) {
  const CEnhMetafile captured(Read(bytes), 0, h.context, fromCad);
  EXPECT_EQ(captured.Unimprovable(), "");
  const CEnhMetafile::Played played = captured.Play(h.settings);
  return Improved{Read(played.bytes), played.result};
}

void Neutral(WmfSettings& s) {
  s.Crop = 0;
  s.RemoveBackground = 0;
  s.Lineoptions = 0;
  s.Filledoptions = 0;
  s.MakeBlack = 0;
}

std::vector<uint32_t> TypesOf(const EmfPicture& p) {
  std::vector<uint32_t> types;
  for (size_t i = 0; i < p.size(); ++i) types.push_back(p[i].type);
  return types;
}

TEST(EnhMetafile, MeasuresWhatIsDrawnInItsFrame) {
  test::EngineHarness h;
  const CEnhMetafile captured(Read(Drawing().Finish()), 0, h.context);
  // The rectangle reaches further down than the line; the pen's width counts
  // for neither (both are measured by their points).
  EXPECT_EQ(captured.fullRect.maxX, 9999);
  EXPECT_NEAR(captured.extents.minX, 2000, 30);
  EXPECT_NEAR(captured.extents.minY, 1000, 30);
  EXPECT_NEAR(captured.extents.maxX, 6000, 30);
  EXPECT_NEAR(captured.extents.maxY, 4000, 30);
}

TEST(EnhMetafile, TheOutputsHeaderTellsItsFrameCountsAndHandles) {
  test::EngineHarness h;
  h.settings.LeaveMargin = 0;
  const Improved out = Improve(h, Drawing().Finish());
  const EmfHeader& header = out.output.header;
  // Cropped to what is drawn: 40 × 30 mm from the frame's corner.
  EXPECT_EQ(header.frame.left, 0);
  EXPECT_EQ(header.frame.top, 0);
  EXPECT_NEAR(header.frame.right, 4000, 60);
  EXPECT_NEAR(header.frame.bottom, 3000, 60);
  EXPECT_EQ(header.records, out.output.size() + 1);  // the header counts itself
  EXPECT_EQ(header.bytes, out.output.bytes.size());
  EXPECT_GE(header.handles, 3);
  EXPECT_EQ(out.output[out.output.size() - 1].type, static_cast<uint32_t>(EmrEof));
}

TEST(EnhMetafile, ColourRulesRewritePensAndBrushes) {
  struct Case {
    const char* name;
    void (*adjust)(WmfSettings&);
    uint32_t penColor, brushColor;
  };
  const Case cases[] = {
      {"nothing asked", [](WmfSettings& s) { Neutral(s); }, 0x0000FF, 0x00FF00},
      {"lines black",
       [](WmfSettings& s) {
         Neutral(s);
         s.MakeBlack = 1;
       },
       0x000000, 0x00FF00},
  };
  for (const Case& c : cases) {
    test::EngineHarness h;
    c.adjust(h.settings);
    const Improved out = Improve(h, Drawing().Finish());
    std::map<uint32_t, uint32_t> colors;
    for (size_t i = 0; i < out.output.size(); ++i) {
      const EmfRecordView r = out.output[i];
      if (r.type == EmrCreatePen) colors[EmrCreatePen] = *r.U32(16);
      if (r.type == EmrCreateBrushIndirect) colors[EmrCreateBrushIndirect] = *r.U32(8);
    }
    EXPECT_EQ(colors[EmrCreatePen], c.penColor) << c.name;
    EXPECT_EQ(colors[EmrCreateBrushIndirect], c.brushColor) << c.name;
  }
}

TEST(EnhMetafile, ACadProgramsBackgroundIsRemovedOrRepaintedOverTheWholeOutput) {
  const auto cad = [] {
    EmfBuilder e({0, 0, 9999, 4999});
    e.Record(EmrSetMapMode, {8})
        .Record(EmrSetWindowExtEx, {10000, 5000})
        .Record(EmrSetViewportExtEx, {378, 189})
        .Record(EmrCreateBrushIndirect, {1, kBsSolid, 0x000000, 0})
        .Record(EmrSelectObject, {1})
        .Record(EmrRectangle, {0, 0, 10000, 5000})
        .Record(EmrMoveToEx, {2000, 1000})
        .Record(EmrLineTo, {6000, 3000});
    return e.Finish();
  };
  test::EngineHarness h;
  const CEnhMetafile captured(Read(cad()), 0, h.context, true);
  EXPECT_NEAR(captured.extents.minX, 2000, 30) << "the background is not measured";
  EXPECT_NEAR(captured.extents.maxX, 6000, 30);

  h.settings.RemoveBackground = 1;
  const std::vector<uint32_t> removed = TypesOf(Read(captured.Play(h.settings).bytes));
  EXPECT_EQ(std::count(removed.begin(), removed.end(), EmrRectangle), 0);

  h.settings.RemoveBackground = 0;
  const EmfPicture kept = Read(captured.Play(h.settings).bytes);
  bool repainted = false;
  for (size_t i = 0; i < kept.size(); ++i)
    if (kept[i].type == EmrRectangle && *kept[i].I32(0) == 0 && *kept[i].I32(4) == 0) repainted = true;
  EXPECT_TRUE(repainted) << "repainted from the output's corner";
}

TEST(EnhMetafile, EmfPlusRecordsAreLeftOutAndAPictureOfThemAloneIsNamed) {
  // An EMF+ comment: DataSize, "EMF+", then an EMF+ header record.
  const auto emfPlus = [](uint16_t flags) {
    std::vector<uint8_t> body(32, 0);
    const uint32_t size = 28, identifier = 0x2B464D45;
    std::memcpy(body.data(), &size, 4);
    std::memcpy(body.data() + 4, &identifier, 4);
    const uint16_t header[2] = {0x4001, flags};
    std::memcpy(body.data() + 8, header, 4);
    return body;
  };
  test::EngineHarness h;
  EmfBuilder dual = Drawing();
  dual.Raw(EmrComment, emfPlus(1));
  const Improved out = Improve(h, dual.Finish());
  for (size_t i = 0; i < out.output.size(); ++i) EXPECT_FALSE(IsEmfPlusComment(out.output[i]));

  for (const uint16_t flags : {0, 1}) {
    EmfBuilder alone({0, 0, 9999, 4999});
    alone.Raw(EmrComment, emfPlus(flags));
    const CEnhMetafile captured(Read(alone.Finish()), 0, h.context);
    EXPECT_EQ(captured.Unimprovable(), "it draws with EMF+ records only, which the program does not improve")
        << "flags " << flags;
  }
}

TEST(EnhMetafile, APictureWithoutAFrameIsNamed) {
  test::EngineHarness h;
  EmfBuilder e({0, 0, -1, -1});
  e.Record(EmrLineTo, {5, 5});
  const CEnhMetafile captured(Read(e.Finish()), 0, h.context);
  EXPECT_EQ(captured.Unimprovable(), "its frame has no size");
}

TEST(EnhMetafile, TurnedPicturesSwapTheirFrameAndDrawTextTheAdvancedWay) {
  test::EngineHarness h;
  Neutral(h.settings);
  h.settings.Rotation = 90;
  EmfBuilder e = Drawing();
  // EMR_EXTTEXTOUTW drawn the compatible way: bounds, iGraphicsMode, scales,
  // then the EMRTEXT of one character.
  e.Record(EmrExtTextOutW, {0, 0, 0, 0, 1, 0, 0, 2000, 1000, 1, 76, 0, 0, 0, 0, 0, 0, 0x41});
  const Improved out = Improve(h, e.Finish());
  EXPECT_NEAR(out.output.header.frame.right, 5000, 60);
  EXPECT_NEAR(out.output.header.frame.bottom, 10000, 60);
  for (size_t i = 0; i < out.output.size(); ++i) {
    if (out.output[i].type == EmrExtTextOutW) EXPECT_EQ(*out.output[i].U32(16), 2u);
  }
}

// A 3 × 2 image of 8-bit pixels 1 to 6 (rows top to bottom as it shows),
// stored bottom-up.
std::vector<uint8_t> SmallDib() {
  std::vector<uint8_t> dib(40, 0);
  const int32_t header[4] = {40, 3, 2, 0};
  std::memcpy(dib.data(), header, 12);
  const uint16_t planesAndBits[2] = {1, 8};
  std::memcpy(dib.data() + 12, planesAndBits, 4);
  const uint32_t colorsUsed = 1;
  std::memcpy(dib.data() + 32, &colorsUsed, 4);
  dib.insert(dib.end(), {0, 0, 0, 0});          // one colour
  dib.insert(dib.end(), {4, 5, 6, 0, 1, 2, 3, 0});  // the bottom row first
  return dib;
}

std::vector<int> Shown(const ArrangedDib& d) {
  std::vector<int> pixels;
  const size_t rowBytes = (d.width * 8 + 31) / 32 * 4;
  for (int64_t y = d.height - 1; y >= 0; --y)
    for (int64_t x = 0; x < d.width; ++x) pixels.push_back(d.bytes[d.infoBytes + y * rowBytes + x]);
  return pixels;
}

TEST(ArrangeDib, LaysAPartOutTurnedOrMirroredAsItShows) {
  struct Case {
    const char* name;
    DibPart part;
    DibLayout layout;
    int64_t width, height;
    std::vector<int> shown;
  };
  const Case cases[] = {
      {"as it is", {0, 0, 3, 2}, {}, 3, 2, {1, 2, 3, 4, 5, 6}},
      {"a part", {1, 0, 2, 2}, {}, 2, 2, {2, 3, 5, 6}},
      {"mirrored left to right", {0, 0, 3, 2}, {false, true, false}, 3, 2, {3, 2, 1, 6, 5, 4}},
      {"axes swapped", {0, 0, 3, 2}, {true, false, false}, 2, 3, {1, 4, 2, 5, 3, 6}},
      {"a quarter turn clockwise", {0, 0, 3, 2}, {true, true, false}, 2, 3, {4, 1, 5, 2, 6, 3}},
  };
  for (const Case& c : cases) {
    const std::optional<ArrangedDib> d = ArrangeDib(SmallDib(), 0, c.part, c.layout);
    ASSERT_TRUE(d) << c.name;
    EXPECT_EQ(d->width, c.width) << c.name;
    EXPECT_EQ(d->height, c.height) << c.name;
    EXPECT_EQ(Shown(*d), c.shown) << c.name;
  }
  EXPECT_FALSE(ArrangeDib(SmallDib(), 0, DibPart{2, 0, 2, 2}, {})) << "a part beyond the image";
  std::vector<uint8_t> cut = SmallDib();
  cut.resize(cut.size() - 4);
  EXPECT_FALSE(ArrangeDib(cut, 0, DibPart{0, 0, 3, 2}, {})) << "a row missing";
}

// An EMR_EXTTEXTOUTW of `text` at (x, y) drawn in `graphicsMode`, with an
// advance of `advance` for each character (none when 0).
std::vector<uint8_t> WideText(int32_t x, int32_t y, const std::u16string& text, uint32_t graphicsMode, int32_t advance) {
  const uint32_t chars = static_cast<uint32_t>(text.size());
  const uint32_t stringBytes = (2 * chars + 3) / 4 * 4;
  const uint32_t offDx = advance ? 76 + stringBytes : 0;
  std::vector<uint8_t> body;
  const auto put = [&](const void* p, size_t n) { body.insert(body.end(), static_cast<const uint8_t*>(p), static_cast<const uint8_t*>(p) + n); };
  const int32_t fields[] = {0, 0, 0, 0, static_cast<int32_t>(graphicsMode), 0, 0, x, y, static_cast<int32_t>(chars), 76, 0,
                            0, 0, 0, 0, static_cast<int32_t>(offDx)};
  put(fields, sizeof fields);
  put(text.data(), 2 * chars);
  body.resize(68 + stringBytes, 0);
  for (uint32_t i = 0; advance && i < chars; ++i) put(&advance, 4);
  return body;
}

// An EMR_EXTCREATEFONTINDIRECTW of slot `index`: a LOGFONTW of `height` with
// `face`.
std::vector<uint8_t> WideFont(int32_t index, int32_t height, const std::u16string& face) {
  std::vector<uint8_t> body(4 + 92, 0);
  std::memcpy(body.data(), &index, 4);
  std::memcpy(body.data() + 4, &height, 4);
  body[4 + 23] = 1;  // DEFAULT_CHARSET
  std::memcpy(body.data() + 4 + 28, face.data(), 2 * std::min<size_t>(face.size(), 31));
  return body;
}

// The UTF-16 strings of a picture's EMR_EXTTEXTOUTW records and the face
// names of its fonts, as their bytes stand; a face name once, where it first
// stands (an output may make a turned copy of a font).
std::vector<std::vector<uint8_t>> WideStrings(const EmfPicture& p) {
  std::vector<std::vector<uint8_t>> strings, faces;
  for (size_t i = 0; i < p.size(); ++i) {
    const EmfRecordView r = p[i];
    if (r.type == EmrExtTextOutW && r.Has(68)) {
      const uint32_t chars = *r.U32(36), offString = *r.U32(40);
      strings.emplace_back(r.body.begin() + (offString - 8), r.body.begin() + (offString - 8 + 2 * chars));
    } else if (r.type == EmrExtCreateFontIndirectW && r.Has(96)) {
      std::vector<uint8_t> face(r.body.begin() + 32, r.body.begin() + 96);
      if (std::find(faces.begin(), faces.end(), face) != faces.end()) continue;
      faces.push_back(face);
      strings.push_back(std::move(face));
    }
  }
  return strings;
}

struct NamedPicture {
  std::string name;
  std::vector<uint8_t> bytes;
};

// Cyrillic and CJK texts drawn the compatible way in a mapping whose y axis
// points down or up (the latter is drawn anew in the output's own pixels
// when turned), and the advanced way under a turned world transform.
std::vector<NamedPicture> TextPictures() {
  const std::u16string cyrillic = u"Чертёж № 7 — план этажа", cjk = u"平面図 1:50 设计图纸 도면", mixed = u"Ж漢字йЩ";
  const auto texts = [&](EmfBuilder& e, uint32_t mode) {
    e.Raw(EmrExtCreateFontIndirectW, WideFont(3, -300, u"ＭＳ ゴシック")).Record(EmrSelectObject, {3});
    e.Raw(EmrExtTextOutW, WideText(1000, 1500, cyrillic, mode, 0));
    e.Raw(EmrExtTextOutW, WideText(1000, 2500, cjk, mode, 250));
    e.Raw(EmrExtTextOutW, WideText(6000, 3500, mixed, mode, 0));
  };
  return {
      {"y down, compatible", [&] {
         EmfBuilder e = Drawing();
         texts(e, 1);
         return e.Finish();
       }()},
      {"y up, compatible", [&] {
         EmfBuilder e({0, 0, 9999, 4999});
         e.Record(EmrSetMapMode, {8}).Record(EmrSetWindowExtEx, {10000, -5000}).Record(EmrSetWindowOrgEx, {0, 5000});
         e.Record(EmrSetViewportExtEx, {378, 189}).Record(EmrRectangle, {500, 500, 9000, 4500});
         texts(e, 1);
         return e.Finish();
       }()},
      {"advanced, turned", [&] {
         EmfBuilder e = Drawing();
         e.Transform(EmrSetWorldTransform, {0.94f, 0.34f, -0.34f, 0.94f, 300, -200});
         texts(e, 2);
         return e.Finish();
       }()},
  };
}

// Texts keep every character, byte for byte, at every rotation, cropped or not.
TEST(EnhMetafile, UnicodeTextSurvivesByteForByteTurnedAndCropped) {
  std::vector<NamedPicture> pictures = TextPictures();
  // The sample title block in Cyrillic, Greek, Japanese and Chinese, drawn by LibreOffice.
  const std::filesystem::path labels = test::EmfCorpusDir() / "labels-unicode.emf";
  if (std::filesystem::exists(labels)) pictures.push_back({labels.filename().string(), test::FileBytes(labels)});
  for (const auto& p : pictures) {
    const std::vector<std::vector<uint8_t>> before = WideStrings(Read(p.bytes));
    ASSERT_GE(before.size(), 4u) << p.name;
    for (const int rotation : {0, 90, 180, 270}) {
      for (const int crop : {0, 1}) {
        test::EngineHarness h;
        Neutral(h.settings);
        h.settings.Rotation = rotation;
        h.settings.Crop = crop;
        EXPECT_EQ(WideStrings(Improve(h, p.bytes).output), before)
            << p.name << " at " << rotation << (crop ? ", cropped" : "");
      }
    }
  }
  CLIPMEND_SKIP_WITHOUT_EMF_SAMPLES();
}

// Turned half a turn, every text is drawn with a font turned half a turn
// (some readers take a text's angle from its font alone); a quarter turn
// keeps the picture's fonts as they are.
TEST(EnhMetafile, TextTurnedHalfATurnIsDrawnWithItsFontTurned) {
  for (const NamedPicture& p : TextPictures()) {
    for (const int rotation : {90, 180}) {
      test::EngineHarness h;
      Neutral(h.settings);
      h.settings.Rotation = rotation;
      const EmfPicture out = Improve(h, p.bytes).output;
      std::map<uint32_t, int32_t> escapements;  // font index to escapement
      int32_t selected = 0;
      size_t texts = 0;
      for (size_t i = 0; i < out.size(); ++i) {
        const EmfRecordView r = out[i];
        if (r.type == EmrExtCreateFontIndirectW) escapements[*r.U32(0)] = *r.I32(12);
        if (r.type == EmrSelectObject && escapements.count(*r.U32(0))) selected = escapements[*r.U32(0)];
        if (r.type != EmrExtTextOutW) continue;
        ++texts;
        EXPECT_EQ(selected, rotation == 180 ? 1800 : 0) << p.name << " at " << rotation << ", text " << texts;
      }
      EXPECT_EQ(texts, 3u) << p.name;
    }
  }
}

}  // namespace
}  // namespace wmf
