#include "embedded_emf.h"

#include "record_access.h"

namespace wmf {
namespace {

// The comment's fields, as parameter indices: EscapeFunction, ByteCount, then
// CommentIdentifier, CommentType, Version, Checksum (one word), Flags,
// CommentRecordCount, CurrentRecordSize, RemainingBytes,
// EnhancedMetafileDataSize, and this piece's bytes of the EMF.
constexpr size_t kIdentifier = 2, kType = 4, kRecordCount = 11, kPieceSize = 13, kRemaining = 15, kTotalSize = 17,
                 kData = 19;

}  // namespace

bool IsEmbeddedEmfPiece(RecordView r) {
  return r.function == MetaEscape && Has(r, kData) && r.params[0] == kMfComment &&
         DoubleWordAt(r, kIdentifier) == kEmfCommentIdentifier && DoubleWordAt(r, kType) == kEmfCommentType;
}

EmbeddedEmf FindEmbeddedEmf(const RecordList& records) {
  EmbeddedEmf found;
  bool agree = true;
  uint32_t total = 0, expectedPieces = 0;
  for (RecordView r : records) {
    if (!IsEmbeddedEmfPiece(r)) continue;
    ++found.pieces;
    if (!agree) continue;
    const uint32_t pieceSize = DoubleWordAt(r, kPieceSize), remaining = DoubleWordAt(r, kRemaining);
    if (found.pieces == 1) {
      total = DoubleWordAt(r, kTotalSize);
      expectedPieces = DoubleWordAt(r, kRecordCount);
    }
    // Each piece fits its record and its escape's byte count, and the pieces
    // add up, in order, to the size the first one announces.
    const size_t room = 2 * (r.params.size() - kData);
    agree = DoubleWordAt(r, kTotalSize) == total && pieceSize <= room && r.params[1] >= 34 &&
            pieceSize <= r.params[1] - 34u && found.bytes.size() + pieceSize <= total &&
            remaining == total - found.bytes.size() - pieceSize;
    if (!agree) continue;
    const uint8_t* data = reinterpret_cast<const uint8_t*>(r.params.data() + kData);
    found.bytes.insert(found.bytes.end(), data, data + pieceSize);
  }
  if (!agree || found.bytes.size() != total || found.pieces != expectedPieces) found.bytes.clear();
  return found;
}

}  // namespace wmf
