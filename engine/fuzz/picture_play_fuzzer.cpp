// Any bytes read as a picture and, when they read, captured and played with
// options taken from the input: the first 8 bytes choose the options, the
// clipboard record's extents and the text widths; the rest is the WMF file
// (placeable or not). The played output must read back.
//   byte 0: rotation (bits 0-1), crop, leave margin, remove background,
//           white to black, remove lines, make black
//   byte 1: line mode (0-1), fill mode (2-3), size mode (4-5), outlines, metric
//   byte 2: margin (0 to 5); byte 3: percentage; byte 4: fixed width and
//           picture sides; byte 5: text advance (up to the measurer's
//           largest); byte 6: the clipboard record's extents (signed, with 0
//           and negatives); byte 7: from a CAD program (bit 0), IntelliCAD (1)
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>

#include "engine_harness.h"
#include "fuzz_check.h"
#include "wmf_recorder.h"

namespace {

wmf::test::EngineHarness& Harness() {
  static auto* harness = new wmf::test::EngineHarness;
  return *harness;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  constexpr size_t kOptionBytes = 8;
  if (size < kOptionBytes) return 0;
  wmf::WmfPicture picture;
  std::string error;
  if (!wmf::ReadWmf(std::span<const uint8_t>(data + kOptionBytes, size - kOptionBytes), picture, error)) return 0;

  wmf::test::EngineHarness& harness = Harness();
  WmfSettings& s = harness.settings;
  const uint8_t a = data[0], b = data[1];
  s.Rotation = (a & 3) * 90;
  s.Crop = a >> 2 & 1;
  s.LeaveMargin = a >> 3 & 1;
  s.RemoveBackground = a >> 4 & 1;
  s.WhiteBlack = a >> 5 & 1;
  s.RemoveLines = a >> 6 & 1;
  s.MakeBlack = a >> 7 & 1;
  s.Lineoptions = b & 3;
  s.Filledoptions = b >> 2 & 3;
  s.Widthoptions = b >> 4 & 3;
  s.Outlinestoo = b >> 6 & 1;
  s.IsMetric = b >> 7 & 1;
  s.Margin = data[2] / 51.0;
  s.Percentage = 1 + data[3] * 3.9;
  s.FixedWidth = data[4] / 255.0;
  s.PictureWidth = s.PictureHeight = 0.1 + data[4];
  harness.measurer.advance = data[5] * 128;
  const int extent = static_cast<int8_t>(data[6]) * 400;
  const wmf::MetafilePict pict{8, extent, extent * 3 / 4};

  wmf::CMetafile captured(pict, std::move(picture), 0, data[7] >> 1 & 1, harness.context, data[7] & 1);
  wmf::WmfRecorder surface;
  captured.Play(surface);
  wmf::WmfPicture output;
  FUZZ_CHECK(wmf::ReadWmf(surface.Close(), output, error));  // the played picture reads back
  return 0;
}
