#include "tip_window.h"

#include <commctrl.h>

#include <algorithm>

TFXDataTip* CurrentTip = nullptr;

namespace {

constexpr wchar_t kTipClass[] = L"VelloformTip";
constexpr int kMarginX = 4, kMarginY = 2;   // around the text block
constexpr int kOffsetX = 10, kOffsetY = 5;  // from the given point
constexpr int kFirstLineY = 1;

SIZE TextExtent(HDC dc, const std::wstring& line) {
  SIZE extent{};
  GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &extent);
  return extent;
}

}  // namespace

std::vector<std::wstring> TipLines(const std::wstring& text) {
  std::vector<std::wstring> lines;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    if (end > start) lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

bool TFXDataTip::CreateTip(CWnd* parent) {
  InitCommonControls();
  WNDCLASSW windowClass{};
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kTipClass;
  created_ = RegisterWindowClass(windowClass) &&
             CreateEx(WS_EX_TOPMOST, kTipClass, L"Tooltip Window",
                      WS_POPUP | WS_BORDER | WS_CLIPSIBLINGS, CW_USEDEFAULT, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT, parent ? parent->Handle() : nullptr, nullptr);
  font_.Reset(CreateFontW(16, 0, 0, 0, 0, FALSE, FALSE, FALSE, ANSI_CHARSET, 0, 0, 0, 0,
                          L"MS Sans Serif"));
  return created_;
}

void TFXDataTip::ShowTip(POINT point, const std::wstring& text) {
  text_ = text;
  if (!created_) {
    delete this;  // nobody else would release a tip that never got a window
    return;
  }
  if (CurrentTip && CurrentTip != this) CurrentTip->Dismiss();

  timerId_ = SetTimer(Handle(), TipTimerId, kDisplayMilliseconds, nullptr);

  WindowDC dc(Handle());
  SelectedObject font(dc.Get(), font_.Get());
  int width = 0, height = 0;
  for (const std::wstring& line : TipLines(text_)) {
    const SIZE extent = TextExtent(dc.Get(), line);
    width = std::max<int>(width, extent.cx);
    height += extent.cy;
  }

  RECT frame{point.x, point.y, point.x + width, point.y + height};
  InflateRect(&frame, kMarginX, kMarginY);
  OffsetRect(&frame, kOffsetX, kOffsetY);
  // Only the right and bottom edges are kept on the screen.
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  if (frame.right > screenWidth) OffsetRect(&frame, screenWidth - frame.right, 0);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  if (frame.bottom > screenHeight) OffsetRect(&frame, 0, screenHeight - frame.bottom);

  SetWindowPos(Handle(), HWND_TOPMOST, frame.left, frame.top, frame.right - frame.left,
               frame.bottom - frame.top, SWP_SHOWWINDOW | SWP_NOACTIVATE);
  CurrentTip = this;
}

const MessageMap& TFXDataTip::ClassMap() {
  static const MessageEntry messages[] = {
      OnMessage<&TFXDataTip::OnPaint>(WM_PAINT),
      OnMessage<&TFXDataTip::Dismiss>(WM_TIMER),
      OnMessage<&TFXDataTip::Dismiss>(WM_LBUTTONDOWN),
  };
  static const MessageMap map{&CWnd::ClassMap(), messages, {}};
  return map;
}

void TFXDataTip::OnPaint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(Handle(), &paint);
  RECT client{};
  GetClientRect(Handle(), &client);
  {
    BrushHandle background(CreateSolidBrush(GetSysColor(COLOR_INFOBK)));
    SelectedObject brush(dc, background.Get());
    PatBlt(dc, 0, 0, client.right, client.bottom, PATCOPY);
  }
  SetBkColor(dc, GetSysColor(COLOR_INFOBK));
  SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
  {
    SelectedObject font(dc, font_.Get());
    SetTextAlign(dc, TA_CENTER | TA_TOP);
    int y = kFirstLineY;
    for (const std::wstring& line : TipLines(text_)) {
      TextOutW(dc, client.right / 2, y, line.c_str(), static_cast<int>(line.size()));
      y += TextExtent(dc, line).cy;
    }
  }
  EndPaint(Handle(), &paint);
}

// The timer, a click, or a newer tip.
void TFXDataTip::Dismiss() {
  KillTimer(Handle(), timerId_);
  DestroyWindow();  // PostNcDestroy deletes the tip
}

// Also reached when the window goes with its owner, so the tip never
// outlives its window and CurrentTip never dangles.
void TFXDataTip::PostNcDestroy() {
  if (CurrentTip == this) CurrentTip = nullptr;
  delete this;
}
