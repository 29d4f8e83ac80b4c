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

bool ReadExtTextLayout(RecordView record, ExtTextLayout& layout) {
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

std::string_view ExtTextString(RecordView record, const ExtTextLayout& layout, std::string& buffer) {
  buffer.resize(layout.count);
  for (size_t i = 0; i < layout.count; ++i) buffer[i] = static_cast<char>(ByteAt(record, 2 * layout.stringWord + i));
  return buffer;
}

std::optional<BlitView> BlitView::Of(RecordView r) {
  const size_t n = r.params.size();
  // A blit without a bitmap is exactly as long as its function number says.
  const bool noBitmap = n == static_cast<size_t>(r.function >> 8);
  BlitView view;
  size_t needed = 0;
  switch (r.function) {
    case MetaPatBlt: view.box = 2; needed = 6; break;
    case MetaBitBlt:
    case MetaDibBitBlt: view.box = noBitmap ? 5 : 4; view.bitmap = noBitmap ? 0 : 8; needed = noBitmap ? 9 : 8; break;
    case MetaStretchBlt:
    case MetaDibStretchBlt:
      view.box = noBitmap ? 7 : 6;
      view.bitmap = noBitmap ? 0 : 10;
      view.source = 2;
      needed = noBitmap ? 11 : 10;
      break;
    case MetaStretchDib: view.box = 7; view.bitmap = 11; view.source = 3; needed = 11; break;
    case MetaSetDibToDev: view.box = 5; view.bitmap = 9; needed = 9; break;
    default: return std::nullopt;
  }
  if (n < needed) return std::nullopt;
  if (view.bitmap >= n) view.bitmap = 0;
  view.height = Signed(r, view.box);
  view.width = Signed(r, view.box + 1);
  view.y = Signed(r, view.box + 2);
  view.x = Signed(r, view.box + 3);
  return view;
}

std::optional<TextOutView> TextOutView::Of(RecordView r) {
  if (r.function != MetaTextOut || !Has(r, 1)) return std::nullopt;
  TextOutView view;
  view.count = r.params[0];
  view.yParam = 1 + (view.count + 1) / 2;
  if (!Has(r, view.yParam + 2)) return std::nullopt;
  view.y = Signed(r, view.yParam);
  view.x = Signed(r, view.yParam + 1);
  return view;
}

std::string_view TextOutView::String(RecordView record, std::string& buffer) const {
  buffer.resize(count);
  for (size_t i = 0; i < count; ++i) buffer[i] = static_cast<char>(ByteAt(record, 2 + i));
  return buffer;
}

}  // namespace wmf
