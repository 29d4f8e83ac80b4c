// The tray icon against Wine's real notification area, and the window hooks
// it rides on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "copy_clip_app.h"
#include "resource.h"
#include "shell_test_support.h"
#include "tray_icon.h"

namespace {

using shell_test::TestFrame;

constexpr UINT kTrayId = 107;
constexpr UINT kTrayCallback = WM_USER + 100;

// The owner of the icon: hands the callback to the icon and logs commands.
class TrayOwner : public TestFrame {
 public:
  explicit TrayOwner(CCmdTarget* application) : TestFrame(application) {}
  CTrayNotifyIcon tray;
  std::vector<UINT> commands;
  int taskbarCreatedSeen = 0;

  static const MessageMap& ClassMap() {
    static const MessageEntry messages[] = {
        OnMessage<&TrayOwner::OnTrayCallback>(kTrayCallback),
        OnMessage<&TrayOwner::OnTaskbarCreated>(&TaskbarCreatedMessage),
    };
    static const CommandEntry commands[] = {
        OnCommand<&TrayOwner::OnMainOptions>(ID_MAIN_OPTIONS),
    };
    static const MessageMap map{&TestFrame::ClassMap(), messages, commands};
    return map;
  }

 protected:
  const MessageMap& GetMessageMap() const override { return ClassMap(); }

 private:
  LRESULT OnTrayCallback(WPARAM wParam, LPARAM lParam) { return tray.OnTrayNotification(wParam, lParam); }
  void OnTaskbarCreated() { ++taskbarCreatedSeen; }
  void OnMainOptions() { commands.push_back(ID_MAIN_OPTIONS); }
};

HICON ProgramIcon(int id) { return LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id)); }

// Whether the shell holds an icon (owner, id): only an existing one can be
// modified.
bool ShellHasIcon(HWND owner, UINT id) {
  NOTIFYICONDATAW record{};
  record.cbSize = kNotifyShortFormSize;
  record.hWnd = owner;
  record.uID = id;
  record.uFlags = NIF_TIP;
  wcscpy(record.szTip, L"probe");
  return Shell_NotifyIconW(NIM_MODIFY, &record) != FALSE;
}

void DeleteBehindItsBack(HWND owner, UINT id) {
  NOTIFYICONDATAW record{};
  record.cbSize = kNotifyShortFormSize;
  record.hWnd = owner;
  record.uID = id;
  Shell_NotifyIconW(NIM_DELETE, &record);
}

class TrayIcon : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(owner.Create()); }

  bool CreateIcon(CTrayNotifyIcon& icon, UINT menuId = IDR_TRAY_MENU) {
    return icon.CreateTrayIcon(&owner, kTrayId, L"Velloform", ProgramIcon(IDI_NO_PICTURE),
                               kTrayCallback, menuId, false);
  }

  CCopyClipApp app;
  TrayOwner owner{&app};
};

TEST_F(TrayIcon, IsAddedWithItsMenuAndRemovedAtDestruction) {
  {
    CTrayNotifyIcon icon;
    ASSERT_TRUE(CreateIcon(icon));
    EXPECT_TRUE(icon.Created());
    EXPECT_TRUE(ShellHasIcon(owner.Handle(), kTrayId));

    HMENU popup = icon.PopupMenu();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(GetMenuItemID(popup, 0), static_cast<UINT>(ID_MAIN_OPTIONS));
    EXPECT_EQ(GetMenuDefaultItem(popup, TRUE, 0), 0u);  // drawn in bold
    EXPECT_NE(GetPropW(owner.Handle(), L"HookWnd_P"), nullptr);

    EXPECT_TRUE(icon.SetTrayIcon(ProgramIcon(IDI_PICTURE)));
    EXPECT_TRUE(icon.SetTrayTooltip(L"Velloform (no WMF on clipboard)", false));
    EXPECT_TRUE(icon.SetTrayTooltip(std::wstring(300, L'x'), true));  // cut to its field
  }
  EXPECT_FALSE(ShellHasIcon(owner.Handle(), kTrayId));
  EXPECT_EQ(GetPropW(owner.Handle(), L"HookWnd_P"), nullptr);
}

TEST_F(TrayIcon, WithABalloonUsesTheFullRecord) {
  CTrayNotifyIcon icon;
  ASSERT_TRUE(icon.CreateTrayIconWithBalloon(
      &owner, kTrayId, L"Velloform",
      L"Velloform will remain active through this icon.\nDouble click it to (re)activate the options dialog.",
      L"Velloform", 3, CTrayNotifyIcon::BalloonInfo, ProgramIcon(IDI_NO_PICTURE), kTrayCallback,
      IDR_TRAY_MENU));
  EXPECT_TRUE(ShellHasIcon(owner.Handle(), kTrayId));
}

TEST_F(TrayIcon, DoesNothingBeforeItIsAdded) {
  CTrayNotifyIcon icon;
  EXPECT_FALSE(icon.SetTrayIcon(ProgramIcon(IDI_PICTURE)));
  EXPECT_FALSE(icon.SetTrayTooltip(L"Velloform", false));
  EXPECT_EQ(icon.OnTrayNotification(kTrayId, WM_LBUTTONDBLCLK), 0);
  EXPECT_TRUE(owner.commands.empty());
}

TEST_F(TrayIcon, WithoutItsMenuIsNotAdded) {
  CTrayNotifyIcon icon;
  EXPECT_FALSE(CreateIcon(icon, 999));
  EXPECT_FALSE(icon.Created());
  EXPECT_FALSE(ShellHasIcon(owner.Handle(), kTrayId));
  EXPECT_FALSE(icon.SetTrayIcon(ProgramIcon(IDI_PICTURE)));
}

TEST_F(TrayIcon, ADoubleClickRunsTheDefaultItem) {
  ASSERT_TRUE(CreateIcon(owner.tray));
  EXPECT_EQ(SendMessageW(owner.Handle(), kTrayCallback, kTrayId + 1, WM_LBUTTONDBLCLK), 0);
  EXPECT_TRUE(owner.commands.empty());  // another icon's callback
  EXPECT_EQ(SendMessageW(owner.Handle(), kTrayCallback, kTrayId, WM_MOUSEMOVE), 1);
  EXPECT_TRUE(owner.commands.empty());
  EXPECT_EQ(SendMessageW(owner.Handle(), kTrayCallback, kTrayId, WM_LBUTTONDBLCLK), 1);
  EXPECT_EQ(owner.commands, std::vector<UINT>{ID_MAIN_OPTIONS});
}

// While the pop-up menu is open: what it looked like, then closed.
struct OpenMenu {
  bool seen = false;
  bool defaultIsFirst = false;
  UINT optionsState = 0, preferencesState = 0, exitState = 0;
};
OpenMenu openMenu;
HMENU trackedMenu = nullptr;

void CALLBACK LookAtMenuAndClose(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND menuWindow = FindWindowW(L"#32768", nullptr);
  if (!menuWindow || !IsWindowVisible(menuWindow)) return;
  KillTimer(nullptr, timer);
  openMenu.seen = true;
  openMenu.defaultIsFirst = GetMenuDefaultItem(trackedMenu, TRUE, 0) == 0;
  openMenu.optionsState = GetMenuState(trackedMenu, ID_MAIN_OPTIONS, MF_BYCOMMAND);
  openMenu.preferencesState = GetMenuState(trackedMenu, ID_USER_PREFERENCES, MF_BYCOMMAND);
  openMenu.exitState = GetMenuState(trackedMenu, ID_APP_EXIT, MF_BYCOMMAND);
  EndMenu();
}

TEST_F(TrayIcon, ARightClickOpensThePopupMenuWithItsItemsUpdated) {
  ASSERT_TRUE(CreateIcon(owner.tray));
  trackedMenu = owner.tray.PopupMenu();
  openMenu = {};
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, &LookAtMenuAndClose);
  EXPECT_EQ(SendMessageW(owner.Handle(), kTrayCallback, kTrayId, WM_RBUTTONUP), 1);
  KillTimer(nullptr, timer);

  ASSERT_TRUE(openMenu.seen);
  EXPECT_TRUE(openMenu.defaultIsFirst);
  EXPECT_FALSE(openMenu.optionsState & MF_GRAYED);    // the owner handles it
  EXPECT_TRUE(openMenu.preferencesState & MF_GRAYED);  // nobody does here
  EXPECT_FALSE(openMenu.exitState & MF_GRAYED);       // the application does
  EXPECT_TRUE(owner.commands.empty());
}

TEST_F(TrayIcon, ReturnsWhenTheTaskbarIsCreatedAgain) {
  ASSERT_TRUE(CreateIcon(owner.tray));
  for (int restart = 0; restart < 2; ++restart) {
    DeleteBehindItsBack(owner.Handle(), kTrayId);  // the old taskbar went with it
    ASSERT_FALSE(ShellHasIcon(owner.Handle(), kTrayId));
    EXPECT_EQ(SendMessageW(owner.Handle(), TaskbarCreatedMessage, 0, 0), 0);
    EXPECT_TRUE(ShellHasIcon(owner.Handle(), kTrayId)) << "restart " << restart;
  }
  EXPECT_EQ(owner.taskbarCreatedSeen, 0);  // the hook keeps the broadcast to itself
  EXPECT_TRUE(owner.tray.SetTrayIcon(ProgramIcon(IDI_PICTURE)));
}

// A window and hooks that log which of them saw a probe message.
constexpr UINT kWmProbe = WM_APP + 7;
std::vector<std::wstring> hookLog;

class HookedWnd : public CWnd {
 public:
  bool ncDestroyReached = false;

  bool Create() {
    WNDCLASSW windowClass{};
    windowClass.lpszClassName = L"ShellTestHooked";
    return RegisterWindowClass(windowClass) &&
           CreateEx(0, L"ShellTestHooked", L"hooked", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr);
  }

  static const MessageMap& ClassMap() {
    static const MessageEntry messages[] = {OnMessage<&HookedWnd::OnProbe>(kWmProbe)};
    static const MessageMap map{&CWnd::ClassMap(), messages, {}};
    return map;
  }

 protected:
  const MessageMap& GetMessageMap() const override { return ClassMap(); }
  void PostNcDestroy() override { ncDestroyReached = true; }

 private:
  LRESULT OnProbe(WPARAM wParam, LPARAM) {
    hookLog.push_back(L"window");
    return static_cast<LRESULT>(wParam) * 2;
  }
};

class LoggingHook : public CHookWnd {
 public:
  explicit LoggingHook(std::wstring name) : name_(std::move(name)) {}

 protected:
  LRESULT WindowProc(UINT message, WPARAM, LPARAM) override {
    if (message == kWmProbe) hookLog.push_back(name_);
    return Default();
  }

 private:
  std::wstring name_;
};

class WindowHook : public ::testing::Test {
 protected:
  void SetUp() override {
    hookLog.clear();
    ASSERT_TRUE(window.Create());
    originalProcedure = GetWindowLongPtrW(window.Handle(), GWLP_WNDPROC);
  }

  std::vector<std::wstring> Probe() {
    hookLog.clear();
    EXPECT_EQ(SendMessageW(window.Handle(), kWmProbe, 21, 0), 42);
    return hookLog;
  }

  HookedWnd window;
  LONG_PTR originalProcedure = 0;
  LoggingHook older{L"older"}, newer{L"newer"};
};

using Log = std::vector<std::wstring>;

TEST_F(WindowHook, TheNewestHookSeesMessagesFirst) {
  older.HookWindow(window.Handle());
  newer.HookWindow(window.Handle());
  EXPECT_EQ(Probe(), (Log{L"newer", L"older", L"window"}));
}

TEST_F(WindowHook, RemovingTheOlderKeepsTheNewerWorking) {
  older.HookWindow(window.Handle());
  newer.HookWindow(window.Handle());
  older.Unhook();
  EXPECT_EQ(older.HookedWindow(), nullptr);
  EXPECT_EQ(Probe(), (Log{L"newer", L"window"}));
  newer.Unhook();
  EXPECT_EQ(Probe(), (Log{L"window"}));
  EXPECT_EQ(GetWindowLongPtrW(window.Handle(), GWLP_WNDPROC), originalProcedure);
  EXPECT_EQ(GetPropW(window.Handle(), L"HookWnd_P"), nullptr);
}

TEST_F(WindowHook, RemovingTheNewerKeepsTheOlderWorking) {
  older.HookWindow(window.Handle());
  newer.HookWindow(window.Handle());
  newer.Unhook();
  EXPECT_EQ(Probe(), (Log{L"older", L"window"}));
}

TEST_F(WindowHook, TheWindowsEndRemovesAllHooksAndReachesItsOwnProcedure) {
  older.HookWindow(window.Handle());
  newer.HookWindow(window.Handle());
  ASSERT_TRUE(window.DestroyWindow());
  EXPECT_TRUE(window.ncDestroyReached);
  EXPECT_EQ(older.HookedWindow(), nullptr);
  EXPECT_EQ(newer.HookedWindow(), nullptr);
}

TEST_F(WindowHook, AHookThatGoesFirstTakesItselfOff) {
  {
    LoggingHook shortLived(L"short-lived");
    shortLived.HookWindow(window.Handle());
    EXPECT_EQ(Probe(), (Log{L"short-lived", L"window"}));
  }
  EXPECT_EQ(Probe(), (Log{L"window"}));
  EXPECT_EQ(GetWindowLongPtrW(window.Handle(), GWLP_WNDPROC), originalProcedure);
}

}  // namespace
