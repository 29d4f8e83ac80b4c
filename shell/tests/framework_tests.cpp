// The window framework: binding, message tables, command routing (frame,
// then application, then the exit command), update handlers before a pop-up
// menu shows, and the message loop's end with the main window.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "copy_clip_app.h"
#include "resource.h"
#include "shell_test_support.h"
#include "win_handles.h"

namespace {

using shell_test::TestFrame;

UINT registeredTestMessage = 0;
UINT neverRegisteredMessage = 0;

constexpr UINT kWmSum = WM_APP + 1;
constexpr UINT kWmNotice = WM_APP + 2;
constexpr UINT kWmDerivedOnly = WM_APP + 3;

class TableWnd : public CWnd {
 public:
  std::vector<std::wstring> calls;
  HWND handleAtCreate = nullptr;
  bool postNcDestroyRan = false;

  bool Create() {
    WNDCLASSW windowClass{};
    windowClass.lpszClassName = L"ShellTestTable";
    return RegisterWindowClass(windowClass) &&
           CreateEx(0, L"ShellTestTable", L"table", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr);
  }

  static const MessageMap& ClassMap() {
    static const MessageEntry messages[] = {
        OnMessage<&TableWnd::OnCreate>(WM_CREATE),
        OnMessage<&TableWnd::OnSum>(kWmSum),
        OnMessage<&TableWnd::OnNotice>(kWmNotice),
        OnMessage<&TableWnd::OnRegistered>(&registeredTestMessage),
        OnMessage<&TableWnd::OnNeverRegistered>(&neverRegisteredMessage),
    };
    static const MessageMap map{&CWnd::ClassMap(), messages, {}};
    return map;
  }

 protected:
  const MessageMap& GetMessageMap() const override { return ClassMap(); }
  void PostNcDestroy() override { postNcDestroyRan = true; }

 private:
  LRESULT OnCreate(WPARAM, LPARAM) {
    handleAtCreate = Handle();
    return 0;
  }
  LRESULT OnSum(WPARAM wParam, LPARAM lParam) { return static_cast<LRESULT>(wParam) + lParam; }
  void OnNotice() { calls.push_back(L"base notice"); }
  LRESULT OnRegistered() {
    calls.push_back(L"registered");
    return 7;
  }
  void OnNeverRegistered() { calls.push_back(L"never registered"); }
};

class DerivedTableWnd : public TableWnd {
 public:
  static const MessageMap& ClassMap() {
    static const MessageEntry messages[] = {
        OnMessage<&DerivedTableWnd::OnNotice>(kWmNotice),
        OnMessage<&DerivedTableWnd::OnDerivedOnly>(kWmDerivedOnly),
    };
    static const MessageMap map{&TableWnd::ClassMap(), messages, {}};
    return map;
  }

 protected:
  const MessageMap& GetMessageMap() const override { return ClassMap(); }

 private:
  void OnNotice() { calls.push_back(L"derived notice"); }
  void OnDerivedOnly(WPARAM wParam, LPARAM) { calls.push_back(L"derived " + std::to_wstring(wParam)); }
};

TEST(WindowFramework, BindsAtCreationAndDispatchesThroughTheTables) {
  registeredTestMessage = RegisterWindowMessageW(L"Clipmend shell test message");
  DerivedTableWnd window;
  ASSERT_TRUE(window.Create());
  EXPECT_EQ(window.handleAtCreate, window.Handle());

  HWND hwnd = window.Handle();
  EXPECT_EQ(SendMessageW(hwnd, kWmSum, 40, 2), 42);  // the base's handler, with its result
  SendMessageW(hwnd, kWmNotice, 0, 0);               // the derived handler replaces the base's
  SendMessageW(hwnd, kWmDerivedOnly, 5, 0);
  EXPECT_EQ(SendMessageW(hwnd, registeredTestMessage, 0, 0), 7);
  // A message not yet registered matches nothing, not even WM_NULL.
  SendMessageW(hwnd, WM_NULL, 0, 0);
  // Messages without a handler get the default processing.
  EXPECT_TRUE(SetWindowTextW(hwnd, L"renamed"));
  wchar_t title[32] = L"";
  GetWindowTextW(hwnd, title, 32);
  EXPECT_STREQ(title, L"renamed");

  EXPECT_EQ(window.calls, (std::vector<std::wstring>{L"derived notice", L"derived 5", L"registered"}));
}

// A window whose handlers take what the messages' parameters stand for.
class TypedWnd : public TableWnd {
 public:
  HBRUSH brush = reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));

  static const MessageMap& ClassMap() {
    static const MessageEntry messages[] = {
        OnDrawItemMessage<&TypedWnd::OnDrawItem>(),
        OnCtlColorMessage<&TypedWnd::OnCtlColor>(WM_CTLCOLORSTATIC),
        OnNotifyMessage<&TypedWnd::OnNotify>(),
        OnChangeCbChainMessage<&TypedWnd::OnChainChange>(),
    };
    static const MessageMap map{&TableWnd::ClassMap(), messages, {}};
    return map;
  }

 protected:
  const MessageMap& GetMessageMap() const override { return ClassMap(); }

 private:
  bool OnDrawItem(const DRAWITEMSTRUCT& item) {
    calls.push_back(L"draw " + std::to_wstring(item.CtlID) + L" " + std::to_wstring(item.itemID));
    return item.CtlID == 7;
  }
  HBRUSH OnCtlColor(HDC dc, HWND control) {
    calls.push_back(dc == reinterpret_cast<HDC>(0x40) && control == Handle() ? L"colour" : L"colour of another");
    return brush;
  }
  LRESULT OnNotify(const NMHDR& header) {
    calls.push_back(L"notify " + std::to_wstring(header.idFrom) + L" " + std::to_wstring(header.code));
    return 3;
  }
  void OnChainChange(HWND removed, HWND next) {
    calls.push_back(removed == Handle() && next == nullptr ? L"chain" : L"another chain");
  }
};

TEST(WindowFramework, TypedEntriesHandTheMessagesRecordsAndHandles) {
  TypedWnd window;
  ASSERT_TRUE(window.Create());
  HWND hwnd = window.Handle();
  DRAWITEMSTRUCT item{};
  item.CtlID = 7;
  item.itemID = 2;
  EXPECT_EQ(SendMessageW(hwnd, WM_DRAWITEM, 7, reinterpret_cast<LPARAM>(&item)), TRUE);
  item.CtlID = 8;
  EXPECT_EQ(SendMessageW(hwnd, WM_DRAWITEM, 8, reinterpret_cast<LPARAM>(&item)), FALSE) << "not drawn";
  EXPECT_EQ(SendMessageW(hwnd, WM_CTLCOLORSTATIC, 0x40, reinterpret_cast<LPARAM>(hwnd)),
            reinterpret_cast<LRESULT>(window.brush));
  NMHDR header{hwnd, 12, 5};
  EXPECT_EQ(SendMessageW(hwnd, WM_NOTIFY, 12, reinterpret_cast<LPARAM>(&header)), 3);
  SendMessageW(hwnd, WM_CHANGECBCHAIN, reinterpret_cast<WPARAM>(hwnd), 0);
  EXPECT_EQ(window.calls, (std::vector<std::wstring>{L"draw 7 2", L"draw 8 2", L"colour",
                                                     L"notify 12 5", L"chain"}));
}

TEST(WindowFramework, DestructionUnbindsTheObject) {
  TableWnd window;
  ASSERT_TRUE(window.Create());
  HWND hwnd = window.Handle();
  EXPECT_TRUE(window.DestroyWindow());
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(window.Handle(), nullptr);
  EXPECT_TRUE(window.postNcDestroyRan);

  HWND second = nullptr;
  {
    TableWnd scoped;
    ASSERT_TRUE(scoped.Create());
    second = scoped.Handle();
  }
  EXPECT_FALSE(IsWindow(second));  // the object took its window with it
}

// A frame and an application that log which of them ran a command.
std::vector<std::wstring> routeLog;

class RoutingFrame : public TestFrame {
 public:
  explicit RoutingFrame(CCmdTarget* app) : TestFrame(app) {}
  bool autoModify = true;
  bool* destroyed = nullptr;
  ~RoutingFrame() override {
    if (destroyed) *destroyed = true;
  }

  static const MessageMap& ClassMap() {
    static const CommandEntry commands[] = {
        OnCommand<&RoutingFrame::OnFrameOnly, &RoutingFrame::OnUpdateChecked>(1001),
        OnCommand<&RoutingFrame::OnShared>(1003),
        OnCommand<&RoutingFrame::OnButton>(1005),
    };
    static const MessageMap map{&CFrameWnd::ClassMap(), {}, commands};
    return map;
  }

 protected:
  const MessageMap& GetMessageMap() const override { return ClassMap(); }

 private:
  void OnFrameOnly() { routeLog.push_back(L"frame 1001"); }
  void OnShared() { routeLog.push_back(L"frame 1003"); }
  void OnButton() { routeLog.push_back(L"frame 1005"); }
  void OnUpdateChecked(CCmdUI& item) { item.SetCheck(autoModify); }
};

class RoutingApp : public CCopyClipApp {
 public:
  bool haveLastPicture = false;

  static const MessageMap& ClassMap() {
    static const CommandEntry commands[] = {
        OnCommand<&RoutingApp::OnAppFrameId>(1001),
        OnCommand<&RoutingApp::OnAppOnly>(1002),
        OnCommand<&RoutingApp::OnShared>(1003),
        OnUpdate<&RoutingApp::OnUpdateNeedsPicture>(1002),
    };
    static const MessageMap map{&CCopyClipApp::ClassMap(), {}, commands};
    return map;
  }

 protected:
  const MessageMap& GetMessageMap() const override { return ClassMap(); }

 private:
  void OnAppFrameId() { routeLog.push_back(L"app 1001"); }
  void OnAppOnly() { routeLog.push_back(L"app 1002"); }
  void OnShared() { routeLog.push_back(L"app 1003"); }
  void OnUpdateNeedsPicture(CCmdUI& item) { item.Enable(haveLastPicture); }
};

class CommandRouting : public ::testing::Test {
 protected:
  void SetUp() override {
    routeLog.clear();
    auto owned = std::make_unique<RoutingFrame>(&app);
    frame = owned.get();
    frame->destroyed = &frameDestroyed;
    ASSERT_TRUE(frame->Create());
    app.SetMainWindow(std::move(owned));
  }

  void SendCommand(UINT id) { SendMessageW(frame->Handle(), WM_COMMAND, id, 0); }

  RoutingApp app;
  RoutingFrame* frame = nullptr;
  bool frameDestroyed = false;
};

TEST_F(CommandRouting, GoesToTheFrameFirstThenTheApplication) {
  SendCommand(1001);
  SendCommand(1002);
  SendCommand(1003);
  SendCommand(1999);  // nobody's: nothing happens
  EXPECT_EQ(routeLog, (std::vector<std::wstring>{L"frame 1001", L"app 1002", L"frame 1003"}));
}

TEST_F(CommandRouting, ButtonClicksAreCommandsOtherNotificationsAreNot) {
  HWND button = CreateWindowExW(0, L"BUTTON", L"b", WS_CHILD, 0, 0, 10, 10, frame->Handle(),
                                reinterpret_cast<HMENU>(1005), nullptr, nullptr);
  ASSERT_NE(button, nullptr);
  SendMessageW(frame->Handle(), WM_COMMAND, MAKEWPARAM(1005, BN_SETFOCUS), reinterpret_cast<LPARAM>(button));
  EXPECT_TRUE(routeLog.empty());
  SendMessageW(frame->Handle(), WM_COMMAND, MAKEWPARAM(1005, BN_CLICKED), reinterpret_cast<LPARAM>(button));
  EXPECT_EQ(routeLog, (std::vector<std::wstring>{L"frame 1005"}));
}

TEST_F(CommandRouting, TheExitCommandEndsTheMessageLoopAndTheMainWindow) {
  HWND hwnd = frame->Handle();
  PostMessageW(hwnd, WM_COMMAND, ID_APP_EXIT, 0);
  EXPECT_EQ(app.Run(), 0);
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_TRUE(frameDestroyed);
  EXPECT_EQ(app.MainWindow(), nullptr);
}

TEST_F(CommandRouting, UpdateHandlersSetTheItemsBeforeAPopupShows) {
  MenuHandle menu(CreatePopupMenu());
  HMENU popup = menu.Get();
  AppendMenuW(popup, MF_STRING, 1001, L"frame update: check mark");
  AppendMenuW(popup, MF_STRING, 1002, L"app update: needs a picture");
  AppendMenuW(popup, MF_STRING | MF_GRAYED, 1003, L"handled, no update handler");
  AppendMenuW(popup, MF_STRING, 1004, L"no handler anywhere");
  AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(popup, MF_POPUP, reinterpret_cast<UINT_PTR>(CreatePopupMenu()), L"sub-menu");
  AppendMenuW(popup, MF_STRING | MF_GRAYED, ID_APP_EXIT, L"exit");

  const auto state = [&](UINT id) { return GetMenuState(popup, id, MF_BYCOMMAND); };
  const auto initPopup = [&](LPARAM lParam) {
    SendMessageW(frame->Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), lParam);
  };

  initPopup(0);
  EXPECT_TRUE(state(1001) & MF_CHECKED);
  EXPECT_FALSE(state(1001) & MF_GRAYED);
  EXPECT_TRUE(state(1002) & MF_GRAYED);
  EXPECT_FALSE(state(1003) & MF_GRAYED);
  EXPECT_TRUE(state(1004) & MF_GRAYED);
  EXPECT_FALSE(state(ID_APP_EXIT) & MF_GRAYED);

  frame->autoModify = false;
  app.haveLastPicture = true;
  initPopup(0);
  EXPECT_FALSE(state(1001) & MF_CHECKED);
  EXPECT_FALSE(state(1002) & MF_GRAYED);

  // The window menu is left alone.
  frame->autoModify = true;
  initPopup(MAKELPARAM(0, TRUE));
  EXPECT_FALSE(state(1001) & MF_CHECKED);
}

}  // namespace
