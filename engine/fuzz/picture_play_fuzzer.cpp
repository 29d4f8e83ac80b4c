// Any bytes read as a picture and, when they read, captured and played with
// options taken from the input: the first 8 bytes choose the options (see
// fuzz_options.h), the clipboard record's extents and where the picture
// comes from; the rest is the WMF file (placeable or not). The played output
// must read back.
//   byte 6: the clipboard record's extents (signed, with 0 and negatives)
//   byte 7: from a CAD program (bit 0), IntelliCAD (1)
// Inputs are changed record by record most of the time (see the mutator
// below), so that changes reach the engine instead of the reader's checks.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <random>
#include <span>

#include "engine_harness.h"
#include "fuzz_check.h"
#include "fuzz_options.h"
#include "wmf_recorder.h"

namespace {

constexpr size_t kOptionBytes = wmf::test::kFuzzOptionBytes;

wmf::test::EngineHarness& Harness() {
  static auto* harness = new wmf::test::EngineHarness;
  return *harness;
}

constexpr uint16_t kFunctions[] = {
#define FUNCTION_OF_ROW(name, text, number, creates, slots, shape) number,
    WMF_RECORD_KINDS(FUNCTION_OF_ROW)
#undef FUNCTION_OF_ROW
};

// Values that sit on the edges of counts, coordinates and sizes.
uint16_t EdgeValue(std::mt19937& random, size_t paramCount) {
  const uint16_t edges[] = {0,      1,      2,      0x7FFF, 0x8000, 0xFFFF, 0x8001,
                            0x7FFE, 0x00FF, 0x0100, static_cast<uint16_t>(paramCount),
                            static_cast<uint16_t>(paramCount / 2), static_cast<uint16_t>(paramCount * 2)};
  return edges[random() % std::size(edges)];
}

// One change to the picture's records, which are written back with their
// sizes, the header and the end record right, so the reader passes them on.
void MutateRecords(std::vector<wmf::WmfRecord>& records, std::mt19937& random, size_t maxParams) {
  if (records.empty()) {
    records.push_back(wmf::WmfRecord{kFunctions[random() % std::size(kFunctions)], {}});
    return;
  }
  const size_t i = random() % records.size();
  wmf::WmfRecord& r = records[i];
  const unsigned choice = random() % 8;
  switch (choice) {
    case 0:  // another kind with the same parameters
      r.function = kFunctions[random() % std::size(kFunctions)];
      break;
    case 1:  // a parameter at an edge; often the first, a count
      if (!r.params.empty()) r.params[random() % 2 ? 0 : random() % r.params.size()] = EdgeValue(random, r.params.size());
      break;
    case 2:  // the parameters' bytes changed by libFuzzer's own mutations
      if (!r.params.empty()) {
        const size_t bytes = 2 * r.params.size();
        r.params.resize(std::min(maxParams, r.params.size() * 2 + 8));
        const size_t changed = LLVMFuzzerMutate(reinterpret_cast<uint8_t*>(r.params.data()), bytes, 2 * r.params.size());
        r.params.resize(changed / 2);
      }
      break;
    case 3:  // longer or shorter, counts left as they were
      r.params.resize(std::min<size_t>(maxParams, random() % 2 ? r.params.size() / 2 : r.params.size() + 1 + random() % 64),
                      static_cast<uint16_t>(random()));
      break;
    case 4:
    case 5:
    case 6:
      wmf::test::ChangeRecordOrder(records, i, choice - 4, random);
      break;
    default:  // a poly record's count made to fit its points again
      if (!r.params.empty()) r.params[0] = static_cast<uint16_t>((r.params.size() - 1) / 2);
      break;
  }
}

}  // namespace

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize, unsigned int seed) {
  return wmf::test::MutateInput(
      data, size, maxSize, seed, 64,
      [](std::span<const uint8_t> file, size_t room, std::mt19937& random) -> std::optional<std::vector<uint8_t>> {
        wmf::WmfPicture picture;
        std::string error;
        if (!wmf::ReadWmf(file, picture, error)) return std::nullopt;
        std::vector<wmf::WmfRecord> records = wmf::CopyOf(picture.records);
        const size_t rounds = 1 + random() % 3;
        for (size_t round = 0; round < rounds; ++round) MutateRecords(records, random, room / 4);
        std::vector<uint8_t> bytes = wmf::WriteWmf(records);
        if (picture.placeable) bytes = wmf::WritePlaceableWmf(*picture.placeable, bytes);
        return bytes;
      });
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < kOptionBytes) return 0;
  wmf::WmfPicture picture;
  std::string error;
  if (!wmf::ReadWmf(std::span<const uint8_t>(data + kOptionBytes, size - kOptionBytes), picture, error)) return 0;

  wmf::test::EngineHarness& harness = Harness();
  wmf::test::ApplyFuzzOptions(data, harness);
  const int extent = static_cast<int8_t>(data[6]) * 400;
  const wmf::MetafilePict pict{8, extent, extent * 3 / 4};

  wmf::CMetafile captured(pict, std::move(picture), 0, data[7] >> 1 & 1, harness.context, data[7] & 1);
  wmf::WmfRecorder surface;
  captured.Play(surface, harness.settings);
  wmf::WmfPicture output;
  FUZZ_CHECK(wmf::ReadWmf(surface.Close(), output, error));  // the played picture reads back
  return 0;
}
