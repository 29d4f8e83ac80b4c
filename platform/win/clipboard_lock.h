// Holds the clipboard open for as long as the object lives. Other programs
// hold the clipboard for a moment all the time, so opening tries again for
// up to a quarter of a second before it gives up.
#pragma once

#include <windows.h>

namespace wmf::win {

class ClipboardLock {
 public:
  explicit ClipboardLock(HWND owner = nullptr) {
    const ULONGLONG giveUp = GetTickCount64() + 250;
    while (!(open_ = OpenClipboard(owner) != FALSE)) {
      error_ = GetLastError();
      if (GetTickCount64() >= giveUp) break;
      Sleep(10);
    }
  }
  ClipboardLock(const ClipboardLock&) = delete;
  ClipboardLock& operator=(const ClipboardLock&) = delete;
  ~ClipboardLock() {
    if (open_) CloseClipboard();
  }

  bool IsOpen() const { return open_; }
  // The error of the last failed attempt, for the message to the user.
  DWORD Error() const { return error_; }

 private:
  bool open_ = false;
  DWORD error_ = ERROR_SUCCESS;
};

}  // namespace wmf::win
