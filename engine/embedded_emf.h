// The enhanced metafile that a Windows metafile may carry along in comment
// records (META_ESCAPE, MFCOMMENT, identifier "WMFC", type 1): the system's
// conversion of an EMF into a WMF keeps the original there, in pieces, so that
// a reader asking for the EMF again gets the original instead of the WMF.
#pragma once

#include <cstdint>
#include <vector>

#include "wmf_file.h"

namespace wmf {

inline constexpr uint16_t kMfComment = 0x000F;               // the escape function of comments
inline constexpr uint32_t kEmfCommentIdentifier = 0x43464D57;  // "WMFC"
inline constexpr uint32_t kEmfCommentType = 1;                 // the comment carries an EMF

// Whether the record is one piece of an embedded enhanced metafile.
bool IsEmbeddedEmfPiece(RecordView record);

struct EmbeddedEmf {
  size_t pieces = 0;           // records that carry a piece of it
  std::vector<uint8_t> bytes;  // the EMF put together; empty when pieces are missing or disagree
};

// The embedded EMF of a picture's records.
EmbeddedEmf FindEmbeddedEmf(const RecordList& records);

}  // namespace wmf
