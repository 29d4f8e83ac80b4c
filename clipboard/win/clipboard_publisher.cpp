#include "clipboard_publisher.h"

#include <cwchar>
#include <iterator>
#include <utility>
#include <vector>

#include "clipboard_lock.h"
#include "placeable_file.h"
#include "sizing.h"
#include "whole_file.h"
#include "win/system_error_text.h"
#include "win/unique_handle.h"

namespace wmf::win {
namespace {

void DeleteMetafile(HMETAFILE metafile) { DeleteMetaFile(metafile); }
void FreeGlobal(HGLOBAL block) { GlobalFree(block); }

// A memory metafile and a global memory block, released unless they were
// handed to the clipboard.
using MetafileOwner = UniqueHandle<HMETAFILE, DeleteMetafile>;
using GlobalOwner = UniqueHandle<HGLOBAL, FreeGlobal>;

template <typename... Args>
std::wstring Format(const wchar_t* format, Args... args) {
  wchar_t text[512];
  std::swprintf(text, std::size(text), format, args...);
  return text;
}

}  // namespace

bool MetafileWords(HMETAFILE metafile, std::vector<uint16_t>& words, size_t& byteCount) {
  const UINT size = metafile ? GetMetaFileBitsEx(metafile, 0, nullptr) : 0;
  if (size == 0) return false;
  words.resize((static_cast<size_t>(size) + 1) / 2);
  byteCount = size;
  return GetMetaFileBitsEx(metafile, size, words.data()) == size;
}

bool PublishToClipboard(CMetafile& picture, HWND owner, const WmfSettings& settings, UserMessages& messages,
                        std::wstring& statusText, const ShowNotice& showNotice) {
  WmfRecorder surface;
  const PlayResult played = picture.Play(surface);
  const std::vector<uint8_t> bits = surface.Close();
  const Size himetric = PhysicalSize(played.output, played.unitsPerInch);
  statusText = SizeStatusText(himetric, settings.IsMetric != 0);

  MetafileOwner metafile(SetMetaFileBitsEx(static_cast<UINT>(bits.size()), bits.data()));
  GlobalOwner block(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, sizeof(METAFILEPICT)));
  if (!metafile.Get() || !block.Get()) {
    messages.ErrorBox(Format(L"Unable to write clipboard.\n%ls", SystemErrorText().c_str()));
    return true;
  }
  auto* pict = static_cast<METAFILEPICT*>(GlobalLock(block.Get()));
  if (!pict) {
    messages.ErrorBox(Format(L"Unable to write clipboard.\n%ls", SystemErrorText().c_str()));
    return true;
  }
  pict->mm = MM_ANISOTROPIC;
  pict->xExt = himetric.x;
  pict->yExt = himetric.y;
  pict->hMF = metafile.Get();
  GlobalUnlock(block.Get());

  std::wstring failure;
  {
    ClipboardLock clipboard(owner);
    if (!clipboard.IsOpen()) {
      messages.ErrorBox(Format(L"Unable to open clipboard for writing:\n%ls", SystemErrorText(clipboard.Error()).c_str()));
      return false;
    }
    if (!EmptyClipboard()) {
      failure = SystemErrorText();
    } else if (SetClipboardData(CF_METAFILEPICT, block.Get())) {
      // The clipboard owns the block and the metafile now.
      block.Release();
      metafile.Release();
    } else {
      failure = SystemErrorText();
    }
  }
  // Shown once the clipboard is closed again, so that others can use it.
  if (block.Get()) messages.ErrorBox(Format(L"Unable to write clipboard.\n%ls", failure.c_str()));
  if (showNotice && settings.Tooltip) showNotice(L"Clipboard modified by Velloform\n" + statusText);
  return true;
}

void SaveToFile(CMetafile& picture, const std::wstring& path, UserMessages& messages) {
  // A failure leaves an existing file as it was and no partial file behind.
  if (const std::optional<std::wstring> reason =
          ReplaceWholeFile(path, [&picture](FileSink& file) { return PlayToFile(picture, file); }))
    messages.ErrorBox(Format(L"Unable to write %ls:\n%ls", path.c_str(), reason->c_str()));
}

}  // namespace wmf::win
