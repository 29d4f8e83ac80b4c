// Window hooks: an object that sees a window's messages before the window
// procedure does, by subclassing the window. Several hooks can sit on one
// window; the most recent one is stored on the window as the property
// "HookWnd_P" and each names the one installed before it. A hooked window's
// WM_NCDESTROY removes all its hooks and then reaches the procedure that was
// in place before the first hook.
#pragma once

#include <windows.h>

#include "win_handles.h"

// Guards the installation and removal of hooks, process-wide.
extern CriticalSection HookLock;

class CHookWnd {
 public:
  CHookWnd() = default;
  CHookWnd(const CHookWnd&) = delete;
  CHookWnd& operator=(const CHookWnd&) = delete;
  // A hook still installed is removed, so the window never calls a dead one.
  virtual ~CHookWnd();

  void HookWindow(HWND window);
  void Unhook();
  static void UnhookAll(HWND window);

  HWND HookedWindow() const { return hookedWindow_; }

 protected:
  // Passes the message on to the hook installed before this one, or to the
  // window's own procedure.
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // WindowProc of the base for the message being handled now.
  LRESULT Default();

 private:
  static LRESULT CALLBACK HookWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND hookedWindow_ = nullptr;
  WNDPROC previousProcedure_ = nullptr;
  CHookWnd* next_ = nullptr;
};
