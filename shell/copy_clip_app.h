// The application object: the one per process, reachable from everywhere
// through Current(). It owns the main window, runs the message loop, and is
// the second stop of a command after the frame; its table ends with the
// exit command, which closes the main window.
#pragma once

#include <memory>

#include "window.h"

class CCopyClipApp : public CCmdTarget {
 public:
  CCopyClipApp();
  ~CCopyClipApp() override;

  // The application object of the process, or null outside its lifetime.
  static CCopyClipApp* Current();

  // The main window object; it may exist before and after its window.
  CWnd* MainWindow() const { return mainWindow_.get(); }
  void SetMainWindow(std::unique_ptr<CWnd> window);

  // Dispatches messages until WM_QUIT (posted when the main window goes),
  // then destroys the main window object; returns the WM_QUIT exit code.
  int Run();

  static const MessageMap& ClassMap();

 protected:
  const MessageMap& GetMessageMap() const override { return ClassMap(); }

 private:
  void OnAppExit();

  std::unique_ptr<CWnd> mainWindow_;
};
