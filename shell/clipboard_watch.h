// How the main frame learns of clipboard changes. Where the system has
// clipboard format listeners (Windows Vista and later, Wine) it registers as
// one: the system itself tells every listener of every change, so no other
// program can cut it off. Elsewhere it joins the clipboard-viewer chain, in
// which every member passes each notice on, and keeps the chain's rules.
#pragma once

#include <windows.h>

// The system's functions for clipboard format listeners; both null where it
// has none.
struct ClipboardListenerApi {
  BOOL(WINAPI* add)(HWND window) = nullptr;
  BOOL(WINAPI* remove)(HWND window) = nullptr;
};

// Looked up at run time, so that the program also starts where they are missing.
ClipboardListenerApi SystemClipboardListener();

class ClipboardWatch {
 public:
  explicit ClipboardWatch(ClipboardListenerApi listener) : listener_(listener) {}
  ClipboardWatch(const ClipboardWatch&) = delete;
  ClipboardWatch& operator=(const ClipboardWatch&) = delete;

  // Starts watching for `window`: as a listener where the system has them
  // and takes this one, else as a member of the viewer chain. Either way a
  // first notice, of what is on the clipboard already, follows.
  void Start(HWND window);
  // Ends what Start began.
  void Stop();

  bool Listening() const { return mode_ == Mode::Listener; }
  bool InChain() const { return mode_ == Mode::Chain; }
  HWND NextViewer() const { return nextViewer_; }

  // WM_CHANGECBCHAIN: when the viewer after this one leaves, the one after
  // it follows; any other notice goes on down the chain. A listener is in no
  // chain and has nothing to repair.
  void OnChainChange(HWND removed, HWND next);
  // Hands a clipboard change on to the next viewer (in the chain only).
  void PassOn() const;

 private:
  enum class Mode { Idle, Listener, Chain };

  ClipboardListenerApi listener_;
  HWND window_ = nullptr;
  Mode mode_ = Mode::Idle;
  HWND nextViewer_ = nullptr;
};

// Which clipboard change the main window has finished judging, modified or
// not, for other programs (the end-to-end tests) to wait for: that change's
// clipboard sequence number, kept as this property of the window.
inline constexpr wchar_t kJudgedClipboardProperty[] = L"VelloformJudgedClipboard";
inline DWORD JudgedClipboardSequence(HWND mainWindow) {
  return static_cast<DWORD>(reinterpret_cast<UINT_PTR>(GetPropW(mainWindow, kJudgedClipboardProperty)));
}
