// An intake host for tests that look at what the intake does, not at how it
// reaches the user: no notices, no foreground, and the main window the test
// chooses (none unless set).
#pragma once

#include <string>

#include "clipboard_intake.h"

namespace clipboard_test {

class QuietHost : public IntakeHost {
 public:
  HWND window = nullptr;
  HWND MainWindow() override { return window; }
  void BringToForeground(HWND) override {}
  void ShowNotice(const std::wstring&) override {}
};

}  // namespace clipboard_test
