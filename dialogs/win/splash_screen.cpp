#include "splash_screen.h"

#include "program_version.h"
#include "resource.h"

namespace {

CSplashScreen* currentSplash = nullptr;

constexpr wchar_t kSplashClass[] = L"VelloformSplash";
constexpr UINT_PTR kTimer = 1;
constexpr UINT kShownMilliseconds = 2500;
constexpr int kLabelId = 1;

}  // namespace

CSplashScreen* CurrentSplash() { return currentSplash; }

void ShowSplashScreen(HWND owner, bool wanted) {
  if (!wanted || currentSplash) return;
  auto* splash = new CSplashScreen;  // deletes itself when its window goes
  currentSplash = splash;
  if (!splash->Create(owner)) {
    // A window that was made and destroyed again took the object with it.
    if (currentSplash == splash) delete splash;
    currentSplash = nullptr;
    return;
  }
  UpdateWindow(splash->Handle());
}

bool CSplashScreen::Create(HWND owner) {
  HINSTANCE module = GetModuleHandleW(nullptr);
  bitmap_.Reset(static_cast<HBITMAP>(LoadImageW(module, MAKEINTRESOURCEW(IDB_SPLASH), IMAGE_BITMAP, 0, 0, 0)));
  BITMAP info{};
  if (!bitmap_ || !GetObjectW(bitmap_.Get(), sizeof info, &info)) return false;
  size_ = {info.bmWidth, info.bmHeight};
  WNDCLASSW windowClass{};
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kSplashClass;
  return RegisterWindowClass(windowClass) &&
         CreateEx(0, kSplashClass, L"", WS_POPUP | WS_VISIBLE, 0, 0, size_.cx, size_.cy, owner, nullptr);
}

const MessageMap& CSplashScreen::ClassMap() {
  static const MessageEntry messages[] = {
      OnMessage<&CSplashScreen::OnCreate>(WM_CREATE),
      OnMessage<&CSplashScreen::OnPaint>(WM_PAINT),
      OnMessage<&CSplashScreen::OnTimer>(WM_TIMER),
      OnCtlColorMessage<&CSplashScreen::OnCtlColorStatic>(WM_CTLCOLORSTATIC),
  };
  static const MessageMap map{&CWnd::ClassMap(), messages, {}};
  return map;
}

LRESULT CSplashScreen::OnCreate() {
  // Centred on the screen, on top of every window.
  const int x = (GetSystemMetrics(SM_CXSCREEN) - size_.cx) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - size_.cy) / 2;
  SetWindowPos(Handle(), HWND_TOPMOST, x, y, 0, 0, SWP_NOSIZE);
  SetForegroundWindow(Handle());
  HWND label = CreateWindowExW(0, L"STATIC", L"" VELLOFORM_YEAR, WS_CHILD | WS_VISIBLE, 415, 31, 556 - 415, 69 - 31, Handle(),
                               reinterpret_cast<HMENU>(kLabelId), GetModuleHandleW(nullptr), nullptr);
  label_.SubclassWindow(label);
  label_.SetBackgroundColor(RGB(255, 255, 255)).SetBold(true).SetFontHeight(26).SetFaceName(L"Arial").SetTextColor(
      RGB(0x00, 0x85, 0x90));
  SetTimer(Handle(), kTimer, kShownMilliseconds, nullptr);
  return 0;
}

void CSplashScreen::OnPaint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(Handle(), &paint);
  wmf::win::DcOwner memory(CreateCompatibleDC(dc));
  {
    wmf::win::SelectionRestorer selected(memory.Get(), bitmap_.Get());
    BitBlt(dc, 0, 0, size_.cx, size_.cy, memory.Get(), 0, 0, SRCCOPY);
  }
  EndPaint(Handle(), &paint);
}

HBRUSH CSplashScreen::OnCtlColorStatic(HDC dc, HWND control) { return CLabel::ColorsFor(control, dc); }

void CSplashScreen::OnTimer() {
  KillTimer(Handle(), kTimer);
  HWND owner = GetWindow(Handle(), GW_OWNER);
  DestroyWindow();
  if (owner) UpdateWindow(owner);
}

void CSplashScreen::PostNcDestroy() {
  if (currentSplash == this) currentSplash = nullptr;
  delete this;
}
