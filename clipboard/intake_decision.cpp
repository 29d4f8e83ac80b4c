#include "intake_decision.h"

#include <cwctype>

namespace {

bool StartsWithIgnoringCase(const std::wstring& text, const wchar_t* prefix) {
  size_t i = 0;
  for (; prefix[i]; ++i)
    if (i >= text.size() || std::towlower(text[i]) != std::towlower(prefix[i])) return false;
  return true;
}

// Formats that come with a picture and do not make it "another kind" of
// data. The system adds a palette and a version-5 bitmap to every bitmap put
// on the clipboard, so they count as picture formats too.
constexpr unsigned kBitmap = 2, kMetafilePict = 3, kDib = 8, kPalette = 9, kEnhMetafile = 14, kDibV5 = 17;

bool IsPictureFormat(unsigned id) {
  return id == kBitmap || id == kMetafilePict || id == kDib || id == kPalette || id == kEnhMetafile || id == kDibV5;
}

}  // namespace

IntakeFacts GatherIntakeFacts(const std::vector<ClipboardFormat>& formats) {
  IntakeFacts facts;
  bool metafilePictSeen = false;
  for (const ClipboardFormat& format : formats) {
    if (format.id == kMetafilePict) metafilePictSeen = true;
    if (format.id == kEnhMetafile && !metafilePictSeen) facts.ownEnhancedMetafile = true;
    if (format.name) {
      if (StartsWithIgnoringCase(*format.name, L"AutoCAD") || StartsWithIgnoringCase(*format.name, L"Autosketch"))
        facts.cadSource = true;
      if (StartsWithIgnoringCase(*format.name, L"IntelliCAD")) facts.intelliCad = true;
    } else if (!IsPictureFormat(format.id)) {
      facts.otherFormats = true;
    }
  }
  return facts;
}

bool ShouldModify(int autoModify, bool force, const IntakeFacts& facts) {
  if (force || autoModify == 3 || facts.cadSource) return true;
  return autoModify == 2 && !facts.otherFormats;
}
