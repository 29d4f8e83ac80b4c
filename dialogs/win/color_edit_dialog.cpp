#include "color_edit_dialog.h"

#include <commctrl.h>
#include <commdlg.h>

#include <cwchar>

#include "text_format.h"
#include "win/gdi_owners.h"
#include "help.h"
#include "options_values.h"
#include "resource.h"

namespace {

constexpr wchar_t kHelpTopic[] = L"velloform-documentation/options/advanced-options.html";
constexpr int kRowHeight = 16;
constexpr COLORREF kBlack = RGB(0, 0, 0), kWhite = RGB(255, 255, 255);

using BrushOwner = wmf::win::GdiObjectOwner<HBRUSH>;
using PenOwner = wmf::win::GdiObjectOwner<HPEN>;
using wmf::win::SelectionRestorer;

void FrameBox(HDC dc, RECT box, COLORREF color) {
  BrushOwner brush(CreateSolidBrush(color));
  FrameRect(dc, &box, brush.Get());
}

void FillBox(HDC dc, RECT box, COLORREF color) {
  BrushOwner brush(CreateSolidBrush(color));
  FillRect(dc, &box, brush.Get());
}

}  // namespace

CColorEdit::CColorEdit(DialogContext& context)
    : CDialog(IDD_ADVANCED_OPTIONS, &context.frame),
      context_(context),
      workingTable_(context.settings.colors),
      paperLast_(context.settings.Paperlast),
      removeLines_(context.settings.RemoveLines),
      whiteBlack_(context.settings.WhiteBlack),
      leaveMargin_(context.settings.LeaveMargin),
      margin_(context.settings.Margin) {}

void CColorEdit::DoDataExchange(DataExchange& x) {
  x.Real(IDC_EDIT_WIDTH, editWidth_);
  x.Range(IDC_EDIT_WIDTH, editWidth_, 0, MaxFixedWidth(Metric()));
  x.Check(IDC_PAPER_LAST, paperLast_);
  x.Check(IDC_REMOVE_LINES, removeLines_);
  x.Check(IDC_WHITE_BLACK, whiteBlack_);
  x.Check(IDC_LEAVE_MARGIN, leaveMargin_);
  x.Real(IDC_MARGIN, margin_);
  x.Range(IDC_MARGIN, margin_, 0, 5);
}

int CColorEdit::Px(int pixels) const { return MulDiv(pixels, dpi_, 96); }

bool CColorEdit::OnInitDialog() {
  CDialog::OnInitDialog();
  dpi_ = GetDeviceCaps(wmf::win::WindowDC(Handle()).Get(), LOGPIXELSX);
  // The columns follow the header labels.
  const auto leftOf = [this](int id) {
    RECT r;
    GetWindowRect(Item(id), &r);
    MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&r), 2);
    return r.left;
  };
  const int listLeft = leftOf(IDC_COLOR_LIST);
  textX_ = Px(20);
  widthX_ = leftOf(IDC_WIDTH_HEADER) - listLeft + Px(2);
  lineX_ = leftOf(IDC_LINE_COLOR_HEADER) - listLeft;
  fillX_ = leftOf(IDC_FILL_COLOR_HEADER) - listLeft;

  // Only the button's own type bits change; the window's stay.
  for (int id : {IDC_LINE_COLOR, IDC_FILL_COLOR}) {
    const LONG style = GetWindowLongW(Item(id), GWL_STYLE);
    SetWindowLongW(Item(id), GWL_STYLE, (style & ~0xBL) | BS_OWNERDRAW);
  }
  HWND list = Item(IDC_COLOR_LIST);
  SendMessageW(list, LB_SETITEMHEIGHT, 0, Px(kRowHeight));
  for (int c = 1; c < kColorNumbers; ++c) SendMessageW(list, LB_ADDSTRING, 0, c);
  SendMessageW(list, LB_SETSEL, TRUE, 0);
  SyncSelection();
  SendMessageW(Item(IDC_MARGIN_SPIN), UDM_SETRANGE32, 0, 5);

  const WmfSettings& settings = context_.settings;
  EnableItem(IDC_LEAVE_MARGIN, settings.Crop != 0);
  EnableItem(IDC_MARGIN, settings.Crop != 0);
  EnableItem(IDC_WHITE_BLACK, settings.RemoveBackground != 0);
  UpdateData(true);
  EnableMarginBox();
  SetItemText(IDC_EDIT_WIDTH_LABEL, Metric() ? L"Edit value (mm)" : L"Edit value (inch)");
  EnableItem(IDC_PAPER_LAST, false);
  return true;
}

const MessageMap& CColorEdit::ClassMap() {
  static const MessageEntry messages[] = {
      OnDrawItemMessage<&CColorEdit::OnDrawItem>(),
      OnNotifyMessage<&CColorEdit::OnUpDown>(),
  };
  static const CommandEntry commands[] = {
      OnCommand<&CColorEdit::OnLineColor>(IDC_LINE_COLOR),
      OnCommand<&CColorEdit::OnFillColor>(IDC_FILL_COLOR),
      OnCommand<&CColorEdit::OnResetAll>(IDC_RESET_ALL),
      OnCommand<&CColorEdit::OnLeaveMargin>(IDC_LEAVE_MARGIN),
  };
  static const NotifyEntry notifications[] = {
      OnNotify<&CColorEdit::OnSelectionChange>(IDC_COLOR_LIST, LBN_SELCHANGE),
      OnNotify<&CColorEdit::OnListDoubleClick>(IDC_COLOR_LIST, LBN_DBLCLK),
      OnNotify<&CColorEdit::OnWidthLeft>(IDC_EDIT_WIDTH, EN_KILLFOCUS),
  };
  static const MessageMap map{&CDialog::ClassMap(), messages, commands, notifications};
  return map;
}

std::vector<int> CColorEdit::SelectedColors() const {
  HWND list = Item(IDC_COLOR_LIST);
  const int count = static_cast<int>(SendMessageW(list, LB_GETSELCOUNT, 0, 0));
  std::vector<int> rows(count > 0 ? count : 0);
  if (!rows.empty()) SendMessageW(list, LB_GETSELITEMS, rows.size(), reinterpret_cast<LPARAM>(rows.data()));
  for (int& row : rows) row = static_cast<int>(SendMessageW(list, LB_GETITEMDATA, row, 0));
  return rows;
}

void CColorEdit::SyncSelection() {
  const std::vector<int> selected = SelectedColors();
  bool editable = true;
  if (selected.size() == 1) {
    const int c = selected.front();
    const int r = workingTable_[c].representative;
    editWidth_ = workingTable_[r].width;
    SetItemText(IDC_EDIT_WIDTH, BoxWidthText(editWidth_, Metric()));
    editable = r == c;
  }
  for (int id : {IDC_EDIT_WIDTH, IDC_LINE_COLOR, IDC_FILL_COLOR}) EnableItem(id, editable);
  InvalidateRect(Item(IDC_LINE_COLOR), nullptr, TRUE);
  InvalidateRect(Item(IDC_FILL_COLOR), nullptr, TRUE);
}

void CColorEdit::OnWidthLeft() {
  // A wrong margin is shown too, but does not keep the width from being set.
  if (ExchangeData(true) == IDC_EDIT_WIDTH) return;
  const std::vector<int> selected = SelectedColors();
  if (selected.size() != 1 &&
      MessageBoxW(Handle(), L"Set multiple widths?", L"Velloform", MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
    return;
  SetWidths(workingTable_, selected, editWidth_);
  Redraw();
}

void CColorEdit::ChooseColorOf(bool line) {
  CHOOSECOLORW request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = Handle();
  RememberedColors& remembered = context_.colors;
  request.rgbResult = line ? remembered.shownLine : remembered.shownFill;
  request.lpCustColors = remembered.custom;
  request.Flags = CC_RGBINIT | CC_FULLOPEN;
  if (!ChooseColorW(&request)) return;
  if (line) SetLineColors(workingTable_, SelectedColors(), request.rgbResult);
  else SetFillColors(workingTable_, SelectedColors(), request.rgbResult);
  Redraw();
}

void CColorEdit::OnListDoubleClick() {
  const std::vector<int> selected = SelectedColors();
  const int c = selected.empty() ? 0 : selected.front();
  if (c == 0 || workingTable_[c].representative != c) return;
  const DWORD position = GetMessagePos();
  POINT cursor{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
  ScreenToClient(Item(IDC_COLOR_LIST), &cursor);
  if (cursor.x >= fillX_) ChooseColorOf(false);
  else if (cursor.x >= lineX_) ChooseColorOf(true);
}

void CColorEdit::OnResetAll() {
  if (MessageBoxW(Handle(), L"Reset all widths and colors to default values?", L"Velloform",
                  MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
    return;
  ResetColorTable(workingTable_, Metric(), context_.settings.oPalette);
  Redraw();
  SyncSelection();
}

void CColorEdit::OnLeaveMargin() {
  UpdateData(true);
  EnableMarginBox();
}

void CColorEdit::EnableMarginBox() { EnableItem(IDC_MARGIN, context_.settings.Crop && leaveMargin_); }

LRESULT CColorEdit::OnUpDown(const NMHDR& header) {
  if (header.idFrom != IDC_MARGIN_SPIN || header.code != UDN_DELTAPOS) return 0;
  margin_ = StepMargin(margin_, reinterpret_cast<const NMUPDOWN&>(header).iDelta);
  SetItemText(IDC_MARGIN, FormatDialogReal(margin_));
  return 0;
}

void CColorEdit::OnOK() {
  if (!UpdateData(true)) return;
  WmfSettings& settings = context_.settings;
  settings.colors = workingTable_;
  settings.Paperlast = paperLast_;
  settings.LeaveMargin = leaveMargin_;
  settings.Margin = margin_;
  settings.WhiteBlack = whiteBlack_;
  settings.RemoveLines = removeLines_;
  EndDialog(IDOK);
}

void CColorEdit::OnHelp() { context_.openHelp(HelpFilePath(context_.programFolder, kHelpTopic)); }

void CColorEdit::Redraw() const { RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN); }

bool CColorEdit::OnDrawItem(const DRAWITEMSTRUCT& draw) {
  switch (draw.CtlID) {
    case IDC_COLOR_LIST: DrawRow(draw); return true;
    case IDC_LINE_COLOR: DrawColorButton(draw, true); return true;
    case IDC_FILL_COLOR: DrawColorButton(draw, false); return true;
    default: return false;
  }
}

void CColorEdit::DrawRow(const DRAWITEMSTRUCT& item) const {
  if (item.itemID == static_cast<UINT>(-1)) return;
  HDC dc = item.hDC;
  const RECT& r = item.rcItem;
  const int c = static_cast<int>(item.itemData);
  if (c <= 0 || c >= kColorNumbers) return;
  const ColorEntry& e = workingTable_[c];
  const bool selected = item.itemState & ODS_SELECTED;

  if (item.itemAction & ODA_DRAWENTIRE) {
    FillBox(dc, r, GetSysColor(COLOR_WINDOW));
    const RECT swatch{r.left + Px(2), r.top + Px(2), r.left + Px(14), r.bottom - Px(2)};
    const RECT inside{swatch.left + 1, swatch.top + 1, swatch.right - 1, swatch.bottom - 1};
    FrameBox(dc, swatch, kBlack);
    if (c == 7) {
      // White on black: half white, half black, whatever the palette says.
      FillBox(dc, inside, kBlack);
      const POINT corner[] = {{inside.left - 1, inside.top - 1}, {inside.left - 1, inside.bottom},
                              {inside.right, inside.top - 1}};
      BrushOwner white(CreateSolidBrush(kWhite));
      SelectionRestorer brush(dc, white.Get());
      SelectionRestorer pen(dc, GetStockObject(BLACK_PEN));
      SetPolyFillMode(dc, ALTERNATE);
      Polygon(dc, corner, 3);
    } else {
      FillBox(dc, inside, AcadPalettes()[c][context_.settings.oPalette]);
    }

    SetBkMode(dc, TRANSPARENT);
    if (e.representative != c) {
      const std::wstring text = FormatText(L"Color %d (equals %d)", c, e.representative);
      SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
      TextOutW(dc, textX_, r.top, text.c_str(), static_cast<int>(text.size()));
    } else {
      SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
      const std::wstring text = FormatText(L"Color %d", c);
      TextOutW(dc, textX_, r.top, text.c_str(), static_cast<int>(text.size()));
      const std::wstring width = ListWidthText(e.width, Metric());
      TextOutW(dc, widthX_, r.top, width.c_str(), static_cast<int>(width.size()));
      RECT box{lineX_ + Px(1), r.top + Px(2), fillX_ - Px(17), r.bottom - Px(2)};
      for (const COLORREF color : {e.lineColor, e.fillColor}) {
        FillBox(dc, box, color);
        FrameBox(dc, RECT{box.left - 1, box.top - 1, box.right + 1, box.bottom + 1}, kBlack);
        OffsetRect(&box, fillX_ - lineX_, 0);
      }
    }
  }
  if ((item.itemAction & ODA_DRAWENTIRE) || (item.itemAction & ODA_SELECT)) {
    if (selected) FrameBox(dc, r, kBlack);
    else if (item.itemAction & ODA_SELECT) FrameBox(dc, r, kWhite);
  }
}

void CColorEdit::DrawColorButton(const DRAWITEMSTRUCT& item, bool line) const {
  RememberedColors& remembered = context_.colors;
  const std::vector<int> selected = SelectedColors();
  if (selected.size() == 1) {
    const int r = workingTable_[selected.front()].representative;
    remembered.shownLine = workingTable_[r].lineColor;
    remembered.shownFill = workingTable_[r].fillColor;
  }
  const COLORREF color = line ? remembered.shownLine : remembered.shownFill;
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  const bool pressed = item.itemState & ODS_SELECTED;
  const bool focused = item.itemState & ODS_FOCUS;
  const bool focusBorder = focused && !pressed;
  BrushOwner fill(CreateSolidBrush(color));
  PenOwner border(focusBorder ? CreatePen(PS_SOLID, Px(3), (~color) & 0xFFFFFF) : nullptr);
  {
    SelectionRestorer brush(dc, fill.Get());
    SelectionRestorer pen(dc, focusBorder ? border.Get() : GetStockObject(BLACK_PEN));
    Rectangle(dc, r.left, r.top, r.right, r.bottom);
  }
  if (!focusBorder) DrawEdge(dc, &r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  if (item.itemState & ODS_DISABLED) {
    // A disabled button is shown hatched, so that its colour is not taken
    // for the colour of the selected row.
    BrushOwner hatch(CreateHatchBrush(HS_BDIAGONAL, GetSysColor(COLOR_3DFACE)));
    InflateRect(&r, -2, -2);
    SetBkMode(dc, TRANSPARENT);
    FillRect(dc, &r, hatch.Get());
  }
}
