#include "emf_file.h"

#include <cstring>

#include "emf_record_kinds.h"
#include "text_format.h"

namespace wmf {
namespace {

uint32_t U32At(const std::vector<uint8_t>& bytes, size_t at) {
  uint32_t value;
  std::memcpy(&value, bytes.data() + at, 4);
  return value;
}

EmfRect RectAt(const EmfRecordView& r, size_t at) {
  return EmfRect{r.I32(at).value_or(0), r.I32(at + 4).value_or(0), r.I32(at + 8).value_or(0),
                 r.I32(at + 12).value_or(0)};
}

// Header fields, as offsets into the record's body (after type and size).
constexpr size_t kBoundsAt = 0, kFrameAt = 16, kSignatureAt = 32, kVersionAt = 36, kBytesAt = 40,
                 kRecordsAt = 44, kHandlesAt = 48, kDescriptionCountAt = 52, kDescriptionOffsetAt = 56,
                 kDeviceAt = 64, kMillimetersAt = 72, kPixelFormatSizeAt = 80, kPixelFormatOffsetAt = 84,
                 kMicrometersAt = 92;
constexpr size_t kSmallestHeaderBody = 80;  // the 88-byte header of the first EMF version

}  // namespace

EmfHeader::Scale EmfHeader::HimetricPerPixel() const {
  Scale s;
  if (device.cx <= 0 || device.cy <= 0) return s;
  if (millimeters.cx > 0 && millimeters.cy > 0) {
    s.x = millimeters.cx * 100.0 / device.cx;
    s.y = millimeters.cy * 100.0 / device.cy;
  } else if (micrometers.cx > 0 && micrometers.cy > 0) {
    s.x = micrometers.cx / 10.0 / device.cx;
    s.y = micrometers.cy / 10.0 / device.cy;
  }
  return s;
}

EmfRecordView EmfPicture::operator[](size_t i) const {
  const size_t at = starts[i];
  const uint32_t size = U32At(bytes, at + 4);
  return EmfRecordView{U32At(bytes, at), std::span<const uint8_t>(bytes.data() + at + 8, size - 8)};
}

EmfRecordView EmfPicture::HeaderRecord() const {
  return EmfRecordView{EmrHeader, std::span<const uint8_t>(bytes.data() + 8, U32At(bytes, 4) - 8)};
}

bool LooksLikeEmf(std::span<const uint8_t> bytes) {
  if (bytes.size() < 8 + kSmallestHeaderBody) return false;
  uint32_t type, signature;
  std::memcpy(&type, bytes.data(), 4);
  std::memcpy(&signature, bytes.data() + 8 + kSignatureAt, 4);
  return type == EmrHeader && signature == kEmfSignature;
}

bool ReadEmf(std::vector<uint8_t> bytes, EmfPicture& picture, std::string& error) {
  picture = EmfPicture{};
  const size_t total = bytes.size();
  if (!LooksLikeEmf(bytes)) {
    error = FormatText("no enhanced metafile header at byte 0 (an EMR_HEADER of at least 88 bytes with the signature "
                   "\" EMF\")");
    return false;
  }
  // Every record, the header first, is checked before it is viewed.
  size_t at = 0;
  bool ended = false;
  std::vector<uint32_t> starts;
  while (!ended) {
    if (total - at < 8) {
      error = FormatText("the data ends at byte %zu without an EMR_EOF record", total);
      return false;
    }
    const uint32_t type = U32At(bytes, at), size = U32At(bytes, at + 4);
    if (size < 8 || size % 4 != 0 || size > total - at) {
      error = FormatText("%s at byte %zu has a size of %u bytes: a record has at least 8 bytes, a multiple of 4, "
                     "and ends within the data (%zu bytes left)",
                     EmfRecordName(type).c_str(), at, size, total - at);
      return false;
    }
    if (at > UINT32_MAX) {
      error = FormatText("the data has %zu bytes; pictures of more than 4 GB are not read", total);
      return false;
    }
    if (at == 0 && size < 8 + kSmallestHeaderBody) {
      error = FormatText("EMR_HEADER at byte 0 has %u bytes; it needs at least 88", size);
      return false;
    }
    starts.push_back(static_cast<uint32_t>(at));
    ended = type == EmrEof;
    at += size;
  }
  picture.bytes = std::move(bytes);
  picture.starts.assign(starts.begin() + 1, starts.end());

  const EmfRecordView h{EmrHeader, std::span<const uint8_t>(picture.bytes.data() + 8, U32At(picture.bytes, 4) - 8)};
  EmfHeader& header = picture.header;
  header.bounds = RectAt(h, kBoundsAt);
  header.frame = RectAt(h, kFrameAt);
  header.version = h.U32(kVersionAt).value_or(0);
  header.bytes = h.U32(kBytesAt).value_or(0);
  header.records = h.U32(kRecordsAt).value_or(0);
  header.handles = static_cast<uint16_t>(h.U32(kHandlesAt).value_or(0));
  header.device = EmfSize{h.I32(kDeviceAt).value_or(0), h.I32(kDeviceAt + 4).value_or(0)};
  header.millimeters = EmfSize{h.I32(kMillimetersAt).value_or(0), h.I32(kMillimetersAt + 4).value_or(0)};
  // The size in micrometres stands in headers of at least 108 bytes whose
  // description and pixel format begin after it.
  const uint32_t descriptionCount = h.U32(kDescriptionCountAt).value_or(0);
  const uint32_t descriptionOffset = h.U32(kDescriptionOffsetAt).value_or(0);
  const uint32_t pixelFormatSize = h.U32(kPixelFormatSizeAt).value_or(0);
  const uint32_t pixelFormatOffset = h.U32(kPixelFormatOffsetAt).value_or(0);
  constexpr uint32_t kWithMicrometers = 108;
  if (h.SizeBytes() >= kWithMicrometers && (descriptionCount == 0 || descriptionOffset >= kWithMicrometers) &&
      (pixelFormatSize == 0 || pixelFormatOffset >= kWithMicrometers))
    header.micrometers = EmfSize{h.I32(kMicrometersAt).value_or(0), h.I32(kMicrometersAt + 4).value_or(0)};
  // The description, UTF-16, counted in characters from the record's start.
  const uint64_t end = static_cast<uint64_t>(descriptionOffset) + 2ull * descriptionCount;
  if (descriptionCount > 0 && descriptionOffset >= 88 && end <= h.SizeBytes()) {
    header.description.resize(descriptionCount);
    std::memcpy(header.description.data(), picture.bytes.data() + descriptionOffset, 2ull * descriptionCount);
    while (!header.description.empty() && header.description.back() == 0) header.description.pop_back();
  }
  return true;
}

}  // namespace wmf
