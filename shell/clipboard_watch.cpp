#include "clipboard_watch.h"

ClipboardListenerApi SystemClipboardListener() {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  ClipboardListenerApi api;
  if (!user32) return api;
  api.add = reinterpret_cast<decltype(api.add)>(
      reinterpret_cast<void*>(GetProcAddress(user32, "AddClipboardFormatListener")));
  api.remove = reinterpret_cast<decltype(api.remove)>(
      reinterpret_cast<void*>(GetProcAddress(user32, "RemoveClipboardFormatListener")));
  if (!api.add || !api.remove) api = ClipboardListenerApi{};
  return api;
}

void ClipboardWatch::Start(HWND window) {
  window_ = window;
  if (listener_.add && listener_.add(window)) {
    mode_ = Mode::Listener;
    // Joining the chain brings a notice of what is on the clipboard now;
    // a listener gives itself one, so that a picture copied before the
    // start is judged too.
    PostMessageW(window, WM_CLIPBOARDUPDATE, 0, 0);
    return;
  }
  mode_ = Mode::Chain;
  nextViewer_ = SetClipboardViewer(window);
}

void ClipboardWatch::Stop() {
  if (mode_ == Mode::Listener) listener_.remove(window_);
  if (mode_ == Mode::Chain) ChangeClipboardChain(window_, nextViewer_);
  mode_ = Mode::Idle;
  nextViewer_ = nullptr;
}

void ClipboardWatch::OnChainChange(HWND removed, HWND next) {
  if (mode_ != Mode::Chain) return;
  if (removed == nextViewer_) {
    nextViewer_ = next;
  } else if (nextViewer_) {
    SendMessageW(nextViewer_, WM_CHANGECBCHAIN, reinterpret_cast<WPARAM>(removed), reinterpret_cast<LPARAM>(next));
  }
}

void ClipboardWatch::PassOn() const {
  if (mode_ == Mode::Chain && nextViewer_) SendMessageW(nextViewer_, WM_DRAWCLIPBOARD, 0, 0);
}
