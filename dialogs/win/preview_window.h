// The options dialog's preview: a resizable window beside the dialog that
// draws the last picture as it was captured and as the dialog's values
// would make it, with the improved picture's size under it. The picture is
// played by the engine into memory and drawn with GDI; the clipboard, the
// settings and their count of modified pictures are not touched.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "clipboard_intake.h"

#include "options_values.h"
#include "preview_layout.h"
#include "trial_settings.h"
#include "win/gdi_owners.h"
#include "win_handles.h"
#include "window.h"

inline constexpr wchar_t kPreviewTitle[] = L"Velloform Preview";

// What the preview shows now.
struct PreviewState {
  bool havePicture = false;
  std::wstring problem;               // why the improved picture is not shown: a value of the dialog
  std::vector<uint8_t> improvedBits;  // the improved picture as played
  wmf::Size improvedSize;             // its physical size, HIMETRIC
  std::wstring sizeText;              // "(size: ...)", as the tool tip would say
};

// A picture drawn once at the size of its box and kept: a large picture
// takes seconds to play, and the window is painted far more often than a
// picture or the size of its box changes.
class DrawnPicture {
 public:
  void Forget() { image_.Reset(); }
  // Copies the picture into `box` of `dc`, after drawing it afresh when it
  // was drawn at another size or not yet: `metafile` played the way a
  // program draws a pasted picture, its frame `window` mapped onto the box.
  void DrawInto(HDC dc, HMETAFILE metafile, wmf::Size window, const PreviewBox& box);

 private:
  BitmapHandle image_;
  int width_ = 0, height_ = 0;
};

class CPreviewWindow : public CWnd {
 public:
  // Creates the window, owned by `dialog` and placed beside it.
  bool Create(HWND dialog);

  // Shows the last picture of `intake`, improved by the user's `settings`
  // with the dialog's `values` in place of theirs.
  void Show(ClipboardIntake& intake, const WmfSettings& settings, const OptionsDialogValues& values);
  // Shows the last picture as captured and, in place of the improved one,
  // what is wrong with the dialog's values.
  void ShowProblem(ClipboardIntake& intake, const std::wstring& problem);

  const PreviewState& State() const { return state_; }
  // Where the pictures go in the window as it is now.
  PreviewLayout Layout() const;

  static const MessageMap& ClassMap();

 protected:
  const MessageMap& GetMessageMap() const override { return ClassMap(); }

 private:
  void Load(ClipboardIntake& intake, const WmfSettings* options, const std::wstring& problem);
  void OnPaint();
  LRESULT OnEraseBackground() { return 1; }  // the whole window is painted at once
  void Paint(HDC dc, const RECT& client);
  int LineHeight() const;

  HFONT font_ = nullptr;  // the dialog's
  TrialSettings trial_;
  PreviewState state_;
  wmf::win::MetafileOwner original_, improved_;
  wmf::Size originalWindow_, improvedWindow_;  // the frames they draw in
  double originalAspect_ = 1, improvedAspect_ = 1;
  DrawnPicture originalImage_, improvedImage_;
  unsigned shownCapture_ = 0;  // the intake's capture whose original is loaded
};
