#include "placeable_file.h"

#include <algorithm>
#include <span>
#include <vector>

#include "text_format.h"

namespace wmf {

PlaceableHeader PlaceableHeaderFor(Size output, double unitsPerInchOut) {
  PlaceableHeader header;
  header.right = static_cast<int16_t>(output.x);
  header.bottom = static_cast<int16_t>(output.y);
  // The play keeps the scale within the field (it shrinks the coordinates
  // instead); a scale below one unit per inch is written as 1.
  header.inch = static_cast<uint16_t>(std::clamp(unitsPerInchOut, 1.0, 65535.0));
  return header;
}

FilePlayResult PlayToFile(CMetafile& picture, const WmfSettings& settings, FileSink& file) {
  FilePlayResult result;
  const uint8_t headerPlace[kPlaceableHeaderBytes] = {};
  if (!file.Append(headerPlace)) return result;
  WmfRecorder surface;
  surface.SpillTo([&file](std::span<const uint8_t> piece) { return file.Append(piece); });
  const PlayResult& played = result.played = picture.Play(surface, settings);
  const std::vector<uint8_t> header = surface.CloseSpilled();
  result.written = !header.empty() && file.Overwrite(kPlaceableHeaderBytes, header) &&
                   file.Overwrite(0, PlaceableHeaderBytes(PlaceableHeaderFor(played.output, played.unitsPerInch)));
  return result;
}

std::wstring SizeStatusText(Size himetric, bool metric) {
  if (metric) return FormatText(L"(size: %.1f * %.1f cm)", himetric.x / 1000.0, himetric.y / 1000.0);
  return FormatText(L"(size: %.2f\" * %.2f\")", himetric.x / 2540.0, himetric.y / 2540.0);
}

}  // namespace wmf
