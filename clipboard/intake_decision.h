// Whether the picture on the clipboard is to be modified, judged by the
// automatic-modification mode and by the clipboard's other formats.
#pragma once

#include <optional>
#include <string>
#include <vector>

// One format on the clipboard: its number and, for a registered format, its
// name.
struct ClipboardFormat {
  unsigned id = 0;
  std::optional<std::wstring> name;
};

// What the clipboard's formats tell about the picture's source.
struct IntakeFacts {
  bool cadSource = false;     // a format named "AutoCAD…" or "Autosketch…"
  bool intelliCad = false;    // a format named "IntelliCAD…"
  bool otherFormats = false;  // an unnamed format other than a picture format
  // The clipboard's owner put an enhanced metafile there itself: it is
  // listed before any CF_METAFILEPICT, as the system lists the formats it
  // converts to after the owner's own.
  bool ownEnhancedMetafile = false;
};

IntakeFacts GatherIntakeFacts(const std::vector<ClipboardFormat>& formats);

// `force` is the "&Modify and Replace now" command; `autoModify` the mode 0..3.
bool ShouldModify(int autoModify, bool force, const IntakeFacts& facts);

// The status phrases of intake, shown after "Velloform " in the tray tool tip.
inline constexpr wchar_t kStatusNotModified[] = L"(WMF not modified)";
inline constexpr wchar_t kStatusUnreadable[] = L"(WMF not modified: unreadable picture)";
inline constexpr wchar_t kStatusCannotOpen[] = L"(unable to open clipboard for reading)";
inline constexpr wchar_t kStatusPrivate[] = L"(WMF not modified: marked private)";
inline constexpr wchar_t kStatusOriginalRestored[] = L"(original restored)";
