// The WMF record model: a picture read from bytes into a header and a list of
// records, and written back as a standard or placeable metafile.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace wmf {

// One record: its function number and its parameters as 16-bit words, in
// the order in which they stand in the file.
struct WmfRecord {
  uint16_t function = 0;
  std::vector<uint16_t> params;

  uint32_t SizeWords() const { return 3 + static_cast<uint32_t>(params.size()); }
  bool operator==(const WmfRecord&) const = default;
};

// The standard 18-byte header (METAHEADER).
struct WmfHeader {
  uint16_t type = 1;          // 1 memory, 2 disk
  uint16_t headerWords = 9;
  uint16_t version = 0x0300;
  uint32_t sizeWords = 0;     // whole metafile, header included
  uint16_t objectCount = 0;   // object-table slots the picture needs
  uint32_t maxRecordWords = 0;
  uint16_t parameterCount = 0;
};

// The 22-byte header of a placeable metafile file.
struct PlaceableHeader {
  int16_t left = 0, top = 0, right = 0, bottom = 0;
  uint16_t inch = 0;  // logical units per inch
};

inline constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
inline constexpr size_t kPlaceableHeaderBytes = 22;
inline constexpr size_t kStandardHeaderBytes = 18;

struct WmfPicture {
  std::optional<PlaceableHeader> placeable;
  WmfHeader header;
  std::vector<WmfRecord> records;  // in file order, without the end record
};

// Reads a standard or placeable metafile. Every read is bounded by the data;
// on malformed input returns false and sets `error` to a message that names
// the byte offset of the fault.
bool ReadWmf(std::span<const uint8_t> data, WmfPicture& picture, std::string& error);

// The number of object-table slots that playing `records` needs at most: a
// created object takes the first free slot, a deleted one frees its slot.
uint16_t PeakObjectSlots(const std::vector<WmfRecord>& records);

// Writes a standard metafile: the header (size, largest record and object
// count filled from the records), the records and the end record.
std::vector<uint8_t> WriteWmf(const std::vector<WmfRecord>& records);

// A standard metafile from records already laid out as 16-bit words (size,
// function, parameters each); adds the header and the end record.
std::vector<uint8_t> AssembleWmf(std::span<const uint16_t> recordWords, uint16_t objectCount,
                                 uint32_t maxRecordWords);

// The placeable header's checksum: the XOR of its first ten 16-bit words.
uint16_t PlaceableChecksum(const PlaceableHeader& header);

// The 22 bytes of a placeable header, checksum included.
std::vector<uint8_t> PlaceableHeaderBytes(const PlaceableHeader& header);

// A placeable file: the 22-byte header followed by a standard metafile.
std::vector<uint8_t> WritePlaceableWmf(const PlaceableHeader& header,
                                       std::span<const uint8_t> standardMetafile);

}  // namespace wmf
