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

// A METAFILEPICT block holding a metafile made of `bits`, with the record's
// mapping mode and size; empty when memory or the metafile cannot be had.
GlobalMemory MetafilePictBlock(std::span<const uint8_t> bits, const MetafilePict& record, MetafileOwner& metafile) {
  metafile.Reset(SetMetaFileBitsEx(static_cast<UINT>(bits.size()), bits.data()));
  GlobalMemory block(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, sizeof(METAFILEPICT)));
  {
    const LockedGlobal<METAFILEPICT> pict(metafile ? block.Get() : nullptr);
    if (!pict) return GlobalMemory();
    *pict.Get() = METAFILEPICT{record.mm, record.xExt, record.yExt, metafile.Get()};
  }
  return block;
}

// Puts metafile bits on the clipboard as CF_METAFILEPICT with the record's
// mapping mode and size, and, when there are `enhancedBits`, an enhanced
// metafile of them as CF_ENHMETAFILE before it, in place of what is there.
// Failures are shown.
bool PutPictures(std::span<const uint8_t> bits, const MetafilePict& record, std::span<const uint8_t> enhancedBits,
                 HWND owner, UserMessages& messages) {
  MetafileOwner metafile;
  GlobalMemory block = bits.empty() ? GlobalMemory() : MetafilePictBlock(bits, record, metafile);
  EnhMetafileOwner enhanced(enhancedBits.empty()
                                ? nullptr
                                : SetEnhMetaFileBits(static_cast<UINT>(enhancedBits.size()), enhancedBits.data()));
  if ((!bits.empty() && !block) || (!enhancedBits.empty() && !enhanced)) {
    messages.ErrorBox(FormatText(L"Unable to write clipboard.\n%ls", SystemErrorText().c_str()));
    return false;
  }

  std::wstring failure;
  {
    ClipboardLock clipboard(owner);
    if (!clipboard.IsOpen()) {
      messages.ErrorBox(FormatText(L"Unable to open clipboard for writing:\n%ls", SystemErrorText(clipboard.Error()).c_str()));
      return false;
    }
    // The clipboard owns what it was given.
    const auto put = [&failure](UINT format, HANDLE data) {
      if (SetClipboardData(format, data)) return true;
      failure = SystemErrorText();
      return false;
    };
    if (!EmptyClipboard()) {
      failure = SystemErrorText();
    } else if ((!enhanced || put(CF_ENHMETAFILE, enhanced.Release())) && (!block || put(CF_METAFILEPICT, block.Get()))) {
      if (block) {
        block.Release();
        metafile.Release();
      }
      return true;
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

bool PublishToClipboard(CMetafile& picture, const CEnhMetafile* enhanced, HWND owner, WmfSettings& settings,
                        UserMessages& messages, std::wstring& statusText, const ShowNotice& showNotice) {
  WmfRecorder surface;
  const PlayResult played = picture.Play(surface, settings);
  const std::vector<uint8_t> bits = surface.Close();
  Size himetric = PhysicalSize(played.output, played.unitsPerInch);
  int jobs = played.jobs;
  std::vector<uint8_t> enhancedBits;
  if (enhanced) {
    // The enhanced metafile's size is the picture's own, in its full
    // precision; its two formats are one picture improved, one job.
    CEnhMetafile::Played improved = enhanced->Play(settings);
    enhancedBits = std::move(improved.bytes);
    himetric = PhysicalSize(improved.result.output, improved.result.unitsPerInch);
    jobs = improved.result.jobs;
  }
  settings.Jobs += jobs;
  statusText = SizeStatusText(himetric, settings.IsMetric != 0);
  const bool published =
      PutPictures(bits, MetafilePict{MM_ANISOTROPIC, himetric.x, himetric.y}, enhancedBits, owner, messages);
  if (published && showNotice && settings.Tooltip) showNotice(L"Clipboard modified by Velloform\n" + statusText);
  return published;
}

bool PutOriginalOnClipboard(const CapturedOriginal& original, HWND owner, UserMessages& messages) {
  switch (original.format) {
    case CF_METAFILEPICT: return PutPictures(original.bytes, original.pict, {}, owner, messages);
    // The system offers its own conversion of it to CF_METAFILEPICT again.
    case CF_ENHMETAFILE: return PutPictures({}, original.pict, original.bytes, owner, messages);
    default:
      messages.ErrorBox(FormatText(L"Unable to put back a picture of clipboard format %u.", original.format));
      return false;
  }
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

void SaveToFile(const CEnhMetafile& picture, WmfSettings& settings, const std::wstring& path,
                UserMessages& messages) {
  const CEnhMetafile::Played played = picture.Play(settings);
  settings.Jobs += played.result.jobs;
  if (const std::optional<std::wstring> reason = ReplaceWholeFile(path, {played.bytes}))
    messages.ErrorBox(FormatText(L"Unable to write %ls:\n%ls", path.c_str(), reason->c_str()));
}

}  // namespace wmf::win
