#include "main_frame.h"

#include <algorithm>

#include "help.h"
#include "message_boxes.h"
#include "resource.h"

namespace {

HICON LoadTrayIcon(int id) {
  return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON,
                                       GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
}

}  // namespace

CMainFrame::CMainFrame(MainFrameContext context, CCmdTarget& application)
    : CFrameWnd(&application),
      context_(context),
      instanceMessage_(context.settings.InstanceMessage),
      watch_(context.listener) {}

bool CMainFrame::Create() {
  return CreateEx(0, kMainWindowClass, L"Velloform Clipboard handler", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr);
}

const MessageMap& CMainFrame::ClassMap() {
  static const MessageEntry messages[] = {
      OnMessage<&CMainFrame::OnCreate>(WM_CREATE),
      OnMessage<&CMainFrame::OnDestroy>(WM_DESTROY),
      OnChangeCbChainMessage<&CMainFrame::OnChainChange>(),
      OnMessage<&CMainFrame::OnDrawClipboard>(WM_DRAWCLIPBOARD),
      OnMessage<&CMainFrame::OnClipboardUpdate>(WM_CLIPBOARDUPDATE),
      OnMessage<&CMainFrame::OnTrayNotification>(kTrayCallbackMessage),
      OnMessage<&CMainFrame::OnInstanceMessage>(RegisteredMessage<&CMainFrame::instanceMessage_>()),
  };
  static const CommandEntry commands[] = {
      OnCommand<&CMainFrame::OnToggleAutoModify, &CMainFrame::OnUpdateEnableAutoModify>(ID_ENABLE_AUTOMODIFY),
      OnCommand<&CMainFrame::OnToggleAutoModify, &CMainFrame::OnUpdateDisableAutoModify>(ID_DISABLE_AUTOMODIFY),
      OnUpdate<&CMainFrame::OnUpdateNeedsLastPicture>(ID_COPY_LAST_TO_CLIPBOARD),
      OnUpdate<&CMainFrame::OnUpdateNeedsLastPicture>(ID_SAVE_LAST_AS_FILE),
      OnUpdate<&CMainFrame::OnUpdateNeedsLastPicture>(ID_PUT_ORIGINAL_BACK),
      OnUpdate<&CMainFrame::OnUpdateModifyNow>(ID_MODIFY_NOW),
      OnCommand<&CMainFrame::OnHelpContents>(ID_HELP_CONTENTS),
      OnCommand<&CMainFrame::OnHelpContents>(ID_HELP_INDEX),
  };
  static const MessageMap map{&CFrameWnd::ClassMap(), messages, commands};
  return map;
}

LRESULT CMainFrame::OnCreate() {
  SendMessageW(Handle(), WM_SETICON, ICON_BIG,
               reinterpret_cast<LPARAM>(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_PICTURE))));
  const bool added =
      context_.settings.ShowSplash
          ? trayIcon_.CreateTrayIconWithBalloon(
                this, IDR_TRAY_MENU, L"Velloform",
                L"Velloform will remain active through this icon.\nDouble click it to (re)activate the options dialog.",
                L"Velloform", 3, CTrayNotifyIcon::BalloonInfo, LoadTrayIcon(IDI_NO_PICTURE), kTrayCallbackMessage,
                IDR_TRAY_MENU)
          : trayIcon_.CreateTrayIcon(this, IDR_TRAY_MENU, L"Velloform", LoadTrayIcon(IDI_NO_PICTURE),
                                     kTrayCallbackMessage, IDR_TRAY_MENU, false);
  if (!added) {
    ErrorBox(this, L"Failed to create tray icon.");
    return -1;
  }
  watch_.Start(Handle());
  return 0;
}

void CMainFrame::OnDestroy() {
  watch_.Stop();
  RemovePropW(Handle(), kJudgedClipboardProperty);
}

void CMainFrame::OnChainChange(HWND removed, HWND next) { watch_.OnChainChange(removed, next); }

// Each way of watching has its own notice; the other one's comes from no
// change this frame was told of.
void CMainFrame::OnDrawClipboard() {
  if (watch_.InChain()) OnClipboardChange();
}

void CMainFrame::OnClipboardUpdate() {
  if (watch_.Listening()) OnClipboardChange();
}

void CMainFrame::OnClipboardChange() {
  ++clipboardChangeDepth_;
  judgedSequence_ = std::max(judgedSequence_, GetClipboardSequenceNumber());
  if (!inClipboardChange_) {
    inClipboardChange_ = true;
    std::wstring text;
    if (autoModifyEnabled_ && context_.settings.AutoModify != 0) {
      context_.intake.ModifyClipboardPicture(false);
      if (IsClipboardFormatAvailable(CF_METAFILEPICT)) {
        text = context_.intake.StatusText();
        trayIcon_.SetTrayIcon(LoadTrayIcon(IDI_PICTURE));
      } else {
        trayIcon_.SetTrayIcon(LoadTrayIcon(IDI_NO_PICTURE));
        text = L"(no WMF on clipboard)";
      }
    } else {
      text = L"(disabled)";
    }
    trayIcon_.SetTrayTooltip(L"Velloform " + text, false);
  }
  // Cleared by the nested call too, so that a second nested notice in the
  // same outer call is handled in full (intake is still busy then).
  inClipboardChange_ = false;
  if (--clipboardChangeDepth_ == 0)
    SetPropW(Handle(), kJudgedClipboardProperty, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(judgedSequence_)));
  watch_.PassOn();
}

// A second start hands over: the options of this one are shown.
LRESULT CMainFrame::OnInstanceMessage() {
  ForceForeground(Handle());
  OnCmdMsg(ID_MAIN_OPTIONS, CommandRequest::Execute, nullptr);
  return 1;
}

LRESULT CMainFrame::OnTrayNotification(WPARAM wParam, LPARAM lParam) {
  return trayIcon_.OnTrayNotification(wParam, lParam);
}

void CMainFrame::OnToggleAutoModify() {
  autoModifyEnabled_ = !autoModifyEnabled_;
  OnClipboardChange();
}

void CMainFrame::OnUpdateEnableAutoModify(CCmdUI& item) { item.SetCheck(autoModifyEnabled_); }
void CMainFrame::OnUpdateDisableAutoModify(CCmdUI& item) { item.SetCheck(!autoModifyEnabled_); }
void CMainFrame::OnUpdateNeedsLastPicture(CCmdUI& item) { item.Enable(context_.intake.HaveLastPicture()); }
void CMainFrame::OnUpdateModifyNow(CCmdUI& item) {
  item.Enable(IsClipboardFormatAvailable(CF_METAFILEPICT) && !ClipboardMarkedPrivate());
}

void CMainFrame::OnHelpContents() { OpenHelp(HelpFilePath(context_.programFolder)); }
