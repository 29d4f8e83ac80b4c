// Clipboard intake: judges the picture on the clipboard, captures it as the
// last picture and publishes the improved copy; the copy-last and save-last
// commands with their Save-as dialog.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "captured_original.h"
#include "intake_decision.h"
#include "enh_metafile.h"
#include "metafile.h"
#include "clipboard_publisher.h"

#include <windows.h>

// What intake needs of the program around it.
class IntakeHost {
 public:
  virtual ~IntakeHost() = default;
  virtual HWND MainWindow() = 0;
  virtual void BringToForeground(HWND window) = 0;
  // The notice near the mouse pointer after a picture was published.
  virtual void ShowNotice(const std::wstring& text) = 0;
};

// Programs mark clipboard contents that others must not watch (passwords,
// private data) with a format registered under this name.
inline constexpr wchar_t kPrivateContentFormat[] = L"ExcludeClipboardContentFromMonitorProcessing";
// Whether the clipboard carries that mark; the clipboard is not opened.
bool ClipboardMarkedPrivate();

class ClipboardIntake {
 public:
  // `resources` is the module that holds the Save-as dialog's template.
  // Intake reads its mode and the preferences from `settings`, and keeps
  // there the palette of the last picture and the count of published ones.
  ClipboardIntake(WmfSettings& settings, wmf::EngineContext& engine, IntakeHost& host, HINSTANCE resources);

  // Judges, captures and publishes the picture on the clipboard. `force` is
  // the "&Modify and Replace now" command.
  void ModifyClipboardPicture(bool force);
  // Publishes the last picture again with the current settings.
  void CopyLastToClipboard();
  // Puts the last picture back on the clipboard exactly as it was captured,
  // as the clipboard's own picture: automatic modification leaves it alone,
  // and it is no modification of the statistics.
  void PutOriginalBack();
  // Asks for a file name and saves the last picture as a placeable WMF file
  // (or, when it was captured as an enhanced metafile, as an EMF file).
  void SaveLastAsFile();
  // Saves the last picture at `path`: an EMF file when the name ends in
  // ".emf" and the picture was captured as an enhanced metafile, else a
  // placeable WMF file. Failures are shown. A read-only file is not
  // replaced.
  void SaveLastTo(const std::wstring& path);
  // The Save-as dialog; the chosen path, or empty when cancelled.
  std::wstring AskSaveFileName(const std::wstring& title);

  bool HaveLastPicture() const { return lastPicture_ != nullptr; }
  wmf::CMetafile* LastPicture() const { return lastPicture_.get(); }
  // The last picture as the enhanced metafile its program made, when it was
  // captured as one too.
  const wmf::CEnhMetafile* LastEnhancedPicture() const { return lastEnhanced_.get(); }
  // The last picture as the clipboard gave it; empty bytes before the first capture.
  const CapturedOriginal& LastOriginal() const { return lastOriginal_; }
  // How many pictures have been captured: a new number, a new last picture.
  unsigned CaptureCount() const { return captureCount_; }
  // `observer` is called after each capture of a new last picture (one
  // observer at a time; an empty one stops the calls).
  void OnNewPicture(std::function<void()> observer) { onNewPicture_ = std::move(observer); }
  bool ClipboardBusy() const { return busy_; }
  const std::wstring& StatusText() const { return statusText_; }

 private:
  // The clipboard's formats; the clipboard is open.
  static std::vector<ClipboardFormat> ClipboardFormats();
  // The engine's capture of an enhanced metafile's bits; none when there
  // are none or the engine cannot improve them.
  std::unique_ptr<wmf::CEnhMetafile> CaptureEnhanced(std::vector<uint8_t> bytes, const IntakeFacts& facts);
  void Publish();
  static UINT_PTR CALLBACK SaveDialogHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

  WmfSettings& settings_;
  wmf::EngineContext& engine_;
  IntakeHost& host_;
  HINSTANCE resources_;
  // The last picture, as the engine captured it and as the clipboard gave it.
  std::unique_ptr<wmf::CMetafile> lastPicture_;
  std::unique_ptr<wmf::CEnhMetafile> lastEnhanced_;
  CapturedOriginal lastOriginal_;
  unsigned captureCount_ = 0;
  std::function<void()> onNewPicture_;
  bool busy_ = false;
  std::wstring statusText_;
};
