#include "wmf_file.h"

#include <algorithm>
#include <cstring>

#include "large_buffer.h"
#include "object_table.h"
#include "text_format.h"

namespace wmf {
namespace {

constexpr uint16_t kEndRecord[3] = {3, 0, MetaEof};

}  // namespace

bool operator==(RecordView a, RecordView b) {
  return a.function == b.function && std::ranges::equal(a.params, b.params);
}

bool ReadWmf(std::span<const uint8_t> data, WmfPicture& picture, std::string& error) {
  std::vector<uint16_t> words;
  ReserveLarge(words, (data.size() + 1) / 2);
  words.resize((data.size() + 1) / 2);
  if (!data.empty()) std::memcpy(words.data(), data.data(), data.size());
  return ReadWmf(std::move(words), data.size(), picture, error);
}

bool ReadWmf(std::vector<uint16_t> words, size_t byteCount, WmfPicture& picture, std::string& error) {
  picture = WmfPicture{};
  byteCount = std::min(byteCount, 2 * words.size());
  // Offsets are counted in words; an odd last byte belongs to no record.
  const size_t total = byteCount / 2;
  const auto DoubleWord = [&](size_t at) { return words[at] | (static_cast<uint32_t>(words[at + 1]) << 16); };
  if (total > UINT32_MAX) {
    error = FormatText("the data has %zu bytes; pictures of more than 8 GB are not read", byteCount);
    return false;
  }

  size_t start = 0;
  if (total >= 2 && DoubleWord(0) == kPlaceableKey) {
    if (byteCount < kPlaceableHeaderBytes) {
      error = FormatText("placeable header at byte 0 needs 22 bytes, the data has %zu", byteCount);
      return false;
    }
    PlaceableHeader placeable;
    placeable.left = static_cast<int16_t>(words[3]);
    placeable.top = static_cast<int16_t>(words[4]);
    placeable.right = static_cast<int16_t>(words[5]);
    placeable.bottom = static_cast<int16_t>(words[6]);
    placeable.inch = words[7];
    picture.placeable = placeable;
    start = kPlaceableHeaderBytes / 2;
  }

  const size_t available = byteCount - 2 * start;
  if (available < kStandardHeaderBytes) {
    error = FormatText("metafile header at byte %zu needs 18 bytes, the data has %zu", 2 * start, available);
    return false;
  }
  WmfHeader& header = picture.header;
  header.type = words[start];
  header.headerWords = words[start + 1];
  header.version = words[start + 2];
  header.sizeWords = DoubleWord(start + 3);
  header.objectCount = words[start + 5];
  header.maxRecordWords = DoubleWord(start + 6);
  header.parameterCount = words[start + 8];
  if (header.type != 1 && header.type != 2) {
    error = FormatText("metafile header at byte %zu has type %u; a metafile has type 1 (memory) or 2 (disk)",
                   2 * start, header.type);
    return false;
  }
  if (header.headerWords != 9) {
    error = FormatText("metafile header at byte %zu gives a header size of %u words; it must be 9",
                   2 * start + 2, header.headerWords);
    return false;
  }
  // The header's size, object count and largest record are not trusted:
  // readers go by the records, which must be complete and end with the end
  // record; the output's header is written fresh.

  std::vector<uint32_t>& starts = picture.records.starts_;
  size_t at = start + kStandardHeaderBytes / 2;
  // Room for records of eight words on average, which drawings exceed.
  ReserveLarge(starts, (total - at) / 8);
  for (;;) {
    if (total - at < 3) {
      error = FormatText("no end record: the records stop at byte %zu, %zu bytes before the end of the data",
                     2 * at, byteCount - 2 * at);
      if (2 * at == byteCount) error = FormatText("no end record: the data ends at byte %zu", byteCount);
      return false;
    }
    const uint32_t sizeWords = DoubleWord(at);
    const uint16_t function = words[at + 2];
    if (sizeWords < 3) {
      error = FormatText("record at byte %zu is %u words long; a record has at least 3", 2 * at, sizeWords);
      return false;
    }
    if (sizeWords > total - at) {
      error = FormatText("record %s at byte %zu is %u words long and runs past the end of the data at byte %zu",
                     RecordName(function).c_str(), 2 * at, sizeWords, byteCount);
      return false;
    }
    if (function == MetaEof) break;
    starts.push_back(static_cast<uint32_t>(at));
    at += sizeWords;
  }
  picture.records.words_ = std::move(words);
  return true;
}

uint16_t PeakObjectSlots(const std::vector<WmfRecord>& records) {
  ObjectTable table;
  for (const WmfRecord& record : records) {
    const ObjectKind created = CreatedObject(record.function);
    if (created != ObjectKind::None) {
      table.Create(created);
    } else if (record.function == MetaDeleteObject && !record.params.empty()) {
      table.Delete(record.params[0]);
    }
  }
  return static_cast<uint16_t>(std::min<size_t>(table.Peak(), 0xFFFF));
}

bool operator==(const RecordList& a, const RecordList& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (!(a[i] == b[i])) return false;
  return true;
}

std::vector<WmfRecord> CopyOf(const RecordList& records) {
  std::vector<WmfRecord> copies;
  copies.reserve(records.size());
  for (RecordView record : records) copies.push_back(CopyOf(record));
  return copies;
}

MetafileWriter::MetafileWriter() : bytes_(kStandardHeaderBytes) {}

void MetafileWriter::Reserve(size_t bytes) {
  if (spill_) return;  // a spilling writer keeps one piece at a time
  ReserveLarge(bytes_, kStandardHeaderBytes + bytes + 6);
}

void MetafileWriter::AppendBytes(const void* data, size_t count) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  bytes_.insert(bytes_.end(), bytes, bytes + count);
}

void MetafileWriter::Append(uint16_t function, std::span<const uint16_t> params) {
  const uint32_t size = static_cast<uint32_t>(3 + params.size());
  const uint16_t head[3] = {static_cast<uint16_t>(size), static_cast<uint16_t>(size >> 16), function};
  AppendBytes(head, sizeof head);
  AppendBytes(params.data(), 2 * params.size());
  maxRecordWords_ = std::max(maxRecordWords_, size);
  ++recordCount_;
  if (spill_ && bytes_.size() >= pieceBytes_) SpillPiece();
}

void MetafileWriter::SpillPiece() {
  if (!spillFailed_ && !spill_(bytes_)) spillFailed_ = true;
  spilledBytes_ += bytes_.size();
  bytes_.clear();
}

std::vector<uint8_t> MetafileWriter::HeaderBytes(uint64_t totalBytes, uint16_t objectCount) const {
  const uint32_t sizeWords = static_cast<uint32_t>(totalBytes / 2);
  const uint16_t header[9] = {1,  // memory metafile
                              9,
                              0x0300,
                              static_cast<uint16_t>(sizeWords),
                              static_cast<uint16_t>(sizeWords >> 16),
                              objectCount,
                              static_cast<uint16_t>(maxRecordWords_),
                              static_cast<uint16_t>(maxRecordWords_ >> 16),
                              0};
  const auto* bytes = reinterpret_cast<const uint8_t*>(header);
  return std::vector<uint8_t>(bytes, bytes + sizeof header);
}

std::vector<uint8_t> MetafileWriter::Finish(uint16_t objectCount) {
  AppendBytes(kEndRecord, sizeof kEndRecord);
  const std::vector<uint8_t> header = HeaderBytes(bytes_.size(), objectCount);
  std::copy(header.begin(), header.end(), bytes_.begin());
  std::vector<uint8_t> finished = std::move(bytes_);
  *this = MetafileWriter();
  return finished;
}

void MetafileWriter::SpillTo(Spill spill, size_t pieceBytes) {
  spill_ = std::move(spill);
  pieceBytes_ = std::max<size_t>(pieceBytes, 1);
  bytes_.reserve(pieceBytes_ + 64);
}

std::vector<uint8_t> MetafileWriter::FinishSpilled(uint16_t objectCount) {
  AppendBytes(kEndRecord, sizeof kEndRecord);
  SpillPiece();
  const bool failed = spillFailed_;
  const std::vector<uint8_t> header = HeaderBytes(spilledBytes_, objectCount);
  *this = MetafileWriter();
  return failed ? std::vector<uint8_t>() : header;
}

std::vector<uint8_t> WriteWmf(const std::vector<WmfRecord>& records) {
  MetafileWriter writer;
  for (const WmfRecord& record : records) writer.Append(record.function, record.params);
  return writer.Finish(PeakObjectSlots(records));
}

uint16_t PlaceableChecksum(const PlaceableHeader& header) {
  const uint16_t words[10] = {
      static_cast<uint16_t>(kPlaceableKey), static_cast<uint16_t>(kPlaceableKey >> 16),
      0,  // handle
      static_cast<uint16_t>(header.left), static_cast<uint16_t>(header.top),
      static_cast<uint16_t>(header.right), static_cast<uint16_t>(header.bottom),
      header.inch,
      0, 0};  // reserved
  uint16_t sum = 0;
  for (uint16_t word : words) sum ^= word;
  return sum;
}

std::vector<uint8_t> PlaceableHeaderBytes(const PlaceableHeader& header) {
  const uint16_t words[kPlaceableHeaderBytes / 2] = {
      static_cast<uint16_t>(kPlaceableKey), static_cast<uint16_t>(kPlaceableKey >> 16),
      0,  // handle
      static_cast<uint16_t>(header.left), static_cast<uint16_t>(header.top),
      static_cast<uint16_t>(header.right), static_cast<uint16_t>(header.bottom),
      header.inch,
      0, 0,  // reserved
      PlaceableChecksum(header)};
  const auto* bytes = reinterpret_cast<const uint8_t*>(words);
  return std::vector<uint8_t>(bytes, bytes + sizeof words);
}

std::vector<uint8_t> WritePlaceableWmf(const PlaceableHeader& header,
                                       std::span<const uint8_t> standardMetafile) {
  std::vector<uint8_t> out = PlaceableHeaderBytes(header);
  out.insert(out.end(), standardMetafile.begin(), standardMetafile.end());
  return out;
}

}  // namespace wmf
