#include "label.h"

#include <shellapi.h>

void OpenAddressWithShell(const std::wstring& address) {
  ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

CLabel::CLabel()
    : textColor_(GetSysColor(COLOR_WINDOWTEXT)),
      background_(CreateSolidBrush(GetSysColor(COLOR_3DFACE))),
      open_(&OpenAddressWithShell) {
  GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof fontDescription_, &fontDescription_);
  font_.Reset(CreateFontIndirectW(&fontDescription_));
}

const MessageMap& CLabel::ClassMap() {
  static const MessageEntry messages[] = {
      OnMessage<&CLabel::OnSetCursor>(WM_SETCURSOR),
      OnMessage<&CLabel::OnLeftButtonDown>(WM_LBUTTONDOWN),
  };
  static const MessageMap map{&CWnd::ClassMap(), messages, {}};
  return map;
}

CLabel& CLabel::SetTextColor(COLORREF color) {
  textColor_ = color;
  Redraw();
  return *this;
}

CLabel& CLabel::SetBackgroundColor(COLORREF color) {
  background_.Reset(CreateSolidBrush(color));
  return *this;
}

CLabel& CLabel::SetBold(bool bold) {
  fontDescription_.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  RecreateFont();
  return *this;
}

CLabel& CLabel::SetFaceName(const std::wstring& face) {
  const std::wstring kept = face.substr(0, LF_FACESIZE - 1);
  kept.copy(fontDescription_.lfFaceName, kept.size());
  fontDescription_.lfFaceName[kept.size()] = L'\0';
  RecreateFont();
  return *this;
}

CLabel& CLabel::SetFontHeight(int pixels) {
  fontDescription_.lfHeight = -pixels;
  RecreateFont();
  return *this;
}

CLabel& CLabel::SetUnderline(bool underline) {
  fontDescription_.lfUnderline = underline;
  RecreateFont();
  return *this;
}

CLabel& CLabel::SetLink(bool link) {
  if (Handle()) {
    const LONG style = GetWindowLongW(Handle(), GWL_STYLE);
    SetWindowLongW(Handle(), GWL_STYLE, link ? style | SS_NOTIFY : style & ~SS_NOTIFY);
  }
  return *this;
}

CLabel& CLabel::SetLinkCursor(HCURSOR cursor) {
  linkCursor_ = cursor;
  return *this;
}

CLabel& CLabel::SetLinkTarget(const std::wstring& target) {
  linkTarget_ = target;
  return *this;
}

CLabel& CLabel::SetOpener(void (*open)(const std::wstring& address)) {
  open_ = open;
  return *this;
}

HBRUSH CLabel::ColorsFor(HWND control, HDC dc) {
  auto* label = dynamic_cast<CLabel*>(FromHandle(control));
  if (!label) return nullptr;
  SelectObject(dc, label->font_.Get());
  ::SetTextColor(dc, label->textColor_);
  SetBkMode(dc, TRANSPARENT);
  return label->background_.Get();
}

LRESULT CLabel::OnSetCursor() {
  if (!linkCursor_) return Default();
  SetCursor(linkCursor_);
  return TRUE;
}

LRESULT CLabel::OnLeftButtonDown() {
  if (linkTarget_.empty()) {
    const int length = GetWindowTextLengthW(Handle());
    std::wstring text(length + 1, L'\0');
    GetWindowTextW(Handle(), text.data(), length + 1);
    text.resize(length);
    linkTarget_ = text;
  }
  open_(linkTarget_);
  return Default();
}

void CLabel::RecreateFont() {
  font_.Reset(CreateFontIndirectW(&fontDescription_));
  Redraw();
}

void CLabel::Redraw() {
  if (Handle()) RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}
