#include "record_access.h"

namespace wmf {

LogFont FontOf(RecordView record) {
  LogFont font;
  const size_t n = record.params.size();
  int16_t* words[] = {&font.height, &font.width, &font.escapement, &font.orientation, &font.weight};
  for (size_t i = 0; i < 5 && i < n; ++i) *words[i] = Signed(record, i);
  uint8_t* bytes[] = {&font.italic, &font.underline, &font.strikeOut, &font.charSet,
                      &font.outPrecision, &font.clipPrecision, &font.quality, &font.pitchAndFamily};
  const size_t byteCount = 2 * n;
  for (size_t i = 0; i < 8 && 10 + i < byteCount; ++i) *bytes[i] = ByteAt(record, 10 + i);
  for (size_t at = 18; at < byteCount && at < 18 + 32; ++at) {
    const uint8_t c = ByteAt(record, at);
    if (c == 0) break;
    font.faceName.push_back(static_cast<char>(c));
  }
  return font;
}

}  // namespace wmf
