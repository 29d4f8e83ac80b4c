#include "cmd_target.h"

void CCmdUI::Enable(bool enabled) {
  EnableMenuItem(menu_, position_, MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED));
}

void CCmdUI::SetCheck(bool checked) {
  CheckMenuItem(menu_, position_, MF_BYPOSITION | (checked ? MF_CHECKED : MF_UNCHECKED));
}

const MessageMap& CCmdTarget::ClassMap() {
  static const MessageMap map{nullptr, {}, {}};
  return map;
}

bool CCmdTarget::OnCmdMsg(UINT id, CommandRequest request, CCmdUI* item) {
  for (const MessageMap* map = &GetMessageMap(); map; map = map->base) {
    for (const CommandEntry& entry : map->commands) {
      if (entry.id != id) continue;
      switch (request) {
        case CommandRequest::Execute:
          if (!entry.handler) continue;
          entry.handler(*this);
          return true;
        case CommandRequest::Update:
          if (!entry.update || !item) continue;
          entry.update(*this, *item);
          return true;
        case CommandRequest::HasHandler:
          if (entry.handler) return true;
          continue;
      }
    }
  }
  return false;
}

MessageHandler CCmdTarget::FindMessageHandler(UINT message) const {
  for (const MessageMap* map = &GetMessageMap(); map; map = map->base) {
    for (const MessageEntry& entry : map->messages) {
      if (entry.message.Matches(message, *this)) return entry.handler;
    }
  }
  return nullptr;
}

bool CCmdTarget::OnControlNotify(UINT control, UINT code) {
  for (const MessageMap* map = &GetMessageMap(); map; map = map->base) {
    for (const NotifyEntry& entry : map->notifications) {
      if (entry.control != control || entry.code != code) continue;
      entry.handler(*this);
      return true;
    }
  }
  return false;
}
