// The intake decision on any list of clipboard formats. The first byte is
// the mode (bits 0-1) and the command (bit 2); then each format is two bytes
// of number and a length byte, whose top bit says that a name of that many
// characters (one byte each) follows.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "fuzz_check.h"
#include "intake_decision.h"

namespace {

std::vector<ClipboardFormat> ReadFormats(const uint8_t* data, size_t size) {
  std::vector<ClipboardFormat> formats;
  size_t at = 0;
  while (at + 3 <= size) {
    ClipboardFormat& format = formats.emplace_back();
    format.id = static_cast<unsigned>(data[at] | data[at + 1] << 8);
    const uint8_t length = data[at + 2];
    at += 3;
    if (!(length & 0x80)) continue;
    std::wstring name;
    for (size_t k = 0; k < (length & 0x7Fu) && at < size; ++k) name.push_back(static_cast<wchar_t>(data[at++]));
    format.name = name;
  }
  return formats;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const int mode = data[0] & 3;
  const bool force = (data[0] & 4) != 0;
  std::vector<ClipboardFormat> formats = ReadFormats(data + 1, size - 1);
  const IntakeFacts facts = GatherIntakeFacts(formats);
  const bool modify = ShouldModify(mode, force, facts);

  if (force || mode == 3 || facts.cadSource) FUZZ_CHECK(modify);
  if (mode < 2 && !facts.cadSource) FUZZ_CHECK(modify == force);
  for (const ClipboardFormat& format : formats)
    if (format.name && (format.name->rfind(L"AutoCAD", 0) == 0 || format.name->rfind(L"AUTOSKETCH", 0) == 0))
      FUZZ_CHECK(facts.cadSource);

  // More formats of another kind never make a picture qualify.
  formats.push_back(ClipboardFormat{1, std::nullopt});  // CF_TEXT
  const IntakeFacts withText = GatherIntakeFacts(formats);
  FUZZ_CHECK(withText.otherFormats);
  FUZZ_CHECK(withText.cadSource == facts.cadSource && withText.intelliCad == facts.intelliCad);
  if (!modify) FUZZ_CHECK(!ShouldModify(mode, force, withText));
  // The picture's own companions never count as other formats.
  if (!facts.otherFormats) {
    formats.back().id = 14;  // CF_ENHMETAFILE, added by the system
    FUZZ_CHECK(!GatherIntakeFacts(formats).otherFormats);
  }
  return 0;
}
