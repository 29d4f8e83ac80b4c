#include "wmf_file.h"

#include <algorithm>
#include <cstdio>

#include "object_table.h"

namespace wmf {
namespace {

uint16_t Word(std::span<const uint8_t> data, size_t at) {
  return static_cast<uint16_t>(data[at] | (data[at + 1] << 8));
}

uint32_t DoubleWord(std::span<const uint8_t> data, size_t at) {
  return Word(data, at) | (static_cast<uint32_t>(Word(data, at + 2)) << 16);
}

void PutWord(std::vector<uint8_t>& out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

void PutDoubleWord(std::vector<uint8_t>& out, uint32_t value) {
  PutWord(out, static_cast<uint16_t>(value));
  PutWord(out, static_cast<uint16_t>(value >> 16));
}

template <typename... Args>
std::string Format(const char* format, Args... args) {
  char text[256];
  std::snprintf(text, sizeof text, format, args...);
  return text;
}

}  // namespace

bool ReadWmf(std::span<const uint8_t> data, WmfPicture& picture, std::string& error) {
  picture = WmfPicture{};
  size_t start = 0;
  if (data.size() >= 4 && DoubleWord(data, 0) == kPlaceableKey) {
    if (data.size() < kPlaceableHeaderBytes) {
      error = Format("placeable header at byte 0 needs 22 bytes, the data has %zu", data.size());
      return false;
    }
    PlaceableHeader placeable;
    placeable.left = static_cast<int16_t>(Word(data, 6));
    placeable.top = static_cast<int16_t>(Word(data, 8));
    placeable.right = static_cast<int16_t>(Word(data, 10));
    placeable.bottom = static_cast<int16_t>(Word(data, 12));
    placeable.inch = Word(data, 14);
    picture.placeable = placeable;
    start = kPlaceableHeaderBytes;
  }

  const size_t available = data.size() - start;
  if (available < kStandardHeaderBytes) {
    error = Format("metafile header at byte %zu needs 18 bytes, the data has %zu", start, available);
    return false;
  }
  WmfHeader& header = picture.header;
  header.type = Word(data, start);
  header.headerWords = Word(data, start + 2);
  header.version = Word(data, start + 4);
  header.sizeWords = DoubleWord(data, start + 6);
  header.objectCount = Word(data, start + 10);
  header.maxRecordWords = DoubleWord(data, start + 12);
  header.parameterCount = Word(data, start + 16);
  if (header.type != 1 && header.type != 2) {
    error = Format("metafile header at byte %zu has type %u; a metafile has type 1 (memory) or 2 (disk)",
                   start, header.type);
    return false;
  }
  if (header.headerWords != 9) {
    error = Format("metafile header at byte %zu gives a header size of %u words; it must be 9",
                   start + 2, header.headerWords);
    return false;
  }
  // The header's size, object count and largest record are not trusted:
  // readers go by the records, which must be complete and end with the end
  // record; the output's header is written fresh.

  size_t at = start + kStandardHeaderBytes;
  for (;;) {
    if (data.size() - at < 6) {
      error = Format("no end record: the records stop at byte %zu, %zu bytes before the end of the data",
                     at, data.size() - at);
      if (at == data.size()) error = Format("no end record: the data ends at byte %zu", at);
      return false;
    }
    const uint32_t sizeWords = DoubleWord(data, at);
    const uint16_t function = Word(data, at + 4);
    if (sizeWords < 3) {
      error = Format("record at byte %zu is %u words long; a record has at least 3", at, sizeWords);
      return false;
    }
    if (static_cast<uint64_t>(sizeWords) * 2 > data.size() - at) {
      error = Format("record %s at byte %zu is %u words long and runs past the end of the data at byte %zu",
                     RecordName(function).c_str(), at, sizeWords, data.size());
      return false;
    }
    if (function == MetaEof) break;
    WmfRecord& record = picture.records.emplace_back();
    record.function = function;
    record.params.resize(sizeWords - 3);
    for (size_t i = 0; i < record.params.size(); ++i) record.params[i] = Word(data, at + 6 + 2 * i);
    at += static_cast<size_t>(sizeWords) * 2;
  }
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

std::vector<uint8_t> WriteWmf(const std::vector<WmfRecord>& records) {
  std::vector<uint16_t> words;
  uint32_t maxRecord = 3;
  for (const WmfRecord& record : records) {
    const uint32_t size = record.SizeWords();
    words.push_back(static_cast<uint16_t>(size));
    words.push_back(static_cast<uint16_t>(size >> 16));
    words.push_back(record.function);
    words.insert(words.end(), record.params.begin(), record.params.end());
    maxRecord = std::max(maxRecord, size);
  }
  return AssembleWmf(words, PeakObjectSlots(records), maxRecord);
}

std::vector<uint8_t> AssembleWmf(std::span<const uint16_t> recordWords, uint16_t objectCount,
                                 uint32_t maxRecordWords) {
  const uint32_t sizeWords = static_cast<uint32_t>(9 + recordWords.size() + 3);
  std::vector<uint8_t> out;
  out.reserve(2 * static_cast<size_t>(sizeWords));
  PutWord(out, 1);  // memory metafile
  PutWord(out, 9);
  PutWord(out, 0x0300);
  PutDoubleWord(out, sizeWords);
  PutWord(out, objectCount);
  PutDoubleWord(out, maxRecordWords);
  PutWord(out, 0);
  for (uint16_t word : recordWords) PutWord(out, word);
  PutDoubleWord(out, 3);
  PutWord(out, MetaEof);
  return out;
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
  std::vector<uint8_t> out;
  out.reserve(kPlaceableHeaderBytes);
  PutDoubleWord(out, kPlaceableKey);
  PutWord(out, 0);
  PutWord(out, static_cast<uint16_t>(header.left));
  PutWord(out, static_cast<uint16_t>(header.top));
  PutWord(out, static_cast<uint16_t>(header.right));
  PutWord(out, static_cast<uint16_t>(header.bottom));
  PutWord(out, header.inch);
  PutDoubleWord(out, 0);
  PutWord(out, PlaceableChecksum(header));
  return out;
}

std::vector<uint8_t> WritePlaceableWmf(const PlaceableHeader& header,
                                       std::span<const uint8_t> standardMetafile) {
  std::vector<uint8_t> out = PlaceableHeaderBytes(header);
  out.insert(out.end(), standardMetafile.begin(), standardMetafile.end());
  return out;
}

}  // namespace wmf
