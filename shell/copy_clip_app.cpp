#include "copy_clip_app.h"

#include "resource.h"

namespace {

CCopyClipApp* currentApp = nullptr;

}  // namespace

CCopyClipApp::CCopyClipApp() { currentApp = this; }

CCopyClipApp::~CCopyClipApp() {
  mainWindow_.reset();
  if (currentApp == this) currentApp = nullptr;
}

CCopyClipApp* CCopyClipApp::Current() { return currentApp; }

void CCopyClipApp::SetMainWindow(std::unique_ptr<CWnd> window) { mainWindow_ = std::move(window); }

int CCopyClipApp::Run() {
  MSG message{};
  BOOL got;
  while ((got = GetMessageW(&message, nullptr, 0, 0)) != 0 && got != -1) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  mainWindow_.reset();
  return got == 0 ? static_cast<int>(message.wParam) : -1;
}

const MessageMap& CCopyClipApp::ClassMap() {
  static const CommandEntry commands[] = {
      OnCommand<&CCopyClipApp::OnAppExit>(ID_APP_EXIT),
  };
  static const MessageMap map{&CCmdTarget::ClassMap(), {}, commands};
  return map;
}

void CCopyClipApp::OnAppExit() {
  if (mainWindow_ && mainWindow_->Handle()) SendMessageW(mainWindow_->Handle(), WM_CLOSE, 0, 0);
}
