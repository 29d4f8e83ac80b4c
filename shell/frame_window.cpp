#include "frame_window.h"

#include "copy_clip_app.h"

bool CFrameWnd::OnCmdMsg(UINT id, CommandRequest request, CCmdUI* item) {
  if (CWnd::OnCmdMsg(id, request, item)) return true;
  return nextTarget_ && nextTarget_->OnCmdMsg(id, request, item);
}

const MessageMap& CFrameWnd::ClassMap() {
  static const MessageEntry messages[] = {
      OnInitMenuPopupMessage<&CFrameWnd::OnInitMenuPopup>(),
  };
  static const MessageMap map{&CWnd::ClassMap(), messages, {}};
  return map;
}

void CFrameWnd::OnInitMenuPopup(HMENU menu, UINT, bool windowMenu) {
  if (windowMenu) return;
  const int count = GetMenuItemCount(menu);
  for (int position = 0; position < count; ++position) {
    const UINT id = GetMenuItemID(menu, position);
    if (id == 0 || id == static_cast<UINT>(-1)) continue;  // separator or sub-menu
    CCmdUI item(menu, position, id);
    if (OnCmdMsg(id, CommandRequest::Update, &item)) continue;
    // Without an update handler an item is usable exactly when some target
    // on the route handles its command.
    item.Enable(OnCmdMsg(id, CommandRequest::HasHandler, nullptr));
  }
}

void CFrameWnd::PostNcDestroy() {
  CCopyClipApp* app = CCopyClipApp::Current();
  if (app && app->MainWindow() == this) PostQuitMessage(0);
}
