// The splash screen: a borderless picture in the middle of the screen, on
// top, for two and a half seconds at start-up when the user wants it.
#pragma once

#include "win/gdi_owners.h"
#include "label.h"
#include "window.h"

class CSplashScreen : public CWnd {
 public:
  static const MessageMap& ClassMap();

 protected:
  const MessageMap& GetMessageMap() const override { return ClassMap(); }
  void PostNcDestroy() override;

 private:
  friend void ShowSplashScreen(HWND owner, bool wanted);
  CSplashScreen() = default;
  bool Create(HWND owner);

  LRESULT OnCreate();
  void OnPaint();
  void OnTimer();
  HBRUSH OnCtlColorStatic(HDC dc, HWND control);

  wmf::win::GdiObjectOwner<HBITMAP> bitmap_;
  SIZE size_{};
  CLabel label_;
};

// The splash screen while it is shown, or null.
CSplashScreen* CurrentSplash();

// Shows the splash screen when it is `wanted` (the user's ShowSplash) and
// not shown already. Without its picture or window nothing is shown.
void ShowSplashScreen(HWND owner, bool wanted);
