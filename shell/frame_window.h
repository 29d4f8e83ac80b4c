// A frame window: commands it does not handle itself go on to the next
// target given at construction, normally the application object (whose
// table ends with the exit command), and before a
// pop-up menu of the frame is shown the update handlers of its items set
// their check marks and enabled states. When the application's main window
// goes, the message loop ends.
#pragma once

#include "window.h"

class CFrameWnd : public CWnd {
 public:
  explicit CFrameWnd(CCmdTarget* nextTarget = nullptr) : nextTarget_(nextTarget) {}

  bool OnCmdMsg(UINT id, CommandRequest request, CCmdUI* item) override;

  static const MessageMap& ClassMap();

 protected:
  const MessageMap& GetMessageMap() const override { return ClassMap(); }
  void PostNcDestroy() override;

 private:
  void OnInitMenuPopup(HMENU menu, UINT position, bool windowMenu);

  CCmdTarget* nextTarget_;
};
