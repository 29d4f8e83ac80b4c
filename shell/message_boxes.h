// How the program speaks to the user: a formatted error box and information
// box (printf-style wide formats, MS semantics: %s takes a wide string), the
// system's text for the last error, and bringing a window to the foreground
// even when another thread owns the foreground.
#pragma once

#include <windows.h>

#include <string>

#include "user_messages.h"
#include "win/system_error_text.h"  // SystemErrorText(), for the %s of an error box
#include "window.h"

// Owner: `owner`'s window when there is one, else the application's main
// window when it exists, else none. The text is cut at 511 characters.
// Return the MessageBoxW result.
int ErrorBox(const CWnd* owner, const wchar_t* format, ...);  // "Velloform error"
int InfoBox(const CWnd* owner, const wchar_t* format, ...);   // "Velloform"

// True when `window` is (now) the foreground window.
bool ForceForeground(HWND window);

// The settings and the picture engine reach the user through the boxes.
class MessageBoxUserMessages : public UserMessages {
 public:
  void ErrorBox(const std::wstring& text) override;
  void InfoBox(const std::wstring& text) override;
};
