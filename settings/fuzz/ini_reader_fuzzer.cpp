// The INI reader on any bytes: decoding in each of its encodings, lookups,
// updates and writing back. An ANSI file comes back byte for byte; writing
// what was read and reading it again changes nothing more; a value set is
// the value read.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "ini_file.h"

namespace {

bool IsAnsi(const std::vector<uint8_t>& bytes) {
  const bool utf8 = bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF;
  const bool utf16 = bytes.size() >= 2 && ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF));
  return !utf8 && !utf16;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> bytes(data, data + size);
  IniDocument document = IniDocument::Decode(bytes);
  const std::vector<uint8_t> encoded = document.Encode();
  if (IsAnsi(bytes)) FUZZ_CHECK(encoded == bytes);
  FUZZ_CHECK(IniDocument::Decode(encoded).Encode() == encoded);

  // The lookups of an options file and of a PC2 file, at both buffer sizes.
  static const wchar_t* const kLookups[][2] = {
      {L"Velloform", L"ColorOnly"}, {L"Options", L"Margin"},       {L"Options", L"Crop"},
      {L"Preferences", L"oPalette"}, {L"Options\\Width", L"Color1"}, {L"Plotter/Device/WidthTable", L"color1"},
  };
  for (const auto& lookup : kLookups) {
    const auto full = document.Value(lookup[0], lookup[1], kIniStringBuffer);
    const auto small = document.Value(lookup[0], lookup[1], kIniIntBuffer);
    FUZZ_CHECK(full.has_value() == small.has_value());
    if (full) FUZZ_CHECK(full->size() < kIniStringBuffer && small->size() < kIniIntBuffer);
  }

  // Updates in place and in new sections survive a write and a read.
  document.SetValue(L"Options", L"Crop", L"1");
  document.SetValue(L"Options\\FillColor", L"Color255", L"16711680");
  document.SetValue(L"Velloform", L"Program Type", L"Clipmend.exe");
  const IniDocument reread = IniDocument::Decode(document.Encode());
  for (const IniDocument* d : {static_cast<const IniDocument*>(&document), &reread}) {
    FUZZ_CHECK(d->Value(L"Options", L"Crop", kIniStringBuffer) == L"1");
    FUZZ_CHECK(d->Value(L"options\\fillcolor", L"COLOR255", kIniStringBuffer) == L"16711680");
    FUZZ_CHECK(d->Value(L"Velloform", L"Program Type", kIniStringBuffer) == L"Clipmend.exe");
  }
  return 0;
}
