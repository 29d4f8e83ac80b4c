// Builds an enhanced metafile in one buffer: the header first, records
// appended as they come, and the header's sizes, counts and handle count
// filled in at the end.
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <span>
#include <vector>

#include "emf_file.h"
#include "emf_mapping.h"

namespace wmf {

// A record's body being built, little-endian as the machine.
class EmfBody {
 public:
  EmfBody& U32(uint32_t v) { return Put(&v, 4); }
  EmfBody& I32(int32_t v) { return Put(&v, 4); }
  EmfBody& F32(float v) { return Put(&v, 4); }
  EmfBody& Bytes(std::span<const uint8_t> b) { return Put(b.data(), b.size()); }
  // Zeros up to a whole number of 32-bit words.
  EmfBody& Pad() {
    bytes_.resize((bytes_.size() + 3) / 4 * 4, 0);
    return *this;
  }
  size_t Size() const { return bytes_.size(); }
  std::span<const uint8_t> Span() const { return bytes_; }
  std::vector<uint8_t>& Data() { return bytes_; }

 private:
  EmfBody& Put(const void* p, size_t n) {
    bytes_.insert(bytes_.end(), static_cast<const uint8_t*>(p), static_cast<const uint8_t*>(p) + n);
    return *this;
  }
  std::vector<uint8_t> bytes_;
};

// The body of an EMR_SETWORLDTRANSFORM that sets `t`.
inline EmfBody TransformBody(const Affine& t) {
  EmfBody b;
  for (double v : {t.m11, t.m12, t.m21, t.m22, t.dx, t.dy}) b.F32(static_cast<float>(v));
  return b;
}

class EmfWriter {
 public:
  // Starts with a copy of `header`, the header record of the picture the
  // output is made of (its description and reference device stay).
  explicit EmfWriter(std::span<const uint8_t> header, size_t reserveBytes = 0);

  // Appends a record of `type` with `body` (padded to whole 32-bit words).
  void Append(uint32_t type, std::span<const uint8_t> body);
  void Append(const EmfRecordView& record) { Append(record.type, record.body); }
  size_t RecordCount() const { return records_; }

  // The finished picture: the EOF record appended, the header's frame (0.01
  // mm), bounds (device pixels), byte and record counts and handle count set.
  std::vector<uint8_t> Finish(const EmfRect& frame, const EmfRect& bounds, uint16_t handles);

  // Appends records drawn with no mapping of the picture's own: in a saved
  // state, MM_TEXT with both origins at 0 and `world` as the world
  // transform, so that their coordinates go through `world` alone to the
  // output's pixels.
  struct Record {
    uint32_t type;
    std::span<const uint8_t> body;
  };
  void AppendInOwnPixels(const Affine& world, std::span<const Record> records);
  void AppendInOwnPixels(const Affine& world, std::initializer_list<Record> records) {
    AppendInOwnPixels(world, std::span<const Record>(records.begin(), records.size()));
  }

 private:
  std::vector<uint8_t> bytes_;
  size_t records_ = 1;  // the header
};

}  // namespace wmf
