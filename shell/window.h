// The base window class: a C++ object bound to its window from WM_NCCREATE
// on (through GWLP_USERDATA), with the messages dispatched through the
// class's message table and WM_COMMAND routed to its command table.
#pragma once

#include <windows.h>

#include "cmd_target.h"

// The message this thread is handling now (the innermost one when messages
// nest); the scope object sets it and puts the outer one back.
const MSG& CurrentMessage();
class CurrentMessageScope {
 public:
  CurrentMessageScope(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  CurrentMessageScope(const CurrentMessageScope&) = delete;
  CurrentMessageScope& operator=(const CurrentMessageScope&) = delete;
  ~CurrentMessageScope();

 private:
  MSG outer_;
};

class CWnd : public CCmdTarget {
 public:
  CWnd() = default;
  // A window still alive is unbound first, so that no handler runs on a
  // half-destroyed object, and then destroyed.
  ~CWnd() override;

  HWND Handle() const { return hwnd_; }

  // Registers a window class whose windows bind to their objects; the
  // window procedure and, when null, the module are filled in. A class this
  // process registered before counts as success.
  static bool RegisterWindowClass(WNDCLASSW windowClass);

  bool CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, int x,
                int y, int width, int height, HWND parent, HMENU menu);
  bool DestroyWindow();
  // Binds this object to an existing window (a dialog's control) whose own
  // window procedure then does the default processing.
  bool SubclassWindow(HWND window);
  // The object bound to `window`, or null.
  static CWnd* FromHandle(HWND window);

  static const MessageMap& ClassMap();

 protected:
  const MessageMap& GetMessageMap() const override { return ClassMap(); }

  // Table handler, else command routing for WM_COMMAND, else DefWindowProcW.
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // Routes a menu command or a button click; true when it was handled.
  virtual bool RouteCommand(WPARAM wParam, LPARAM lParam);
  // The default processing of the current message.
  LRESULT Default();
  // Runs after the window is gone (WM_NCDESTROY) and the object unbound.
  virtual void PostNcDestroy() {}

  // For window kinds with a procedure of their own (dialogs): binds the
  // object to `window`, and ends the binding when the window goes.
  void Attach(HWND window);
  void Detach();

 private:
  static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam);

  HWND hwnd_ = nullptr;
  WNDPROC superProcedure_ = nullptr;  // the control's own procedure, when subclassed
};
