#include "clipboard_publisher.h"

#include <span>
#include <utility>
#include <vector>

#include "placeable_file.h"
#include "sizing.h"
#include "text_format.h"
#include "whole_file.h"
#include "win/clipboard_lock.h"
#include "win/gdi_owners.h"
#include "win/system_error_text.h"
#include "win/unique_handle.h"

namespace wmf::win {
namespace {

// Puts metafile bits on the clipboard as CF_METAFILEPICT with the record's
// mapping mode and size, in place of what is there. Failures are shown.
bool PutMetafilePict(std::span<const uint8_t> bits, const MetafilePict& record, HWND owner, UserMessages& messages) {
  MetafileOwner metafile(SetMetaFileBitsEx(static_cast<UINT>(bits.size()), bits.data()));
  GlobalMemory block(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, sizeof(METAFILEPICT)));
  {
    const LockedGlobal<METAFILEPICT> pict(metafile ? block.Get() : nullptr);
    if (!pict) {
      messages.ErrorBox(FormatText(L"Unable to write clipboard.\n%ls", SystemErrorText().c_str()));
      return false;
    }
    *pict.Get() = METAFILEPICT{record.mm, record.xExt, record.yExt, metafile.Get()};
  }

  std::wstring failure;
  {
    ClipboardLock clipboard(owner);
    if (!clipboard.IsOpen()) {
      messages.ErrorBox(FormatText(L"Unable to open clipboard for writing:\n%ls", SystemErrorText(clipboard.Error()).c_str()));
      return false;
    }
    if (!EmptyClipboard()) {
      failure = SystemErrorText();
    } else if (SetClipboardData(CF_METAFILEPICT, block.Get())) {
      // The clipboard owns the block and the metafile now.
      block.Release();
      metafile.Release();
      return true;
    } else {
      failure = SystemErrorText();
    }
  }
  // Shown once the clipboard is closed again, so that others can use it.
  messages.ErrorBox(FormatText(L"Unable to write clipboard.\n%ls", failure.c_str()));
  return false;
}

}  // namespace

bool MetafileWords(HMETAFILE metafile, std::vector<uint16_t>& words, size_t& byteCount) {
  const UINT size = metafile ? GetMetaFileBitsEx(metafile, 0, nullptr) : 0;
  if (size == 0) return false;
  words.resize((static_cast<size_t>(size) + 1) / 2);
  byteCount = size;
  return GetMetaFileBitsEx(metafile, size, words.data()) == size;
}

bool PublishToClipboard(CMetafile& picture, HWND owner, WmfSettings& settings, UserMessages& messages,
                        std::wstring& statusText, const ShowNotice& showNotice) {
  WmfRecorder surface;
  const PlayResult played = picture.Play(surface, settings);
  settings.Jobs += played.jobs;
  const std::vector<uint8_t> bits = surface.Close();
  const Size himetric = PhysicalSize(played.output, played.unitsPerInch);
  statusText = SizeStatusText(himetric, settings.IsMetric != 0);
  const bool published = PutMetafilePict(bits, MetafilePict{MM_ANISOTROPIC, himetric.x, himetric.y}, owner, messages);
  if (published && showNotice && settings.Tooltip) showNotice(L"Clipboard modified by Velloform\n" + statusText);
  return published;
}

bool PutOriginalOnClipboard(const CapturedOriginal& original, HWND owner, UserMessages& messages) {
  if (original.format != CF_METAFILEPICT) {
    messages.ErrorBox(FormatText(L"Unable to put back a picture of clipboard format %u.", original.format));
    return false;
  }
  return PutMetafilePict(original.bytes, original.pict, owner, messages);
}

void SaveToFile(CMetafile& picture, WmfSettings& settings, const std::wstring& path, UserMessages& messages) {
  // A failure leaves an existing file as it was and no partial file behind.
  const std::optional<std::wstring> reason = ReplaceWholeFile(path, [&](FileSink& file) {
    const FilePlayResult result = PlayToFile(picture, settings, file);
    settings.Jobs += result.played.jobs;
    return result.written;
  });
  if (reason) messages.ErrorBox(FormatText(L"Unable to write %ls:\n%ls", path.c_str(), reason->c_str()));
}

}  // namespace wmf::win
