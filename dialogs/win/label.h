// A static text with its own text colour, background colour and font, which
// can also act as a link that hands its target to the shell when clicked.
// Its window (a static control of a dialog or window) answers the parent's
// colour question through ColorsFor.
#pragma once

#include <string>

#include "win/gdi_owners.h"
#include "window.h"

// The shell's "open" on an address; failures are ignored.
void OpenAddressWithShell(const std::wstring& address);

class CLabel : public CWnd {
 public:
  CLabel();

  // Each changes the label and returns it, so that calls can be chained.
  CLabel& SetTextColor(COLORREF color);
  CLabel& SetBackgroundColor(COLORREF color);
  CLabel& SetBold(bool bold);
  CLabel& SetFaceName(const std::wstring& face);
  CLabel& SetFontHeight(int pixels);
  CLabel& SetUnderline(bool underline);
  CLabel& SetLink(bool link);
  CLabel& SetLinkCursor(HCURSOR cursor);
  CLabel& SetLinkTarget(const std::wstring& target);
  // What opens the target; the shell's "open" unless set.
  CLabel& SetOpener(void (*open)(const std::wstring& address));

  // For the parent's WM_CTLCOLORSTATIC: the brush of the label `control`
  // with its font and colours set in `dc`, or null when it is no label.
  static HBRUSH ColorsFor(HWND control, HDC dc);


  static const MessageMap& ClassMap();

 protected:
  const MessageMap& GetMessageMap() const override { return ClassMap(); }

 private:
  LRESULT OnSetCursor();
  LRESULT OnLeftButtonDown();
  void RecreateFont();
  void Redraw();

  COLORREF textColor_;
  wmf::win::GdiObjectOwner<HBRUSH> background_;
  LOGFONTW fontDescription_{};
  wmf::win::FontOwner font_;
  std::wstring linkTarget_;
  HCURSOR linkCursor_ = nullptr;
  void (*open_)(const std::wstring& address);
};
