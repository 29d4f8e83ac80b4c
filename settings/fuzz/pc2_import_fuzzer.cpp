// Importing the pen tables of a plotter file of any content. The first byte
// chooses the unit (bit 0) and the palette in use (the rest, modulo 9); the
// other bytes are the file. Only the colour numbers that stand for
// themselves change, each to a finite width, its palette colour and a grey.
#include <cmath>
#include <cstdint>

#include "fuzz_support.h"
#include "ini_file_store.h"
#include "options_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const fuzz::Folder folder;
  if (size == 0) return 0;
  const std::wstring input = folder.Put("input.pc2", data + 1, size - 1);
  fuzz::EmptyRegistry registry;
  fuzz::Messages messages;
  IniFileStore store(registry, messages);
  WmfSettings settings(store, messages);
  settings.IsMetric = data[0] & 1;
  settings.oPalette = (data[0] >> 1) % kPaletteCount;
  const auto before = settings.colors;

  ReadOptionsFile(settings, input);
  FUZZ_CHECK(messages.shown == 0);
  for (int k = 1; k < kColorNumbers; ++k) {
    const ColorEntry& entry = settings.colors[k];
    if (entry.representative != k) {
      FUZZ_CHECK(entry.width == before[k].width && entry.lineColor == before[k].lineColor &&
                 entry.fillColor == before[k].fillColor);
      continue;
    }
    FUZZ_CHECK(std::isfinite(entry.width));
    FUZZ_CHECK(entry.lineColor == AcadPalettes()[k][settings.oPalette]);
    FUZZ_CHECK(entry.fillColor == (entry.fillColor & 0xFF) * 0x010101u);
  }
  return 0;
}
