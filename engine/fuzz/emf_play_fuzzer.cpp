// Any bytes read as an enhanced metafile and, when they read, captured
// (the analysis) and played with options taken from the input: the first 8
// bytes choose the options (see fuzz_options.h) and where the picture comes
// from; the rest is the EMF file. The improved picture must be sound (see
// emf_output_checks.h).
//   byte 6: the display's colour depth, for the palette (bit 0: 8 bits)
//   byte 7: from a CAD program (bit 0), IntelliCAD (1)
// Inputs are changed record by record most of the time (see the mutator
// below), so that changes reach the engine instead of the reader's checks.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "emf_file.h"
#include "emf_output_checks.h"
#include "emf_record_kinds.h"
#include "emf_writer.h"
#include "engine_harness.h"
#include "enh_metafile.h"
#include "fuzz_check.h"
#include "fuzz_options.h"

namespace {

constexpr size_t kOptionBytes = wmf::test::kFuzzOptionBytes;

wmf::test::EngineHarness& Harness() {
  static auto* harness = new wmf::test::EngineHarness;
  return *harness;
}

constexpr uint32_t kTypes[] = {
#define TYPE_OF_ROW(name, text, number, flags) number,
    EMF_RECORD_KINDS(TYPE_OF_ROW)
#undef TYPE_OF_ROW
};

struct Record {
  uint32_t type;
  std::vector<uint8_t> body;
};

// Values that sit on the edges of counts, offsets, indices and sizes, and
// floats a world transform should not hold.
uint32_t EdgeValue(std::mt19937& random, size_t bodyBytes) {
  const uint32_t edges[] = {0, 1, 2, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0x80000001, 0xFFFF, 0x10000,
                            static_cast<uint32_t>(bodyBytes), static_cast<uint32_t>(bodyBytes + 8),
                            static_cast<uint32_t>(bodyBytes / 4), std::bit_cast<uint32_t>(std::numeric_limits<float>::quiet_NaN()),
                            std::bit_cast<uint32_t>(std::numeric_limits<float>::infinity()), std::bit_cast<uint32_t>(1e30f),
                            std::bit_cast<uint32_t>(-1e30f)};
  return edges[random() % std::size(edges)];
}

// One change to the picture's records, which are written back with their
// sizes and the header's counts right, so the reader passes them on.
void MutateRecords(std::vector<Record>& records, std::mt19937& random, size_t maxBytes) {
  if (records.empty()) {
    records.push_back(Record{kTypes[random() % std::size(kTypes)], {}});
    return;
  }
  const size_t i = random() % records.size();
  Record& r = records[i];
  std::vector<uint8_t>& b = r.body;
  const unsigned choice = random() % 8;
  switch (choice) {
    case 0:  // another kind with the same fields
      r.type = kTypes[random() % std::size(kTypes)];
      break;
    case 1:  // a field at an edge; often among the first, the counts and indices
      if (b.size() >= 4) {
        const size_t fields = b.size() / 4;
        const size_t field = random() % 2 ? random() % std::min<size_t>(fields, 6) : random() % fields;
        const uint32_t value = EdgeValue(random, b.size());
        std::memcpy(b.data() + 4 * field, &value, 4);
      }
      break;
    case 2:  // the body's bytes changed by libFuzzer's own mutations
      if (!b.empty()) {
        const size_t bytes = b.size();
        b.resize(std::min(maxBytes, bytes * 2 + 16));
        b.resize(LLVMFuzzerMutate(b.data(), bytes, b.size()));
      }
      break;
    case 3:  // longer or shorter, counts left as they were
      b.resize(std::min<size_t>(maxBytes, random() % 2 ? b.size() / 2 : b.size() + 4 * (1 + random() % 16)),
               static_cast<uint8_t>(random()));
      break;
    case 4:
    case 5:
    case 6:
      wmf::test::ChangeRecordOrder(records, i, choice - 4, random);
      break;
    default:  // a poly record's point count made to fit its points again
      if (b.size() >= 20) {
        const uint32_t points = static_cast<uint32_t>((b.size() - 20) / (r.type >= wmf::EmrPolyBezier16 ? 4 : 8));
        std::memcpy(b.data() + 16, &points, 4);
      }
      break;
  }
}

}  // namespace

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize, unsigned int seed) {
  return wmf::test::MutateInput(
      data, size, maxSize, seed, 128,
      [](std::span<const uint8_t> file, size_t room, std::mt19937& random) -> std::optional<std::vector<uint8_t>> {
        wmf::EmfPicture picture;
        std::string error;
        if (!wmf::ReadEmf(std::vector<uint8_t>(file.begin(), file.end()), picture, error)) return std::nullopt;
        std::vector<Record> records;
        for (size_t i = 0; i + 1 < picture.size(); ++i) {  // EMR_EOF is written anew
          const wmf::EmfRecordView r = picture[i];
          records.push_back(Record{r.type, {r.body.begin(), r.body.end()}});
        }
        const size_t rounds = 1 + random() % 3;
        for (size_t round = 0; round < rounds; ++round) MutateRecords(records, random, room);
        wmf::EmfWriter writer(picture.HeaderRecord().body);
        for (const Record& r : records) writer.Append(r.type, r.body);
        return writer.Finish(picture.header.frame, picture.header.bounds, picture.header.handles);
      });
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < kOptionBytes) return 0;
  wmf::EmfPicture picture;
  std::string error;
  if (!wmf::ReadEmf(std::vector<uint8_t>(data + kOptionBytes, data + size), picture, error)) return 0;

  wmf::test::EngineHarness& harness = Harness();
  wmf::test::ApplyFuzzOptions(data, harness);
  harness.context.displayBitsPerPixel = data[6] & 1 ? 8 : 32;
  const wmf::CEnhMetafile captured(std::move(picture), data[7] >> 1 & 1, harness.context, data[7] & 1);
  if (!captured.Unimprovable().empty()) return 0;  // left as it is, as the program leaves it
  const std::optional<std::string> fault = wmf::test::EmfOutputFault(captured.Play(harness.settings).bytes);
  if (fault) std::fprintf(stderr, "%s\n", fault->c_str());
  FUZZ_CHECK(!fault);  // the improved picture is sound
  return 0;
}
