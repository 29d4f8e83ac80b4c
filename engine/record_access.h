// Access to the words of a record's parameters, and the font a record makes.
// Where a record's coordinates, texts and boxes stand is record_views.h's.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "text_measurer.h"
#include "wmf_file.h"
#include "wmf_record_kinds.h"

namespace wmf {

inline bool Has(RecordView record, size_t count) { return record.params.size() >= count; }

inline int16_t Signed(RecordView record, size_t i) { return static_cast<int16_t>(record.params[i]); }

inline void Store(WmfRecord& record, size_t i, int32_t value) {
  record.params[i] = static_cast<uint16_t>(value);  // 16-bit wrap, as GDI stores coordinates
}

inline uint32_t DoubleWordAt(RecordView record, size_t i) {
  return record.params[i] | (static_cast<uint32_t>(record.params[i + 1]) << 16);
}

inline void StoreDoubleWord(WmfRecord& record, size_t i, uint32_t value) {
  record.params[i] = static_cast<uint16_t>(value);
  record.params[i + 1] = static_cast<uint16_t>(value >> 16);
}

// The byte at `offset` of the parameters (little-endian words).
inline uint8_t ByteAt(RecordView record, size_t offset) {
  const uint16_t word = record.params[offset / 2];
  return static_cast<uint8_t>(offset % 2 ? word >> 8 : word);
}

// The LOGFONT of a MetaCreateFontIndirect; fields beyond the record's end
// stay zero.
LogFont FontOf(RecordView record);

}  // namespace wmf
