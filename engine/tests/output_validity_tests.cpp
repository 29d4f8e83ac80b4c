#include <gtest/gtest.h>

#include <functional>

#include "engine_harness.h"
#include "object_table.h"

namespace wmf {
namespace {

// Every selection and deletion of the output names an object that exists at
// that point, and the header's object count covers the most objects alive.
void ExpectSoundObjectUse(const WmfPicture& out) {
  ObjectTable table;
  for (size_t i = 0; i < out.records.size(); ++i) {
    const WmfRecord& r = out.records[i];
    const RecordKind* kind = FindRecordKind(r.function);
    if (!kind) continue;
    if (kind->creates != ObjectKind::None) {
      table.Create(kind->creates);
      continue;
    }
    for (size_t p = 0; p < 8; ++p) {
      if (!(kind->slotParams & (1u << p))) continue;
      ASSERT_LT(p, r.params.size());
      ASSERT_TRUE(table.Holds(r.params[p])) << RecordName(r.function) << " #" << i << " names empty slot " << r.params[p];
    }
    if (r.function == META_DELETEOBJECT) table.Delete(r.params[0]);
  }
  EXPECT_GE(out.header.objectCount, table.Peak());
}

struct Options {
  const char* name;
  std::function<void(WmfSettings&)> adjust;
};

TEST(OutputValidity, EveryCorpusPictureWithEveryKindOfOption) {
  const Options options[] = {
      {"defaults", [](WmfSettings&) {}},
      {"no crop", [](WmfSettings& s) { s.Crop = 0; }},
      {"crop without margin", [](WmfSettings& s) { s.LeaveMargin = 0; }},
      {"90", [](WmfSettings& s) { s.Rotation = 90; }},
      {"180", [](WmfSettings& s) { s.Rotation = 180; }},
      {"270 without crop", [](WmfSettings& s) { s.Rotation = 270; s.Crop = 0; }},
      {"fixed width, black fills", [](WmfSettings& s) { s.Lineoptions = 2; s.Filledoptions = 2; s.RemoveLines = 1; }},
      {"per colour", [](WmfSettings& s) { s.Lineoptions = 3; s.Filledoptions = 3; s.RemoveLines = 1; }},
      {"make black", [](WmfSettings& s) { s.MakeBlack = 1; s.WhiteBlack = 0; }},
      {"background kept", [](WmfSettings& s) { s.RemoveBackground = 0; s.Rotation = 90; }},
      {"fit width in cm", [](WmfSettings& s) { s.Widthoptions = 1; s.IsMetric = 1; s.PictureWidth = 12; }},
  };
  for (const auto& path : test::ReadableCorpus()) {
    const std::vector<WmfRecord> records = test::ReadOrFail(test::FileBytes(path)).records;
    for (const Options& o : options) {
      SCOPED_TRACE(path.filename().string() + " / " + o.name);
      test::EngineHarness h;
      auto picture = h.Capture(records);
      o.adjust(h.settings);
      WmfRecorder surface;
      const Size output = picture->Play(surface);
      EXPECT_GT(output.x, 0);
      EXPECT_GT(output.y, 0);
      WmfPicture out;
      std::string error;
      ASSERT_TRUE(ReadWmf(surface.Close(), out, error)) << error;
      ExpectSoundObjectUse(out);
      EXPECT_EQ(picture->picture().records, records);
    }
  }
}

}  // namespace
}  // namespace wmf
