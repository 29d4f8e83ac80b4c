// A small pop-up that shows a few lines of text next to a point for three
// seconds without taking the focus. At most one tip is visible: showing a
// new one closes the previous one at once. A tip is made with `new`; from
// ShowTip on it owns itself and deletes itself when it goes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "win_handles.h"
#include "window.h"

class TFXDataTip;

// The tip visible now, or null.
extern TFXDataTip* CurrentTip;

// The lines of a tip's text: the pieces between "\n", empty ones left out.
std::vector<std::wstring> TipLines(const std::wstring& text);

class TFXDataTip : public CWnd {
 public:
  static constexpr UINT_PTR TipTimerId = 1010;
  static constexpr UINT kDisplayMilliseconds = 3000;

  TFXDataTip() = default;

  // Creates the hidden window, owned by `parent` (may be null), and the
  // font; returns whether the window was created.
  virtual bool CreateTip(CWnd* parent);

  // Shows `text` (lines separated by "\n") near `point`, in screen
  // coordinates. The tip is released here when its window was never made.
  void ShowTip(POINT point, const std::wstring& text);

  static const MessageMap& ClassMap();

 protected:
  ~TFXDataTip() override = default;
  const MessageMap& GetMessageMap() const override { return ClassMap(); }
  void PostNcDestroy() override;

 private:
  void OnPaint();
  void Dismiss();

  std::wstring text_;
  bool created_ = false;
  UINT_PTR timerId_ = 0;
  FontHandle font_;
};
