#include "window.h"

#include <utility>

namespace {

thread_local MSG currentMessage{};

}  // namespace

const MSG& CurrentMessage() { return currentMessage; }

CurrentMessageScope::CurrentMessageScope(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    : outer_(currentMessage) {
  currentMessage.hwnd = window;
  currentMessage.message = message;
  currentMessage.wParam = wParam;
  currentMessage.lParam = lParam;
}

CurrentMessageScope::~CurrentMessageScope() { currentMessage = outer_; }

CWnd::~CWnd() {
  if (!hwnd_) return;
  HWND window = hwnd_;
  Detach();
  ::DestroyWindow(window);
}

bool CWnd::RegisterWindowClass(WNDCLASSW windowClass) {
  windowClass.lpfnWndProc = &CWnd::WindowProcedure;
  if (!windowClass.hInstance) windowClass.hInstance = GetModuleHandleW(nullptr);
  return RegisterClassW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool CWnd::CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style,
                    int x, int y, int width, int height, HWND parent, HMENU menu) {
  if (hwnd_) return false;
  return CreateWindowExW(exStyle, className, title, style, x, y, width, height, parent, menu,
                         GetModuleHandleW(nullptr), this) != nullptr;
}

bool CWnd::DestroyWindow() { return hwnd_ && ::DestroyWindow(hwnd_); }

bool CWnd::SubclassWindow(HWND window) {
  if (hwnd_ || !window || FromHandle(window)) return false;
  Attach(window);
  superProcedure_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::WindowProcedure)));
  return true;
}

CWnd* CWnd::FromHandle(HWND window) {
  return window ? reinterpret_cast<CWnd*>(GetWindowLongPtrW(window, GWLP_USERDATA)) : nullptr;
}

void CWnd::Attach(HWND window) {
  hwnd_ = window;
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

void CWnd::Detach() {
  if (!hwnd_) return;
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
  if (superProcedure_)
    SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(std::exchange(superProcedure_, nullptr)));
  hwnd_ = nullptr;
}

const MessageMap& CWnd::ClassMap() {
  static const MessageMap map{&CCmdTarget::ClassMap(), {}, {}};
  return map;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (MessageHandler handler = FindMessageHandler(message)) return handler(*this, wParam, lParam);
  if (message == WM_COMMAND && RouteCommand(wParam, lParam)) return 0;
  return DefaultProcessing(message, wParam, lParam);
}

bool CWnd::RouteCommand(WPARAM wParam, LPARAM lParam) {
  // Menus and accelerators send no control; of the controls, only a click
  // is a command, the rest are notifications.
  if (lParam != 0 && HIWORD(wParam) != BN_CLICKED) return OnControlNotify(LOWORD(wParam), HIWORD(wParam));
  return OnCmdMsg(LOWORD(wParam), CommandRequest::Execute, nullptr);
}

LRESULT CWnd::Default() {
  const MSG& message = CurrentMessage();
  return DefaultProcessing(message.message, message.wParam, message.lParam);
}

LRESULT CWnd::DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam) {
  if (superProcedure_) return CallWindowProcW(superProcedure_, hwnd_, message, wParam, lParam);
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK CWnd::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CWnd* self = nullptr;
  if (message == WM_NCCREATE) {
    self = static_cast<CWnd*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    if (self) self->Attach(window);
  } else {
    self = FromHandle(window);
  }
  if (!self) return DefWindowProcW(window, message, wParam, lParam);

  CurrentMessageScope scope(window, message, wParam, lParam);
  // A handler may destroy the object (a self-deleting window), so nothing
  // touches it afterwards except on WM_NCDESTROY, which ends the binding.
  const LRESULT result = self->WindowProc(message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    self->Detach();
    self->PostNcDestroy();
  }
  return result;
}
