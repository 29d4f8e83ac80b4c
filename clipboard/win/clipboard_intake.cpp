#include "clipboard_intake.h"

#include <commdlg.h>

#include <cwchar>
#include <exception>
#include <iterator>
#include <utility>

#include "resource.h"
#include "text_encoding.h"
#include "win/clipboard_lock.h"
#include "win/system_error_text.h"
#include "win/unique_handle.h"

namespace {

constexpr size_t kLongestPath = 32768;

// Sets a flag for the span of a scope.
class BusyScope {
 public:
  explicit BusyScope(bool& flag) : flag_(flag) { flag_ = true; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;
  ~BusyScope() { flag_ = false; }

 private:
  bool& flag_;
};

// The status after the reader refused the picture, with the reader's reason.
std::wstring UnreadableStatus(const std::string& reason) {
  return L"(WMF not modified: unreadable picture: " + FromUtf8(reason) + L")";
}

// The bits of an enhanced metafile handle; empty when there are none.
std::vector<uint8_t> EnhancedMetafileBytes(HENHMETAFILE metafile) {
  const UINT size = metafile ? GetEnhMetaFileBits(metafile, 0, nullptr) : 0;
  std::vector<uint8_t> bytes(size);
  if (size == 0 || GetEnhMetaFileBits(metafile, size, bytes.data()) != size) bytes.clear();
  return bytes;
}

bool IsEmfFileName(const std::wstring& path) {
  return path.size() >= 4 && _wcsicmp(path.c_str() + path.size() - 4, L".emf") == 0;
}

}  // namespace

bool ClipboardMarkedPrivate() { return IsClipboardFormatAvailable(RegisterClipboardFormatW(kPrivateContentFormat)); }

ClipboardIntake::ClipboardIntake(WmfSettings& settings, wmf::EngineContext& engine, IntakeHost& host,
                                 HINSTANCE resources)
    : settings_(settings), engine_(engine), host_(host), resources_(resources) {}

std::vector<ClipboardFormat> ClipboardIntake::ClipboardFormats() {
  std::vector<ClipboardFormat> formats;
  for (UINT id = EnumClipboardFormats(0); id != 0; id = EnumClipboardFormats(id)) {
    ClipboardFormat& format = formats.emplace_back();
    format.id = id;
    wchar_t name[80];
    const int length = GetClipboardFormatNameW(id, name, static_cast<int>(std::size(name)));
    if (length > 0) format.name = std::wstring(name, length);
  }
  return formats;
}

void ClipboardIntake::ModifyClipboardPicture(bool force) {
  if (busy_ || !IsClipboardFormatAvailable(CF_METAFILEPICT)) return;
  // What its program marked private is not opened, captured or counted,
  // whatever the mode, and not on command either.
  if (ClipboardMarkedPrivate()) {
    statusText_ = kStatusPrivate;
    return;
  }
  // The system announces the picture this program published, and may do so
  // only after publishing is over: a picture the program itself owns is
  // already improved, and judging it again would modify it again and again.
  if (!force && host_.MainWindow() && GetClipboardOwner() == host_.MainWindow()) return;
  BusyScope busy(busy_);
  WmfSettings& settings = settings_;
  IntakeFacts facts;
  CapturedOriginal original;
  std::vector<uint8_t> enhancedBytes;
  std::vector<uint16_t> words;
  size_t byteCount = 0;
  {
    // The clipboard is held only while the picture's bits are copied out:
    // other programs wait for it meanwhile.
    wmf::win::ClipboardLock clipboard;
    if (!clipboard.IsOpen()) {
      statusText_ = kStatusCannotOpen;
      engine_.messages.ErrorBox(L"Unable to open clipboard for reading:\n" + SystemErrorText(clipboard.Error()));
      return;
    }
    facts = GatherIntakeFacts(ClipboardFormats());
    if (!ShouldModify(settings.AutoModify, force, facts)) {
      statusText_ = kStatusNotModified;
      return;
    }
    // The enhanced metafile its program made, before the system's
    // conversion of it is asked for.
    if (settings.ImproveEmf && facts.ownEnhancedMetafile)
      enhancedBytes = EnhancedMetafileBytes(static_cast<HENHMETAFILE>(GetClipboardData(CF_ENHMETAFILE)));
    const LockedGlobal<const METAFILEPICT> pict(GetClipboardData(CF_METAFILEPICT));
    if (!pict) return;
    original.pict = wmf::MetafilePict{pict->mm, pict->xExt, pict->yExt};
    if (!wmf::win::MetafileWords(pict->hMF, words, byteCount)) byteCount = 0;
  }
  // The original kept to be put back: the enhanced metafile when it is the
  // picture improved, else the Windows metafile's bytes.
  std::unique_ptr<wmf::CEnhMetafile> enhanced = CaptureEnhanced(std::move(enhancedBytes), facts);
  if (enhanced) {
    original.format = CF_ENHMETAFILE;
    original.bytes = enhanced->picture().bytes;
  } else {
    const auto* bytes = reinterpret_cast<const uint8_t*>(words.data());
    original.bytes.assign(bytes, bytes + byteCount);
  }
  // A picture that cannot be read stays on the clipboard as it is.
  if (byteCount == 0) {
    statusText_ = kStatusUnreadable;
    engine_.messages.ErrorBox(L"Metafile not properly loaded.");
    return;
  }
  wmf::WmfPicture picture;
  std::string error;
  if (!wmf::ReadWmf(std::move(words), byteCount, picture, error)) {
    statusText_ = UnreadableStatus(error);
    // Asked for by command, the user hears at once why nothing happened.
    if (force) engine_.messages.ErrorBox(L"Metafile not properly loaded.\n" + FromUtf8(error));
    return;
  }
  try {
    // A picture that a CAD program put there has the CAD background.
    lastPicture_ = std::make_unique<wmf::CMetafile>(original.pict, std::move(picture), 0, facts.intelliCad ? 1 : 0,
                                                    engine_, facts.cadSource || facts.intelliCad);
    // The options remember the palette of the last picture, for the colour
    // table's dialog and the plug-in that shares them.
    settings.oPalette = lastPicture_->palette;
  } catch (const std::exception&) {
    statusText_ = kStatusUnreadable;
    return;
  }
  lastEnhanced_ = std::move(enhanced);
  lastOriginal_ = std::move(original);
  ++captureCount_;
  Publish();
  if (onNewPicture_) onNewPicture_();
  if (settings.PopupSaveas) SaveLastAsFile();
}

std::unique_ptr<wmf::CEnhMetafile> ClipboardIntake::CaptureEnhanced(std::vector<uint8_t> bytes,
                                                                    const IntakeFacts& facts) {
  if (bytes.empty()) return nullptr;
  // An enhanced metafile the engine cannot read or improve leaves the
  // system's conversion of it to be improved, as before.
  wmf::EmfPicture picture;
  std::string error;
  if (!wmf::ReadEmf(std::move(bytes), picture, error)) return nullptr;
  try {
    auto enhanced = std::make_unique<wmf::CEnhMetafile>(std::move(picture), facts.intelliCad ? 1 : 0, engine_,
                                                        facts.cadSource || facts.intelliCad);
    if (!enhanced->Unimprovable().empty()) return nullptr;
    return enhanced;
  } catch (const std::exception&) {
    return nullptr;
  }
}

void ClipboardIntake::Publish() {
  try {
    wmf::win::PublishToClipboard(*lastPicture_, lastEnhanced_.get(), host_.MainWindow(), settings_, engine_.messages,
                                 statusText_,
                                 [this](const std::wstring& text) { host_.ShowNotice(text); });
  } catch (const std::exception&) {
    // Out of memory for a huge picture: the clipboard is emptied only once
    // the new picture is ready, so it still holds what it held.
    statusText_ = kStatusUnreadable;
  }
}

void ClipboardIntake::CopyLastToClipboard() {
  if (busy_ || !lastPicture_) return;
  BusyScope busy(busy_);
  Publish();
}

void ClipboardIntake::PutOriginalBack() {
  if (busy_ || !lastPicture_) return;
  BusyScope busy(busy_);
  // The viewer chain's notice of the change may come while the clipboard is
  // being written: the text says what happened by then.
  std::wstring before = std::exchange(statusText_, kStatusOriginalRestored);
  if (!wmf::win::PutOriginalOnClipboard(lastOriginal_, host_.MainWindow(), engine_.messages)) {
    statusText_ = std::move(before);
    return;
  }
  if (settings_.Tooltip) host_.ShowNotice(L"Velloform " + statusText_);
}

void ClipboardIntake::SaveLastAsFile() {
  if (!lastPicture_) return;
  const HWND main = host_.MainWindow();
  if (main) {
    SetForegroundWindow(main);
    host_.BringToForeground(main);
  }
  const std::wstring path = AskSaveFileName(L"Save as Velloform");
  if (!path.empty()) SaveLastTo(path);
}

void ClipboardIntake::SaveLastTo(const std::wstring& path) {
  if (!lastPicture_) return;
  // Windows refuses to replace a read-only file; Wine run by a privileged
  // user would replace it, so the attribute is tested here.
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    engine_.messages.ErrorBox(UnableToWriteMessage(path, SystemErrorText(ERROR_ACCESS_DENIED)));
    return;
  }
  if (lastEnhanced_ && IsEmfFileName(path))
    wmf::win::SaveToFile(*lastEnhanced_, settings_, path, engine_.messages);
  else
    wmf::win::SaveToFile(*lastPicture_, settings_, path, engine_.messages);
}

std::wstring ClipboardIntake::AskSaveFileName(const std::wstring& title) {
  // Room for the longest path the system allows, not only MAX_PATH.
  std::vector<wchar_t> file(kLongestPath, L'\0');
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = host_.MainWindow();
  dialog.hInstance = resources_;
  // An enhanced metafile is offered in its own format first.
  dialog.lpstrFilter = lastEnhanced_ ? L"Enhanced Metafile (*.emf)\0*.emf\0Windows Metafile (*.wmf)\0*.wmf\0"
                                     : L"Windows Metafile (*.wmf)\0*.wmf\0";
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrTitle = title.c_str();
  dialog.Flags = OFN_EXPLORER | OFN_ENABLETEMPLATE | OFN_ENABLEHOOK | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
  // Without an ending typed, the chosen filter's ending is added.
  dialog.lpstrDefExt = lastEnhanced_ ? L"emf" : L"wmf";
  dialog.lCustData = reinterpret_cast<LPARAM>(this);
  dialog.lpfnHook = &ClipboardIntake::SaveDialogHook;
  dialog.lpTemplateName = MAKEINTRESOURCEW(IDD_SAVE_AS_OPTIONS);
  return GetSaveFileNameW(&dialog) ? std::wstring(file.data()) : std::wstring();
}

// The check box below the Save-as dialog switches the dialog's automatic
// pop-up after each modification; once it is used, "Cancel" reads "&Close".
UINT_PTR CALLBACK ClipboardIntake::SaveDialogHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    const auto* request = reinterpret_cast<const OPENFILENAMEW*>(lParam);
    auto* intake = reinterpret_cast<ClipboardIntake*>(request->lCustData);
    SetWindowLongPtrW(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(intake));
    CheckDlgButton(dialog, IDC_POPUP_SAVE_AS, intake->settings_.PopupSaveas ? BST_CHECKED : BST_UNCHECKED);
  } else if (message == WM_COMMAND && LOWORD(wParam) == IDC_POPUP_SAVE_AS) {
    auto* intake = reinterpret_cast<ClipboardIntake*>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
    if (intake) {
      intake->settings_.PopupSaveas = IsDlgButtonChecked(dialog, IDC_POPUP_SAVE_AS) == BST_CHECKED ? 1 : 0;
      SendMessageW(GetParent(dialog), CDM_SETCONTROLTEXT, IDCANCEL, reinterpret_cast<LPARAM>(L"&Close"));
    }
  }
  return 0;
}
