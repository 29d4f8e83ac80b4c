#include "record_access.h"

namespace wmf {

LogFont FontOf(const WmfRecord& record) {
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

bool ReadExtTextLayout(const WmfRecord& record, ExtTextLayout& layout) {
  if (!Has(record, 4)) return false;
  layout.count = record.params[2];
  layout.options = record.params[3];
  layout.hasRect = (layout.options & (kEtoOpaque | kEtoClipped)) != 0;
  layout.stringWord = layout.hasRect ? 8 : 4;
  const size_t stringWords = (layout.count + 1) / 2;
  if (record.params.size() < layout.stringWord + stringWords) return false;
  layout.dxWord = layout.stringWord + stringWords;
  layout.hasDx = record.params.size() >= layout.dxWord + layout.count && layout.count > 0;
  return true;
}

std::string_view ExtTextString(const WmfRecord& record, const ExtTextLayout& layout, std::string& buffer) {
  buffer.resize(layout.count);
  for (size_t i = 0; i < layout.count; ++i) buffer[i] = static_cast<char>(ByteAt(record, 2 * layout.stringWord + i));
  return buffer;
}

}  // namespace wmf
