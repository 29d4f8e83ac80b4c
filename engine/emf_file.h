// The enhanced metafile (EMF) record model: a picture read from bytes into its
// header and a list of records. Records are views into the picture's bytes.
#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace wmf {

struct EmfRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
};

struct EmfSize {
  int32_t cx = 0, cy = 0;
};

// One record as it stands in a picture: its type and the bytes after its
// type and size fields. Reads past the record's end give nothing.
struct EmfRecordView {
  uint32_t type = 0;
  std::span<const uint8_t> body;

  uint32_t SizeBytes() const { return 8 + static_cast<uint32_t>(body.size()); }
  bool Has(size_t bytes) const { return body.size() >= bytes; }
  std::optional<uint32_t> U32(size_t at) const {
    if (!Has(at + 4)) return std::nullopt;
    uint32_t value;
    std::memcpy(&value, body.data() + at, 4);
    return value;
  }
  std::optional<int32_t> I32(size_t at) const {
    const std::optional<uint32_t> value = U32(at);
    if (!value) return std::nullopt;
    return static_cast<int32_t>(*value);
  }
  std::optional<float> F32(size_t at) const {
    if (!Has(at + 4)) return std::nullopt;
    float value;
    std::memcpy(&value, body.data() + at, 4);
    return value;
  }
};

// The header record (EMR_HEADER): where and how large the picture is.
struct EmfHeader {
  EmfRect bounds;  // what is drawn, in device units of the reference device, inclusive
  EmfRect frame;   // the picture's frame in 0.01 mm, inclusive
  uint32_t version = 0;
  uint32_t bytes = 0;    // as the header states it
  uint32_t records = 0;  // as the header states it
  uint16_t handles = 0;  // object-table slots, slot 0 included
  EmfSize device;        // the reference device in pixels
  EmfSize millimeters;   // the reference device in millimetres
  EmfSize micrometers;   // the same more precisely, in headers that have it; else 0
  std::u16string description;

  // 0.01 mm per pixel of the reference device, by axis, as the system's
  // player reckons it: from the size in millimetres (in micrometres only
  // where millimetres are missing), which places a frame far from the
  // origin where the player shows it. A header without a size is taken as a
  // 96 dots-per-inch screen.
  struct Scale {
    double x = 2540 / 96.0, y = 2540 / 96.0;
  };
  Scale HimetricPerPixel() const;
};

inline constexpr uint32_t kEmfSignature = 0x464D4520;  // " EMF"

struct EmfPicture {
  EmfHeader header;
  std::vector<uint8_t> bytes;     // the picture as read
  std::vector<uint32_t> starts;   // byte offset of each record after the header, EMR_EOF included

  size_t size() const { return starts.size(); }
  EmfRecordView operator[](size_t i) const;
  // The header record, whose body the header fields were read from.
  EmfRecordView HeaderRecord() const;
};

// Reads an enhanced metafile record by record up to its EMR_EOF. Every read is
// bounded by the data; a record shorter than 8 bytes, of a size that is not a
// multiple of 4, or reaching past the data is refused with a message naming
// the record and its byte offset. The header's own counts of bytes and
// records are not trusted (some programs write them wrong).
bool ReadEmf(std::vector<uint8_t> bytes, EmfPicture& picture, std::string& error);

// Whether the bytes start like an enhanced metafile (an EMR_HEADER with the
// signature), as opposed to a Windows metafile.
bool LooksLikeEmf(std::span<const uint8_t> bytes);

}  // namespace wmf
