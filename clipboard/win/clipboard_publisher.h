// Publishing a captured picture: played afresh with the settings in force,
// onto the clipboard as CF_METAFILEPICT with its physical size (and as
// CF_ENHMETAFILE when it was captured as an enhanced metafile too), or into
// a placeable WMF file or an EMF file.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "captured_original.h"
#include "enh_metafile.h"
#include "metafile.h"

#include <windows.h>

namespace wmf::win {

// The bits of a metafile handle, copied once into words as the engine reads
// them (`byteCount` of them are the metafile's); false when there are none.
bool MetafileWords(HMETAFILE metafile, std::vector<uint16_t>& words, size_t& byteCount);

// Shows a notice near the mouse pointer.
using ShowNotice = std::function<void(const std::wstring& text)>;

// Puts the picture played with `settings` on the clipboard in place of what
// is there, with `enhanced`, when given, the same picture as captured in its
// own format, played too and put first, and counts the play in the
// settings' statistics; the clipboard is opened for `owner` (the main
// window), since a clipboard emptied without an owner may refuse new data.
// `statusText` gets the size text (the enhanced picture's, when there is
// one) before the clipboard is opened. When `showNotice` is given and the
// Tooltip preference is set, the notice "Clipboard modified by Velloform"
// with the size follows. Failures are shown; false when the pictures did not
// reach the clipboard.
bool PublishToClipboard(CMetafile& picture, const CEnhMetafile* enhanced, HWND owner, WmfSettings& settings,
                        UserMessages& messages, std::wstring& statusText, const ShowNotice& showNotice);

// Puts a captured picture back on the clipboard exactly as it was taken, in
// its own format, in place of what is there; the clipboard is opened for
// `owner`. Failures are shown; false when it did not reach the clipboard.
bool PutOriginalOnClipboard(const CapturedOriginal& original, HWND owner, UserMessages& messages);

// Saves the picture played with `settings` as a placeable WMF file, and
// counts the play in the settings' statistics; failures are shown. An
// existing file is replaced only by a completely written one.
void SaveToFile(CMetafile& picture, WmfSettings& settings, const std::wstring& path, UserMessages& messages);
// The same for an enhanced metafile, saved as an EMF file.
void SaveToFile(const CEnhMetafile& picture, WmfSettings& settings, const std::wstring& path,
                UserMessages& messages);

}  // namespace wmf::win
