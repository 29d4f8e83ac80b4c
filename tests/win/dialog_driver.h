// Driving a dialog as a user does, from a second thread while the dialog's
// own thread runs it: clicks, typing, list choices and menu commands reach
// the controls as the messages that the user's actions send. Shared by the
// in-process dialog tests and the tests of the real program.
#pragma once

#include <windows.h>

#include <chrono>
#include <cwchar>
#include <functional>
#include <string>
#include <thread>

namespace dialog_driver {

// Waits up to `seconds` for `done`, which another thread makes true; false
// when it still is not.
inline bool WaitFor(const std::function<bool()>& done, double seconds = 20) {
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() >= giveUp) return false;
    Sleep(10);
  }
  return true;
}

// Waits up to `seconds` for a visible top-level dialog with `title`.
inline HWND WaitForDialog(const wchar_t* title, double seconds = 20) {
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  for (;;) {
    HWND dialog = FindWindowW(L"#32770", title);
    if (dialog && IsWindowVisible(dialog)) return dialog;
    if (std::chrono::steady_clock::now() >= giveUp) return nullptr;
    Sleep(10);
  }
}

// Waits up to `seconds` until no dialog with `title` is left.
inline bool WaitUntilGone(const wchar_t* title, double seconds = 20) {
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (FindWindowW(L"#32770", title)) {
    if (std::chrono::steady_clock::now() >= giveUp) return false;
    Sleep(10);
  }
  return true;
}

inline int CountDialogs(const wchar_t* title) {
  struct Count {
    const wchar_t* title;
    int found;
  } count{title, 0};
  EnumWindows(
      [](HWND window, LPARAM data) {
        auto* c = reinterpret_cast<Count*>(data);
        wchar_t text[128] = L"", kind[16] = L"";
        GetWindowTextW(window, text, 128);
        GetClassNameW(window, kind, 16);
        if (std::wstring(kind) == L"#32770" && std::wstring(text) == c->title && IsWindowVisible(window)) ++c->found;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&count));
  return count.found;
}

// The first window that `enumerate` (EnumChildWindows or EnumThreadWindows
// with its first argument bound) comes to for which `match` holds, or null.
template <class Enumerate>
HWND FirstWindow(Enumerate enumerate, const std::function<bool(HWND)>& match) {
  struct Search {
    const std::function<bool(HWND)>& match;
    HWND found;
  } search{match, nullptr};
  enumerate(
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        if (!s->match(window)) return TRUE;
        s->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The first descendant of `parent` for which `match` holds, or null. The
// system's file dialogs keep their controls in child dialogs, out of reach
// of GetDlgItem.
inline HWND FindDescendant(HWND parent, const std::function<bool(HWND)>& match) {
  return FirstWindow([parent](WNDENUMPROC visit, LPARAM data) { EnumChildWindows(parent, visit, data); }, match);
}
// The control `id` anywhere inside `dialog`.
inline HWND FindControl(HWND dialog, int id) {
  return FindDescendant(dialog, [id](HWND window) { return GetDlgCtrlID(window) == id; });
}
// The first window of class `className` (in any case) inside `parent`.
inline HWND FindDescendantOfClass(HWND parent, const wchar_t* className) {
  return FindDescendant(parent, [className](HWND window) {
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    return _wcsicmp(name, className) == 0;
  });
}

// A visible dialog of `thread` with `title` (any title when null), or null.
inline HWND DialogOfThread(DWORD thread, const wchar_t* title) {
  return FirstWindow([thread](WNDENUMPROC visit, LPARAM data) { EnumThreadWindows(thread, visit, data); },
                     [title](HWND window) {
                       wchar_t className[16] = L"", text[128] = L"";
                       GetClassNameW(window, className, 16);
                       GetWindowTextW(window, text, 128);
                       return IsWindowVisible(window) && std::wstring(className) == L"#32770" &&
                              (!title || std::wstring(text) == title);
                     });
}

// A click on a button, check box or radio button.
inline void Click(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
// The same without waiting for what the click does (a box or a dialog it opens).
inline void PostClick(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}
// A menu command; posted, since it may open a dialog of its own.
inline void PostCommand(HWND window, int id) { PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0); }
inline void Type(HWND dialog, int id, const std::wstring& text) {
  SendMessageW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}
inline std::wstring Text(HWND dialog, int id) {
  wchar_t text[512] = L"";
  GetDlgItemTextW(dialog, id, text, 512);
  return text;
}
inline bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
inline bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
// Chooses an item of a drop-down list, with the notification the list sends.
inline void Choose(HWND dialog, int id, int index) {
  HWND list = GetDlgItem(dialog, id);
  SendMessageW(list, CB_SETCURSEL, index, 0);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}
// Moves the keyboard focus to a control, as the Tab key or a click does.
inline void Focus(HWND dialog, int id) {
  SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, id)), TRUE);
}
// The control that has the keyboard focus in the dialog's thread.
inline int FocusedControl(HWND dialog) {
  const DWORD self = GetCurrentThreadId(), other = GetWindowThreadProcessId(dialog, nullptr);
  AttachThreadInput(self, other, TRUE);
  HWND focus = GetFocus();
  AttachThreadInput(self, other, FALSE);
  return focus ? GetDlgCtrlID(focus) : 0;
}
// Presses a key in the control that has the focus.
inline void PressKey(HWND dialog, UINT key) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
  HWND target = info.hwndFocus ? info.hwndFocus : dialog;
  PostMessageW(target, WM_KEYDOWN, key, 1);
  PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}

}  // namespace dialog_driver
