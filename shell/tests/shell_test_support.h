// Helpers of the shell tests: pumping messages, closing message boxes from a
// watcher thread, and keeping a picture of the screen.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "frame_window.h"

namespace shell_test {

// Dispatches this thread's messages until `done` holds; false when it still
// did not after `patience` (a guard against hanging, not a timing check).
bool PumpUntil(const std::function<bool()>& done, DWORD patience = 20000);
void PumpPending();

// What a watcher thread saw of a message box before it pressed OK.
struct SeenBox {
  bool found = false;
  std::wstring text;
  HWND owner = nullptr;
  bool hasCancel = false;
  HICON icon = nullptr;
};

// Waits on its own thread for a message box with `title`, reads it and
// presses its OK button. The box is expected while the constructing thread
// is inside the call that shows it.
class BoxCloser {
 public:
  explicit BoxCloser(std::wstring title);
  ~BoxCloser();
  // Waits for the watcher and returns what it saw.
  SeenBox Seen();

 private:
  std::wstring title_;
  SeenBox seen_;
  std::thread watcher_;
};

// A hidden frame window of a test class, registered once.
class TestFrame : public CFrameWnd {
 public:
  explicit TestFrame(CCmdTarget* nextTarget = nullptr) : CFrameWnd(nextTarget) {}
  bool Create(const wchar_t* title = L"shell test frame");
};

// A copy of part of the screen as BitBlt reads it back.
struct ScreenCopy {
  std::vector<unsigned char> pixels;  // bottom-up rows of BGR, padded to 4 bytes
  int width = 0, height = 0, stride = 0;

  // (0, 0) is the top left corner of the copied area.
  COLORREF Pixel(int x, int y) const;
  // Writes a 24-bit BMP file; false on failure.
  bool SaveBitmap(const std::wstring& path) const;
};
ScreenCopy CaptureScreen(const RECT& area);  // empty pixels on failure

}  // namespace shell_test
