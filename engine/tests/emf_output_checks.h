// What any improved enhanced metafile must be, whatever the picture it was
// made of: players (Wine's among them) trust a picture's counts, offsets and
// object indices and read or write wherever they point.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "emf_file.h"
#include "emf_record_kinds.h"

namespace wmf::test {

namespace emf_output {

inline std::string At(size_t i, const EmfRecordView& r, const char* what) {
  char text[160];
  std::snprintf(text, sizeof text, "%s #%zu %s", EmfRecordName(r.type).c_str(), i, what);
  return text;
}

inline uint64_t Field(const EmfRecordView& r, size_t at) { return r.U32(at).value_or(0xFFFFFFFFu); }

// `count` items of `unit` bytes at offset `offset`, counted from the record's
// start, lie within the record.
inline bool Inside(const EmfRecordView& r, uint64_t offset, uint64_t count, uint64_t unit) {
  return count == 0 || unit == 0 || (offset >= 8 && offset + count * unit <= r.SizeBytes());
}

// The object-table index a record names and whether it makes that object.
inline std::optional<std::pair<uint32_t, bool>> NamedObject(const EmfRecordView& r) {
  const EmfRecordKind* kind = FindEmfRecordKind(r.type);
  if (kind && (kind->flags & kEmfCreatesObject)) return std::pair{static_cast<uint32_t>(Field(r, 0)), true};
  switch (r.type) {
    case EmrSelectObject: case EmrDeleteObject: case EmrSelectPalette: case EmrSetPaletteEntries:
    case EmrResizePalette: case EmrSetColorSpace: case EmrDeleteColorSpace:
      return std::pair{static_cast<uint32_t>(Field(r, 0)), false};
    case EmrFillRgn: case EmrFrameRgn:
      return std::pair{static_cast<uint32_t>(Field(r, 20)), false};
    default:
      return std::nullopt;
  }
}

// The bitmap whose offBmi, cbBmi, offBits, cbBits stand at `fields`: both
// parts within the record, and an uncompressed image's rows within its bits.
inline bool BitmapInside(const EmfRecordView& r, size_t fields) {
  const uint64_t offBmi = Field(r, fields), cbBmi = Field(r, fields + 4);
  if (!Inside(r, offBmi, 1, cbBmi) || !Inside(r, Field(r, fields + 8), 1, Field(r, fields + 12))) return false;
  if (cbBmi < 20 || Field(r, offBmi - 8) < 40) return true;  // a core header, or too short to draw
  int32_t width = 0, height = 0;
  uint16_t bits = 0;
  std::memcpy(&width, r.body.data() + offBmi - 8 + 4, 4);
  std::memcpy(&height, r.body.data() + offBmi - 8 + 8, 4);
  std::memcpy(&bits, r.body.data() + offBmi - 8 + 14, 2);
  const uint64_t compression = Field(r, offBmi - 8 + 16);
  if (compression != 0 && compression != 3) return true;
  const uint64_t rowBytes = (uint64_t{bits} * static_cast<uint64_t>(std::llabs(width)) + 31) / 32 * 4;
  return height == 0 || rowBytes <= Field(r, fields + 12) / static_cast<uint64_t>(std::llabs(height));
}

// Whether the data a record describes lies within it: points, characters
// and advances, region rectangles, bitmaps.
inline bool HoldsItsData(const EmfRecordView& r) {
  switch (r.type) {
    case EmrPolyline: case EmrPolygon: case EmrPolyBezier: case EmrPolylineTo: case EmrPolyBezierTo:
      return Inside(r, 28, Field(r, 16), 8);
    case EmrPolyline16: case EmrPolygon16: case EmrPolyBezier16: case EmrPolylineTo16: case EmrPolyBezierTo16:
      return Inside(r, 28, Field(r, 16), 4);
    case EmrExtTextOutA: case EmrExtTextOutW: {
      const uint64_t chars = Field(r, 36);
      return Inside(r, Field(r, 40), chars, r.type == EmrExtTextOutW ? 2 : 1) &&
             (Field(r, 64) == 0 || Inside(r, Field(r, 64), chars, 4));
    }
    case EmrFillRgn: case EmrFrameRgn: case EmrInvertRgn: case EmrPaintRgn: case EmrExtSelectClipRgn: {
      const size_t data = r.type == EmrExtSelectClipRgn ? 8 : r.type == EmrFrameRgn ? 32 : r.type == EmrFillRgn ? 24 : 20;
      const uint64_t bytes = Field(r, r.type == EmrExtSelectClipRgn ? 0 : 16);
      if (r.type == EmrExtSelectClipRgn && bytes == 0) return true;
      return bytes >= 32 && Inside(r, data + 8, 1, bytes) && 32 + 16 * Field(r, data + 8) <= bytes;
    }
    case EmrStretchDIBits:
      return BitmapInside(r, 40);
    case EmrBitBlt: case EmrStretchBlt:
      return Field(r, 80) == 0 || BitmapInside(r, 76);
    default:
      return true;
  }
}

}  // namespace emf_output

// Why the bytes are not a sound enhanced metafile; nothing when they are.
inline std::optional<std::string> EmfOutputFault(const std::vector<uint8_t>& bytes) {
  using namespace emf_output;
  EmfPicture out;
  std::string error;
  if (!ReadEmf(bytes, out, error)) return "the output does not read: " + error;
  if (out.header.bytes != bytes.size() || out.header.records != out.size() + 1)
    return "the header counts " + std::to_string(out.header.bytes) + " bytes and " + std::to_string(out.header.records) +
           " records, not " + std::to_string(bytes.size()) + " and " + std::to_string(out.size() + 1);
  const EmfRecordView header = out.HeaderRecord();
  const auto headerField = [&](size_t at) { return header.U32(at).value_or(0); };  // fields a short header lacks are 0
  if (!Inside(header, headerField(56), headerField(52), 2) || !Inside(header, headerField(84), 1, headerField(80)))
    return std::string("the header's description or pixel format lies beyond it");
  for (size_t i = 0; i < out.size(); ++i) {
    const EmfRecordView r = out[i];
    if (const auto named = NamedObject(r)) {
      const auto [index, creates] = *named;
      if (index >= out.header.handles && (creates || !(index & 0x80000000u)))
        return At(i, r, ("names object " + std::to_string(index) + " of a table of " +
                         std::to_string(out.header.handles)).c_str());
    }
    if (!HoldsItsData(r)) return At(i, r, "describes data beyond its end");
    if (r.type == EmrSetWorldTransform || r.type == EmrModifyWorldTransform)
      for (size_t at = 0; at < 24; at += 4)
        if (!std::isfinite(r.F32(at).value_or(NAN))) return At(i, r, "sets a transform that is not finite");
  }
  return std::nullopt;
}

}  // namespace wmf::test
