// The program's one main window. It is never shown: it watches the
// clipboard (as a clipboard format listener, else in the clipboard-viewer
// chain), owns the tray icon and its pop-up menu, and is the target of the
// menu commands.
#pragma once

#include <string>

#include "clipboard_intake.h"

#include "clipboard_watch.h"
#include "frame_window.h"
#include "tray_icon.h"

inline constexpr wchar_t kMainWindowClass[] = L"VelloformClass";
inline constexpr UINT kTrayCallbackMessage = WM_USER + 100;

// What the frame needs of the program.
struct MainFrameContext {
  WmfSettings& settings;
  ClipboardIntake& intake;
  const std::wstring& programFolder;
  // How it learns of clipboard changes: the system's listener where there is one.
  ClipboardListenerApi listener = SystemClipboardListener();
};

class CMainFrame : public CFrameWnd {
 public:
  // Commands the frame does not handle go on to `application`.
  CMainFrame(MainFrameContext context, CCmdTarget& application);

  // Creates the hidden window of class "VelloformClass".
  bool Create();

  bool AutoModifyEnabled() const { return autoModifyEnabled_; }
  const CTrayNotifyIcon& TrayIcon() const { return trayIcon_; }
  const ClipboardWatch& Watch() const { return watch_; }

  static const MessageMap& ClassMap();

 protected:
  const MessageMap& GetMessageMap() const override { return ClassMap(); }

 private:
  LRESULT OnCreate();
  void OnDestroy();
  void OnChainChange(HWND removed, HWND next);
  void OnDrawClipboard();
  void OnClipboardUpdate();
  void OnClipboardChange();
  LRESULT OnInstanceMessage();
  LRESULT OnTrayNotification(WPARAM wParam, LPARAM lParam);
  void OnToggleAutoModify();
  void OnUpdateEnableAutoModify(CCmdUI& item);
  void OnUpdateDisableAutoModify(CCmdUI& item);
  void OnUpdateNeedsLastPicture(CCmdUI& item);
  void OnUpdateModifyNow(CCmdUI& item);
  void OnHelpContents();

  MainFrameContext context_;
  // The registered "Velloform Clipboard" message, as the message table reads it.
  UINT instanceMessage_;
  // The re-entry guard of the clipboard-change handler: publishing the
  // modified picture changes the clipboard again.
  bool inClipboardChange_ = false;
  // The calls of the clipboard-change handler now running, and the latest
  // clipboard change they have seen: judged once the outermost returns.
  int clipboardChangeDepth_ = 0;
  DWORD judgedSequence_ = 0;
  bool autoModifyEnabled_ = true;
  CTrayNotifyIcon trayIcon_;
  ClipboardWatch watch_;
};
