#include "shell_test_support.h"

#include <cstdio>
#include <vector>

#include "win_handles.h"

namespace shell_test {

bool PumpUntil(const std::function<bool()>& done, DWORD patience) {
  const ULONGLONG deadline = GetTickCount64() + patience;
  while (!done()) {
    if (GetTickCount64() > deadline) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    PumpPending();
  }
  return true;
}

void PumpPending() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

BoxCloser::BoxCloser(std::wstring title) : title_(std::move(title)) {
  watcher_ = std::thread([this] {
    const ULONGLONG deadline = GetTickCount64() + 20000;
    HWND box = nullptr;
    while (!(box = FindWindowW(L"#32770", title_.c_str())) && GetTickCount64() < deadline) Sleep(10);
    if (!box) return;
    // The box is found as soon as it exists; let it finish its set-up.
    while (!IsWindowVisible(box) && GetTickCount64() < deadline) Sleep(10);
    seen_.found = true;
    wchar_t text[2048] = L"";
    GetDlgItemTextW(box, 0xFFFF, text, 2048);  // the message text control
    seen_.text = text;
    seen_.owner = GetWindow(box, GW_OWNER);
    HWND cancel = GetDlgItem(box, IDCANCEL);
    seen_.hasCancel = cancel && IsWindowVisible(cancel);
    seen_.icon = reinterpret_cast<HICON>(SendDlgItemMessageW(box, 0x440, STM_GETICON, 0, 0));
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
  });
}

BoxCloser::~BoxCloser() {
  if (watcher_.joinable()) watcher_.join();
}

SeenBox BoxCloser::Seen() {
  if (watcher_.joinable()) watcher_.join();
  return seen_;
}

bool TestFrame::Create(const wchar_t* title) {
  WNDCLASSW windowClass{};
  windowClass.style = CS_DBLCLKS;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = L"ShellTestFrame";
  return RegisterWindowClass(windowClass) &&
         CreateEx(0, L"ShellTestFrame", title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                  CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr);
}

ScreenCopy CaptureScreen(const RECT& area) {
  ScreenCopy copy;
  copy.width = area.right - area.left;
  copy.height = area.bottom - area.top;
  if (copy.width <= 0 || copy.height <= 0) return copy;
  copy.stride = (copy.width * 3 + 3) & ~3;
  WindowDC screen(nullptr);
  wmf::win::DcOwner memory(CreateCompatibleDC(screen.Get()));
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = copy.width;
  info.bmiHeader.biHeight = copy.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  BitmapHandle bitmap(CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap) return copy;
  bool copied;
  {
    SelectedObject selected(memory.Get(), bitmap.Get());
    copied = BitBlt(memory.Get(), 0, 0, copy.width, copy.height, screen.Get(), area.left, area.top,
                    SRCCOPY);
  }
  GdiFlush();
  if (copied) {
    const auto* first = static_cast<const unsigned char*>(bits);
    copy.pixels.assign(first, first + copy.stride * copy.height);
  }
  return copy;
}

COLORREF ScreenCopy::Pixel(int x, int y) const {
  const unsigned char* bgr = &pixels[(height - 1 - y) * stride + x * 3];
  return RGB(bgr[2], bgr[1], bgr[0]);
}

bool ScreenCopy::SaveBitmap(const std::wstring& path) const {
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER header{};
  header.biSize = sizeof(header);
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biSizeImage = static_cast<DWORD>(pixels.size());
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof(file) + sizeof(header);
  file.bfSize = file.bfOffBits + header.biSizeImage;
  FILE* out = _wfopen(path.c_str(), L"wb");
  if (!out) return false;
  const bool written = fwrite(&file, sizeof(file), 1, out) == 1 &&
                       fwrite(&header, sizeof(header), 1, out) == 1 &&
                       fwrite(pixels.data(), pixels.size(), 1, out) == 1;
  return fclose(out) == 0 && written && !pixels.empty();
}

}  // namespace shell_test
