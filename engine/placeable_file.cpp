#include "placeable_file.h"

#include <cwchar>
#include <iterator>

namespace wmf {

std::vector<uint8_t> PlaceableFileBytes(std::span<const uint8_t> metafileBits, Size output, double unitsPerInchOut) {
  PlaceableHeader header;
  header.right = static_cast<int16_t>(output.x);
  header.bottom = static_cast<int16_t>(output.y);
  const double inch = unitsPerInchOut > 0 && unitsPerInchOut < 2147483648.0 ? unitsPerInchOut : 0;
  header.inch = static_cast<uint16_t>(static_cast<int32_t>(inch));
  return WritePlaceableWmf(header, metafileBits);
}

std::wstring SizeStatusText(Size himetric, bool metric) {
  wchar_t text[128];
  if (metric) std::swprintf(text, std::size(text), L"(size: %.1f * %.1f cm)", himetric.x / 1000.0, himetric.y / 1000.0);
  else std::swprintf(text, std::size(text), L"(size: %.2f\" * %.2f\")", himetric.x / 2540.0, himetric.y / 2540.0);
  return text;
}

}  // namespace wmf
