#include "hook_wnd.h"

#include "window.h"

// Constructed before, and destroyed after, every object of default priority
// (the application object and its windows among them), whichever unit
// defines them.
__attribute__((init_priority(101))) CriticalSection HookLock;

namespace {

constexpr wchar_t kHookProperty[] = L"HookWnd_P";

CHookWnd* HeadHook(HWND window) { return static_cast<CHookWnd*>(GetPropW(window, kHookProperty)); }

}  // namespace

CHookWnd::~CHookWnd() {
  if (hookedWindow_) Unhook();
}

void CHookWnd::HookWindow(HWND window) {
  if (!window) return;
  CriticalSectionLock lock(HookLock);
  if (hookedWindow_) Unhook();
  hookedWindow_ = window;
  next_ = HeadHook(window);
  SetPropW(window, kHookProperty, this);
  if (next_) {
    previousProcedure_ = next_->previousProcedure_;
  } else {
    previousProcedure_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
        window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CHookWnd::HookWndProc)));
  }
}

void CHookWnd::Unhook() {
  CriticalSectionLock lock(HookLock);
  if (!hookedWindow_) return;
  CHookWnd* head = HeadHook(hookedWindow_);
  if (head == this) {
    if (next_) {
      SetPropW(hookedWindow_, kHookProperty, next_);
    } else {
      RemovePropW(hookedWindow_, kHookProperty);
      SetWindowLongPtrW(hookedWindow_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProcedure_));
    }
  } else {
    for (CHookWnd* hook = head; hook; hook = hook->next_) {
      if (hook->next_ == this) {
        hook->next_ = next_;
        break;
      }
    }
  }
  hookedWindow_ = nullptr;
  previousProcedure_ = nullptr;
  next_ = nullptr;
}

void CHookWnd::UnhookAll(HWND window) {
  CriticalSectionLock lock(HookLock);
  while (CHookWnd* hook = HeadHook(window)) hook->Unhook();
}

LRESULT CHookWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (next_) return next_->WindowProc(message, wParam, lParam);
  return CallWindowProcW(previousProcedure_, hookedWindow_, message, wParam, lParam);
}

LRESULT CHookWnd::Default() {
  const MSG& message = CurrentMessage();
  return CHookWnd::WindowProc(message.message, message.wParam, message.lParam);
}

LRESULT CALLBACK CHookWnd::HookWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CurrentMessageScope scope(window, message, wParam, lParam);
  CHookWnd* head = HeadHook(window);
  if (!head) return DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    const WNDPROC previous = head->previousProcedure_;
    UnhookAll(window);
    return CallWindowProcW(previous, window, message, wParam, lParam);
  }
  return head->WindowProc(message, wParam, lParam);
}
