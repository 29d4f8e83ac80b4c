#include "emf_writer.h"

#include <cstring>
#include <tuple>

#include "emf_record_kinds.h"
#include "large_buffer.h"

namespace wmf {
namespace {

void PutU32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) { std::memcpy(bytes.data() + at, &value, 4); }

void PutRect(std::vector<uint8_t>& bytes, size_t at, const EmfRect& r) {
  const int32_t values[4] = {r.left, r.top, r.right, r.bottom};
  std::memcpy(bytes.data() + at, values, 16);
}

}  // namespace

EmfWriter::EmfWriter(std::span<const uint8_t> header, size_t reserveBytes) {
  ReserveLarge(bytes_, std::max(reserveBytes, header.size() + 8));
  // The header record as it stands in its picture, from its type on.
  bytes_.resize(8 + header.size());
  PutU32(bytes_, 0, EmrHeader);
  PutU32(bytes_, 4, static_cast<uint32_t>(8 + header.size()));
  std::memcpy(bytes_.data() + 8, header.data(), header.size());
  // A description or pixel format that the header places beyond itself is
  // left out: players read it wherever the header says.
  for (const auto& [countAt, offsetAt, unit] : {std::tuple{60, 64, 2}, std::tuple{88, 92, 1}}) {
    if (bytes_.size() < static_cast<size_t>(offsetAt) + 4) continue;
    uint32_t count, offset;
    std::memcpy(&count, bytes_.data() + countAt, 4);
    std::memcpy(&offset, bytes_.data() + offsetAt, 4);
    if (count == 0 || (offset >= 88 && offset + uint64_t{count} * unit <= bytes_.size())) continue;
    PutU32(bytes_, countAt, 0);
    PutU32(bytes_, offsetAt, 0);
  }
}

void EmfWriter::Append(uint32_t type, std::span<const uint8_t> body) {
  const size_t padded = (body.size() + 3) / 4 * 4;
  const size_t at = bytes_.size();
  bytes_.resize(at + 8 + padded, 0);
  PutU32(bytes_, at, type);
  PutU32(bytes_, at + 4, static_cast<uint32_t>(8 + padded));
  if (!body.empty()) std::memcpy(bytes_.data() + at + 8, body.data(), body.size());
  ++records_;
}

std::vector<uint8_t> EmfWriter::Finish(const EmfRect& frame, const EmfRect& bounds, uint16_t handles) {
  // EMR_EOF: no palette entries, their offset, and the record's size again.
  const uint32_t eof[3] = {0, 16, 20};
  Append(EmrEof, std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(eof), sizeof eof));
  PutRect(bytes_, 8, bounds);
  PutRect(bytes_, 24, frame);
  PutU32(bytes_, 48, static_cast<uint32_t>(bytes_.size()));
  PutU32(bytes_, 52, static_cast<uint32_t>(records_));
  const uint16_t handleWords[2] = {handles, 0};
  std::memcpy(bytes_.data() + 56, handleWords, 4);
  PutU32(bytes_, 68, 0);  // no palette entries: the EOF record has none
  return std::move(bytes_);
}

void EmfWriter::AppendInOwnPixels(const Affine& world, std::span<const Record> records) {
  constexpr uint32_t kMmText = 1;
  Append(EmrSaveDC, {});
  Append(EmrSetMapMode, EmfBody().U32(kMmText).Span());
  Append(EmrSetWindowOrgEx, EmfBody().I32(0).I32(0).Span());
  Append(EmrSetViewportOrgEx, EmfBody().I32(0).I32(0).Span());
  Append(EmrSetWorldTransform, TransformBody(world).Span());
  for (const Record& r : records) Append(r.type, r.body);
  Append(EmrRestoreDC, EmfBody().I32(-1).Span());
}

}  // namespace wmf
