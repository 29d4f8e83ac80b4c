// The WMF record model: a picture read from bytes into a header and a list of
// records, and written back as a standard or placeable metafile.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace wmf {

// The program reads and writes the metafile's little-endian words in place.
static_assert(std::endian::native == std::endian::little, "metafile words are read in place: little-endian hosts only");

// One record as it stands in a picture: its function number and its
// parameters as 16-bit words, viewed where they are stored.
struct RecordView {
  uint16_t function = 0;
  std::span<const uint16_t> params;

  uint32_t SizeWords() const { return 3 + static_cast<uint32_t>(params.size()); }
};

// Same function, same parameters.
bool operator==(RecordView a, RecordView b);

// A record of its own, for records the program builds or changes.
struct WmfRecord {
  uint16_t function = 0;
  std::vector<uint16_t> params;

  uint32_t SizeWords() const { return 3 + static_cast<uint32_t>(params.size()); }
  bool operator==(const WmfRecord&) const = default;
  operator RecordView() const { return RecordView{function, params}; }
  void Assign(RecordView record) {
    function = record.function;
    params.assign(record.params.begin(), record.params.end());
  }
};

inline WmfRecord CopyOf(RecordView record) {
  return WmfRecord{record.function, std::vector<uint16_t>(record.params.begin(), record.params.end())};
}

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

struct WmfPicture;

// The records of a picture in file order, without the end record: views
// into the picture's words, which the list owns, as read.
class RecordList {
 public:
  class Iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = RecordView;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = RecordView;

    Iterator() = default;
    Iterator(const RecordList* list, size_t index) : list_(list), index_(index) {}
    RecordView operator*() const { return (*list_)[index_]; }
    Iterator& operator++() {
      ++index_;
      return *this;
    }
    Iterator operator++(int) { return Iterator(list_, index_++); }
    bool operator==(const Iterator& other) const { return index_ == other.index_; }

   private:
    const RecordList* list_ = nullptr;
    size_t index_ = 0;
  };

  size_t size() const { return starts_.size(); }
  bool empty() const { return starts_.empty(); }
  RecordView operator[](size_t i) const {
    const uint16_t* record = words_.data() + starts_[i];
    const uint32_t sizeWords = record[0] | (static_cast<uint32_t>(record[1]) << 16);
    return RecordView{record[2], std::span<const uint16_t>(record + 3, sizeWords - 3)};
  }
  RecordView back() const { return (*this)[size() - 1]; }
  Iterator begin() const { return Iterator(this, 0); }
  Iterator end() const { return Iterator(this, size()); }

  // The size of the picture the records were read from, in bytes.
  size_t SourceBytes() const { return 2 * words_.size(); }

 private:
  friend bool ReadWmf(std::vector<uint16_t> words, size_t byteCount, WmfPicture& picture, std::string& error);
  std::vector<uint16_t> words_;
  std::vector<uint32_t> starts_;  // word index of each record
};

struct WmfPicture {
  std::optional<PlaceableHeader> placeable;
  WmfHeader header;
  RecordList records;
};

// Reads a standard or placeable metafile. Every read is bounded by the data;
// on malformed input returns false and sets `error` to a message that names
// the byte offset of the fault.
bool ReadWmf(std::span<const uint8_t> data, WmfPicture& picture, std::string& error);

// The same for data already held as words (the first `byteCount` bytes of
// `words`), which the picture keeps without a copy.
bool ReadWmf(std::vector<uint16_t> words, size_t byteCount, WmfPicture& picture, std::string& error);

// The number of object-table slots that playing `records` needs at most: a
// created object takes the first free slot, a deleted one frees its slot.
uint16_t PeakObjectSlots(const std::vector<WmfRecord>& records);

// Same records in the same order.
bool operator==(const RecordList& a, const RecordList& b);

// The records of a picture as records of their own.
std::vector<WmfRecord> CopyOf(const RecordList& records);

// Builds a standard metafile in one buffer: records are appended as they
// come and the header's counts are filled in at the end.
class MetafileWriter {
 public:
  MetafileWriter();

  // Room for `bytes` of records, so that a picture of a known size is built
  // without moving it.
  void Reserve(size_t bytes);
  void Append(uint16_t function, std::span<const uint16_t> params);
  size_t RecordCount() const { return recordCount_; }

  // The finished metafile: header, records and end record. The writer is
  // empty afterwards.
  std::vector<uint8_t> Finish(uint16_t objectCount);

  // For a metafile that goes straight to a file: the bytes are handed to
  // `spill` in pieces of about `pieceBytes` as they come instead of being
  // kept, the header's place going out as zeros first; FinishSpilled then
  // gives the header for that place. A spill that fails ends the spilling.
  using Spill = std::function<bool(std::span<const uint8_t> piece)>;
  void SpillTo(Spill spill, size_t pieceBytes);
  // The header, once the end record has been spilled; empty when a spill
  // failed.
  std::vector<uint8_t> FinishSpilled(uint16_t objectCount);

 private:
  void AppendBytes(const void* data, size_t count);
  void SpillPiece();
  std::vector<uint8_t> HeaderBytes(uint64_t totalBytes, uint16_t objectCount) const;

  std::vector<uint8_t> bytes_;
  uint32_t maxRecordWords_ = 3;
  size_t recordCount_ = 0;
  Spill spill_;
  size_t pieceBytes_ = 0;
  uint64_t spilledBytes_ = 0;
  bool spillFailed_ = false;
};

// Writes a standard metafile of `records` as they are, the object count
// taken from them.
std::vector<uint8_t> WriteWmf(const std::vector<WmfRecord>& records);

// The placeable header's checksum: the XOR of its first ten 16-bit words.
uint16_t PlaceableChecksum(const PlaceableHeader& header);

// The 22 bytes of a placeable header, checksum included.
std::vector<uint8_t> PlaceableHeaderBytes(const PlaceableHeader& header);

// A placeable file: the 22-byte header followed by a standard metafile.
std::vector<uint8_t> WritePlaceableWmf(const PlaceableHeader& header,
                                       std::span<const uint8_t> standardMetafile);

}  // namespace wmf
