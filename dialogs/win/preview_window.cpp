#include "preview_window.h"

#include <algorithm>
#include <exception>

#include "placeable_file.h"
#include "sizing.h"

namespace {

constexpr wchar_t kPreviewClass[] = L"VelloformPreview";
constexpr wchar_t kNoPicture[] =
    L"No picture has been captured yet. Copy a drawing in your CAD program, and it shows here as copied and as "
    L"these options make it.";

double Aspect(int32_t width, int32_t height) {
  return width > 0 && height > 0 ? static_cast<double>(width) / height : 1.0;
}

// As wide again as half the dialog and as high as it, on its right, or on
// its left where the screen ends, or else over it at the screen's edge.
RECT PlaceBeside(HWND dialog) {
  RECT beside{};
  GetWindowRect(dialog, &beside);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT& work = monitor.rcWork;
  const int width = (beside.right - beside.left) * 3 / 2, height = beside.bottom - beside.top;
  int left = beside.right;
  if (left + width > work.right)
    left = beside.left - width >= work.left ? beside.left - width : std::max(work.left, work.right - width);
  const int top = std::clamp(beside.top, work.top, std::max(work.top, work.bottom - height));
  return RECT{left, top, left + width, top + height};
}

RECT AsRect(const PreviewBox& box) { return RECT{box.left, box.top, box.Right(), box.Bottom()}; }

// `text` wrapped into `area` and centred in it.
void DrawCentredText(HDC dc, const std::wstring& text, RECT area) {
  RECT needed = area;
  DrawTextW(dc, text.c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_CENTER | DT_NOPREFIX);
  const LONG height = std::min(needed.bottom - needed.top, area.bottom - area.top);
  area.top += (area.bottom - area.top - height) / 2;
  area.bottom = area.top + height;
  DrawTextW(dc, text.c_str(), -1, &area, DT_WORDBREAK | DT_CENTER | DT_NOPREFIX);
}

void DrawCaption(HDC dc, const std::wstring& text, const PreviewBox& box) {
  RECT area = AsRect(box);
  DrawTextW(dc, text.c_str(), -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
}

// White paper with a thin frame round it, as a page shows a pasted picture.
void DrawPaper(HDC dc, const PreviewBox& box) {
  RECT paper = AsRect(box);
  FillRect(dc, &paper, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  InflateRect(&paper, 1, 1);
  FrameRect(dc, &paper, GetSysColorBrush(COLOR_BTNSHADOW));
}

}  // namespace

void DrawnPicture::DrawInto(HDC dc, HMETAFILE metafile, wmf::Size window, const PreviewBox& box) {
  DrawPaper(dc, box);
  if (!metafile || box.width <= 0 || box.height <= 0) return;
  if (!image_ || width_ != box.width || height_ != box.height) {
    image_.Reset(CreateCompatibleBitmap(dc, box.width, box.height));
    width_ = box.width;
    height_ = box.height;
    wmf::win::DcOwner painter(CreateCompatibleDC(dc));
    if (!image_ || !painter) return;
    SelectedObject selected(painter.Get(), image_.Get());
    const RECT all{0, 0, width_, height_};
    FillRect(painter.Get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    // The picture's own window records replace this window while it plays.
    SetMapMode(painter.Get(), MM_ANISOTROPIC);
    SetWindowExtEx(painter.Get(), std::max(1, window.x), std::max(1, window.y), nullptr);
    SetViewportExtEx(painter.Get(), width_, height_, nullptr);
    PlayMetaFile(painter.Get(), metafile);
  }
  wmf::win::DcOwner source(CreateCompatibleDC(dc));
  if (!image_ || !source) return;
  SelectedObject selected(source.Get(), image_.Get());
  BitBlt(dc, box.left, box.top, width_, height_, source.Get(), 0, 0, SRCCOPY);
}

bool CPreviewWindow::Create(HWND dialog) {
  WNDCLASSW windowClass{};
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kPreviewClass;
  if (!RegisterWindowClass(windowClass)) return false;
  font_ = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
  const RECT place = PlaceBeside(dialog);
  if (!CreateEx(0, kPreviewClass, kPreviewTitle, WS_OVERLAPPEDWINDOW & ~WS_MINIMIZEBOX, place.left, place.top,
                place.right - place.left, place.bottom - place.top, dialog, nullptr))
    return false;
  ShowWindow(Handle(), SW_SHOWNOACTIVATE);
  return true;
}

void CPreviewWindow::Show(ClipboardIntake& intake, const WmfSettings& settings, const OptionsDialogValues& values) {
  trial_.CopyFrom(settings);
  WriteOptionsValues(values, trial_.Record());
  Load(intake, &trial_.Record(), L"");
}

void CPreviewWindow::ShowProblem(ClipboardIntake& intake, const std::wstring& problem) {
  Load(intake, nullptr, problem);
}

void CPreviewWindow::Load(ClipboardIntake& intake, const WmfSettings* options, const std::wstring& problem) {
  state_ = PreviewState{};
  improved_.Reset();
  improvedImage_.Forget();
  if (intake.CaptureCount() != shownCapture_) {
    shownCapture_ = intake.CaptureCount();
    original_.Reset();
    originalImage_.Forget();
    const CapturedOriginal& captured = intake.LastOriginal();
    if (intake.HaveLastPicture() && captured.format == CF_METAFILEPICT)
      original_.Reset(SetMetaFileBitsEx(static_cast<UINT>(captured.bytes.size()), captured.bytes.data()));
  }
  if (wmf::CMetafile* picture = intake.LastPicture()) {
    state_.havePicture = true;
    originalWindow_ = picture->windowExt;
    originalAspect_ = Aspect(picture->header.xExt, picture->header.yExt);
    if (!options) {
      state_.problem = problem;
    } else {
      try {
        wmf::WmfRecorder surface;
        const wmf::PlayResult played = picture->Play(surface, *options);
        state_.improvedBits = surface.Close();
        state_.improvedSize = wmf::PhysicalSize(played.output, played.unitsPerInch);
        state_.sizeText = wmf::SizeStatusText(state_.improvedSize, options->IsMetric != 0);
        improvedWindow_ = played.output;
        improvedAspect_ = Aspect(state_.improvedSize.x, state_.improvedSize.y);
        improved_.Reset(SetMetaFileBitsEx(static_cast<UINT>(state_.improvedBits.size()), state_.improvedBits.data()));
      } catch (const std::exception&) {
        state_ = PreviewState{true, L"Not enough memory to show the improved picture."};
      }
    }
  }
  if (Handle()) InvalidateRect(Handle(), nullptr, FALSE);
}

const MessageMap& CPreviewWindow::ClassMap() {
  static const MessageEntry messages[] = {
      OnMessage<&CPreviewWindow::OnPaint>(WM_PAINT),
      OnMessage<&CPreviewWindow::OnEraseBackground>(WM_ERASEBKGND),
  };
  static const MessageMap map{&CWnd::ClassMap(), messages, {}};
  return map;
}

int CPreviewWindow::LineHeight() const {
  WindowDC screen(Handle());
  SelectedObject font(screen.Get(), font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT));
  TEXTMETRICW metrics{};
  GetTextMetricsW(screen.Get(), &metrics);
  return metrics.tmHeight + metrics.tmExternalLeading + 2;
}

PreviewLayout CPreviewWindow::Layout() const {
  RECT client{};
  GetClientRect(Handle(), &client);
  const int line = LineHeight();
  // Without an improved picture its place keeps the original's proportions.
  const double improved = state_.problem.empty() ? improvedAspect_ : originalAspect_;
  return LayOutPreview(client.right, client.bottom, originalAspect_, improved, line, line / 2 + 2);
}

void CPreviewWindow::OnPaint() {
  PAINTSTRUCT paint;
  HDC target = BeginPaint(Handle(), &paint);
  RECT client{};
  GetClientRect(Handle(), &client);
  // Drawn in memory first, so that resizing does not flicker.
  wmf::win::DcOwner dc(CreateCompatibleDC(target));
  BitmapHandle bitmap(CreateCompatibleBitmap(target, std::max(1L, client.right), std::max(1L, client.bottom)));
  if (dc && bitmap) {
    SelectedObject selected(dc.Get(), bitmap.Get());
    Paint(dc.Get(), client);
    BitBlt(target, 0, 0, client.right, client.bottom, dc.Get(), 0, 0, SRCCOPY);
  }
  EndPaint(Handle(), &paint);
}

void CPreviewWindow::Paint(HDC dc, const RECT& client) {
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  SelectedObject font(dc, font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  const PreviewLayout layout = Layout();
  const int line = layout.improvedCaption.height;
  if (!state_.havePicture) {
    RECT area = client;
    InflateRect(&area, -line, -line);
    DrawCentredText(dc, kNoPicture, area);
    return;
  }
  originalImage_.DrawInto(dc, original_.Get(), originalWindow_, layout.original);
  DrawCaption(dc, L"As copied", layout.originalCaption);
  if (!state_.problem.empty()) {
    DrawPaper(dc, layout.improved);
    RECT area = AsRect(layout.improved);
    InflateRect(&area, -line / 2, -line / 2);
    DrawCentredText(dc, state_.problem, area);
    return;
  }
  improvedImage_.DrawInto(dc, improved_.Get(), improvedWindow_, layout.improved);
  DrawCaption(dc, L"Improved " + state_.sizeText, layout.improvedCaption);
}
