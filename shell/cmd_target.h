// Message tables: every window class and the application object keep a
// static table that maps window messages to message handlers and command ids
// to command and update handlers. A class's table names its base class's
// table, which is searched after it.
//
//   const MessageMap& CMyWnd::ClassMap() {
//     static const MessageEntry messages[] = {OnMessage<&CMyWnd::OnPaint>(WM_PAINT)};
//     static const CommandEntry commands[] = {OnCommand<&CMyWnd::OnSave, &CMyWnd::OnUpdateSave>(40007)};
//     static const MessageMap map{&CWnd::ClassMap(), messages, commands};
//     return map;
//   }
//   const MessageMap& CMyWnd::GetMessageMap() const { return ClassMap(); }  // override
//
// Handlers are member functions; see OnMessage, the typed entries after it
// (OnDrawItemMessage, OnCtlColorMessage, OnNotifyMessage, ...), OnCommand and
// OnUpdate below for the signatures they may have.
#pragma once

#include <windows.h>

#include <cstddef>
#include <span>
#include <type_traits>

class CCmdTarget;

// A menu item whose state a command's update handler sets before its pop-up
// menu is shown.
class CCmdUI {
 public:
  CCmdUI(HMENU menu, UINT position, UINT id) : menu_(menu), position_(position), id_(id) {}
  UINT Id() const { return id_; }
  void Enable(bool enabled);
  void SetCheck(bool checked);

 private:
  HMENU menu_;
  UINT position_;
  UINT id_;
};

// A message number fixed at compile time, or one registered at run time
// (RegisterWindowMessageW) and read when messages are dispatched: from a
// variable, or from a member of the target (see RegisteredMessage below).
class MessageId {
 public:
  using MemberReader = UINT (*)(const CCmdTarget& target);

  constexpr MessageId(UINT message) : fixed_(message) {}
  constexpr MessageId(const UINT* registered) : registered_(registered) {}
  constexpr explicit MessageId(MemberReader member) : member_(member) {}
  bool Matches(UINT message, const CCmdTarget& target) const {
    UINT wanted = fixed_;
    if (registered_) wanted = *registered_;
    if (member_) wanted = member_(target);
    return wanted != 0 && message == wanted;  // not yet registered matches nothing
  }

 private:
  UINT fixed_ = 0;
  const UINT* registered_ = nullptr;
  MemberReader member_ = nullptr;
};

using MessageHandler = LRESULT (*)(CCmdTarget& target, WPARAM wParam, LPARAM lParam);
using CommandHandler = void (*)(CCmdTarget& target);
using UpdateHandler = void (*)(CCmdTarget& target, CCmdUI& item);

struct MessageEntry {
  MessageId message;
  MessageHandler handler;
};

// A command id with its command handler, its update handler, or both.
struct CommandEntry {
  UINT id;
  CommandHandler handler;
  UpdateHandler update;
};

// A notification of a control other than a button click (EN_KILLFOCUS,
// LBN_SELCHANGE, ...), sent to its dialog or window with WM_COMMAND.
struct NotifyEntry {
  UINT control;
  UINT code;
  CommandHandler handler;
};

struct MessageMap {
  const MessageMap* base;
  std::span<const MessageEntry> messages;
  std::span<const CommandEntry> commands;
  std::span<const NotifyEntry> notifications = {};
};

// What a routed command asks of the targets on its way.
enum class CommandRequest {
  Execute,     // run the command handler
  Update,      // run the update handler on the CCmdUI
  HasHandler,  // only tell whether a command handler exists
};

class CCmdTarget {
 public:
  CCmdTarget() = default;
  CCmdTarget(const CCmdTarget&) = delete;
  CCmdTarget& operator=(const CCmdTarget&) = delete;
  virtual ~CCmdTarget() = default;

  static const MessageMap& ClassMap();

  // Looks `id` up in this object's tables (and, for routing classes, in the
  // next targets); true when a handler for `request` was found and run.
  virtual bool OnCmdMsg(UINT id, CommandRequest request, CCmdUI* item);

 protected:
  virtual const MessageMap& GetMessageMap() const { return ClassMap(); }
  // The handler for `message` in this object's tables, or null.
  MessageHandler FindMessageHandler(UINT message) const;
  // Runs the handler of a control's notification; false when there is none.
  bool OnControlNotify(UINT control, UINT code);
};

namespace message_map_detail {

template <class Method>
struct MemberOf;
template <class R, class C, class... Args>
struct MemberOf<R (C::*)(Args...)> {
  using Class = C;
};

template <class C>
LRESULT Invoke(C& self, LRESULT (C::*method)(WPARAM, LPARAM), WPARAM wParam, LPARAM lParam) {
  return (self.*method)(wParam, lParam);
}
template <class C>
LRESULT Invoke(C& self, void (C::*method)(WPARAM, LPARAM), WPARAM wParam, LPARAM lParam) {
  (self.*method)(wParam, lParam);
  return 0;
}
template <class C>
LRESULT Invoke(C& self, LRESULT (C::*method)(), WPARAM, LPARAM) {
  return (self.*method)();
}
template <class C>
LRESULT Invoke(C& self, void (C::*method)(), WPARAM, LPARAM) {
  (self.*method)();
  return 0;
}

template <auto Method>
LRESULT CallMessage(CCmdTarget& target, WPARAM wParam, LPARAM lParam) {
  using Class = typename MemberOf<decltype(Method)>::Class;
  return Invoke(static_cast<Class&>(target), Method, wParam, lParam);
}

template <auto Method>
void CallCommand(CCmdTarget& target) {
  using Class = typename MemberOf<decltype(Method)>::Class;
  (static_cast<Class&>(target).*Method)();
}

template <auto Method>
void CallUpdate(CCmdTarget& target, CCmdUI& item) {
  using Class = typename MemberOf<decltype(Method)>::Class;
  (static_cast<Class&>(target).*Method)(item);
}

template <class Member>
struct DataMemberOf;
template <class C>
struct DataMemberOf<UINT C::*> {
  using Class = C;
};

template <auto Method>
auto& TargetOf(CCmdTarget& target) {
  return static_cast<typename MemberOf<decltype(Method)>::Class&>(target);
}

template <auto Method>
LRESULT CrackDrawItem(CCmdTarget& target, WPARAM, LPARAM lParam) {
  return (TargetOf<Method>(target).*Method)(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)) ? TRUE : FALSE;
}
template <auto Method>
LRESULT CrackCtlColor(CCmdTarget& target, WPARAM wParam, LPARAM lParam) {
  const HBRUSH brush = (TargetOf<Method>(target).*Method)(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
  return reinterpret_cast<LRESULT>(brush);
}
template <auto Method>
LRESULT CrackNotify(CCmdTarget& target, WPARAM, LPARAM lParam) {
  return (TargetOf<Method>(target).*Method)(*reinterpret_cast<const NMHDR*>(lParam));
}
template <auto Method>
LRESULT CrackChangeCbChain(CCmdTarget& target, WPARAM wParam, LPARAM lParam) {
  (TargetOf<Method>(target).*Method)(reinterpret_cast<HWND>(wParam), reinterpret_cast<HWND>(lParam));
  return 0;
}
template <auto Method>
LRESULT CrackInitMenuPopup(CCmdTarget& target, WPARAM wParam, LPARAM lParam) {
  (TargetOf<Method>(target).*Method)(reinterpret_cast<HMENU>(wParam), LOWORD(lParam), HIWORD(lParam) != 0);
  return 0;
}

template <auto Member>
UINT ReadMember(const CCmdTarget& target) {
  using Class = typename DataMemberOf<decltype(Member)>::Class;
  return static_cast<const Class&>(target).*Member;
}

}  // namespace message_map_detail

// A message handler: a member function taking (WPARAM, LPARAM) or nothing,
// returning LRESULT or nothing (then the message's result is 0). Messages
// with handles or records in their parameters have typed entries below.
template <auto Method>
constexpr MessageEntry OnMessage(MessageId message) {
  return {message, &message_map_detail::CallMessage<Method>};
}

// Handlers with typed arguments for the messages whose parameters stand for
// handles and records, as WTL's message crackers give them: the table entry
// unpacks WPARAM and LPARAM, so that no handler casts them.

// WM_DRAWITEM: `bool (const DRAWITEMSTRUCT&)`, true when the item was drawn.
template <auto Method>
constexpr MessageEntry OnDrawItemMessage() {
  return {WM_DRAWITEM, &message_map_detail::CrackDrawItem<Method>};
}
// WM_CTLCOLORSTATIC and the other WM_CTLCOLOR* messages:
// `HBRUSH (HDC dc, HWND control)`; a null brush leaves the colours to the
// default handling.
template <auto Method>
constexpr MessageEntry OnCtlColorMessage(UINT message) {
  return {message, &message_map_detail::CrackCtlColor<Method>};
}
// WM_NOTIFY: `LRESULT (const NMHDR&)`; the header starts the control's own
// record (NMUPDOWN, ...), which the handler reads once it knows the code.
template <auto Method>
constexpr MessageEntry OnNotifyMessage() {
  return {WM_NOTIFY, &message_map_detail::CrackNotify<Method>};
}
// WM_CHANGECBCHAIN: `void (HWND removed, HWND next)`.
template <auto Method>
constexpr MessageEntry OnChangeCbChainMessage() {
  return {WM_CHANGECBCHAIN, &message_map_detail::CrackChangeCbChain<Method>};
}
// WM_INITMENUPOPUP: `void (HMENU menu, UINT position, bool windowMenu)`.
template <auto Method>
constexpr MessageEntry OnInitMenuPopupMessage() {
  return {WM_INITMENUPOPUP, &message_map_detail::CrackInitMenuPopup<Method>};
}

// The message id a target registered at run time and keeps in the member
// `Member` (a UINT); pass it to OnMessage. The member must be accessible
// where the table is built.
template <auto Member>
constexpr MessageId RegisteredMessage() {
  return MessageId(&message_map_detail::ReadMember<Member>);
}

// A handler `void ()` of the notification `code` of control `control`.
template <auto Method>
constexpr NotifyEntry OnNotify(UINT control, UINT code) {
  return {control, code, &message_map_detail::CallCommand<Method>};
}

// A command handler `void ()`, optionally with an update handler `void (CCmdUI&)`.
template <auto Method, auto Update = nullptr>
constexpr CommandEntry OnCommand(UINT id) {
  if constexpr (std::is_same_v<decltype(Update), std::nullptr_t>) {
    return {id, &message_map_detail::CallCommand<Method>, nullptr};
  } else {
    return {id, &message_map_detail::CallCommand<Method>, &message_map_detail::CallUpdate<Update>};
  }
}

// An update handler alone, for a command handled elsewhere on the route.
template <auto Update>
constexpr CommandEntry OnUpdate(UINT id) {
  return {id, nullptr, &message_map_detail::CallUpdate<Update>};
}
