#include "message_boxes.h"

#include <cstdarg>
#include <cwchar>

#include "copy_clip_app.h"

namespace {

constexpr wchar_t kErrorTitle[] = L"Velloform error";
constexpr wchar_t kInfoTitle[] = L"Velloform";
constexpr std::size_t kTextCapacity = 512;

HWND BoxOwner(const CWnd* owner) {
  if (owner && owner->Handle()) return owner->Handle();
  const CCopyClipApp* app = CCopyClipApp::Current();
  const CWnd* mainWindow = app ? app->MainWindow() : nullptr;
  return mainWindow ? mainWindow->Handle() : nullptr;
}

// _vsnwprintf is the runtime's own: %s is a wide string there, whatever
// printf flavour the rest of the program uses.
std::wstring Format(const wchar_t* format, va_list arguments) {
  wchar_t text[kTextCapacity];
  _vsnwprintf(text, kTextCapacity - 1, format, arguments);
  text[kTextCapacity - 1] = L'\0';
  return text;
}

int ShowBox(const CWnd* owner, const std::wstring& text, const wchar_t* title, UINT style) {
  return MessageBoxW(BoxOwner(owner), text.c_str(), title, style);
}

}  // namespace

int ErrorBox(const CWnd* owner, const wchar_t* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  const std::wstring text = Format(format, arguments);
  va_end(arguments);
  return ShowBox(owner, text, kErrorTitle, MB_OK | MB_ICONERROR);
}

int InfoBox(const CWnd* owner, const wchar_t* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  const std::wstring text = Format(format, arguments);
  va_end(arguments);
  return ShowBox(owner, text, kInfoTitle, MB_OK);
}

bool ForceForeground(HWND window) {
  HWND foreground = GetForegroundWindow();
  if (foreground == window) return true;
  const DWORD foregroundThread = GetWindowThreadProcessId(foreground, nullptr);
  const DWORD windowThread = GetWindowThreadProcessId(window, nullptr);
  if (foregroundThread == windowThread) return SetForegroundWindow(window) != FALSE;
  // Sharing the input state with the foreground thread lifts the lock on
  // SetForegroundWindow.
  AttachThreadInput(foregroundThread, windowThread, TRUE);
  const bool result = SetForegroundWindow(window) != FALSE;
  AttachThreadInput(foregroundThread, windowThread, FALSE);
  return result;
}

void MessageBoxUserMessages::ErrorBox(const std::wstring& text) {
  ShowBox(nullptr, text, kErrorTitle, MB_OK | MB_ICONERROR);
}

void MessageBoxUserMessages::InfoBox(const std::wstring& text) {
  ShowBox(nullptr, text, kInfoTitle, MB_OK);
}
