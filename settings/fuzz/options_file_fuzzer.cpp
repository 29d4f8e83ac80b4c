// Loading an options file of any content, as "&Load Options" does: every
// value of the record is valid afterwards and every width a finite length;
// saved and loaded again, the record keeps what the file format can keep.
#include <cmath>
#include <cstdint>

#include "fuzz_support.h"
#include "ini_file_store.h"
#include "options_files.h"

namespace {

void CheckValid(const WmfSettings& settings) {
  for (const ScalarSetting& setting : ScalarSettings())
    FUZZ_CHECK(setting.IsValid(setting.intField ? settings.*setting.intField : settings.*setting.realField));
  for (int c = 1; c < kColorNumbers; ++c)
    FUZZ_CHECK(std::isfinite(settings.colors[c].width) && settings.colors[c].width >= 0);
}

// A real as a save and a load carry it: written with "%f", read back and
// held to its rule.
double AfterRoundTrip(double value, double defaultValue, bool valid) { return valid ? value : defaultValue; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const fuzz::Folder folder;
  const std::wstring input = folder.Put("input.vf3", data, size);
  fuzz::EmptyRegistry registry;
  fuzz::Messages messages;
  IniFileStore store(registry, messages);

  WmfSettings loaded(store, messages);
  ReadOptionsFile(loaded, input);
  CheckValid(loaded);
  FUZZ_CHECK(messages.shown == 0);

  folder.Remove("saved.vf3");
  const std::wstring saved = folder.File("saved.vf3");
  FUZZ_CHECK(loaded.TransferSettings(SettingsOp::SaveFile, saved));
  WmfSettings again(store, messages);
  ReadOptionsFile(again, saved);
  CheckValid(again);
  FUZZ_CHECK(messages.shown == 0);

  for (const ScalarSetting& setting : ScalarSettings()) {
    if (setting.intField) {
      FUZZ_CHECK(again.*setting.intField == loaded.*setting.intField);
      continue;
    }
    const double written = ParseReal(FormatReal(loaded.*setting.realField), setting.defaultValue);
    FUZZ_CHECK(again.*setting.realField == AfterRoundTrip(written, setting.defaultValue, setting.IsValid(written)));
  }
  for (int c = 1; c < kColorNumbers; ++c) {
    const double written = ParseReal(FormatReal(loaded.colors[c].width), 0.01);
    FUZZ_CHECK(again.colors[c].width == AfterRoundTrip(written, 0.01, written >= 0));
    FUZZ_CHECK(again.colors[c].lineColor == loaded.colors[c].lineColor);
    FUZZ_CHECK(again.colors[c].fillColor == loaded.colors[c].fillColor);
  }
  return 0;
}
