// The options the first bytes of an engine fuzz input choose, the same for
// every picture format:
//   byte 0: rotation (bits 0-1), crop, leave margin, remove background,
//           white to black, remove lines, make black
//   byte 1: line mode (0-1), fill mode (2-3), size mode (4-5), outlines, metric
//   byte 2: margin (0 to 5); byte 3: percentage; byte 4: fixed width and
//           picture sides; byte 5: text advance (up to the measurer's largest)
// Bytes 6 and 7 are the target's own. Beside them, what the targets'
// mutators share, whatever the picture's format: the changes to a picture's
// list of records, and the mutation of a whole input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <random>
#include <span>
#include <utility>
#include <vector>

#include "engine_harness.h"

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

namespace wmf::test {

inline constexpr size_t kFuzzOptionBytes = 8;

inline void ApplyFuzzOptions(const uint8_t* data, EngineHarness& harness) {
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
}

// Record `i` repeated (as a block of records repeats), left out, or swapped
// with another, by `choice` 0, 1 or 2.
template <class Record>
void ChangeRecordOrder(std::vector<Record>& records, size_t i, unsigned choice, std::mt19937& random) {
  switch (choice) {
    case 0:
      if (records.size() < 100000) records.insert(records.begin() + i, records[i]);
      break;
    case 1:
      records.erase(records.begin() + i);
      break;
    default:
      std::swap(records[i], records[random() % records.size()]);
      break;
  }
}

// One mutation of an input: a quarter of the time libFuzzer's own byte
// changes, which also reach the picture's headers and the reader's checks;
// otherwise `changed(picture, room, random)` gives the picture's bytes
// written anew from changed records, with sizes and counts right, of at most
// `room` bytes (nothing when the picture does not read), and now and then an
// option byte changes too. Pictures under `smallest` bytes of room are left
// to libFuzzer.
template <class Changed>
size_t MutateInput(uint8_t* data, size_t size, size_t maxSize, unsigned seed, size_t smallest, Changed changed) {
  std::mt19937 random(seed);
  if (size < kFuzzOptionBytes || maxSize <= kFuzzOptionBytes + smallest || random() % 4 == 0)
    return LLVMFuzzerMutate(data, size, maxSize);
  const std::optional<std::vector<uint8_t>> bytes = changed(
      std::span<const uint8_t>(data + kFuzzOptionBytes, size - kFuzzOptionBytes), maxSize - kFuzzOptionBytes, random);
  if (!bytes || kFuzzOptionBytes + bytes->size() > maxSize) return LLVMFuzzerMutate(data, size, maxSize);
  if (random() % 4 == 0) data[random() % kFuzzOptionBytes] = static_cast<uint8_t>(random());
  std::memcpy(data + kFuzzOptionBytes, bytes->data(), bytes->size());
  return kFuzzOptionBytes + bytes->size();
}

}  // namespace wmf::test
