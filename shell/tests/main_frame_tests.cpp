// The main frame in this process: what a clipboard change does to the tray
// icon and its tool tip, and the state of the menu items.
#include <gtest/gtest.h>

#include <memory>

#include "clipboard_test_support.h"
#include "engine_harness.h"
#include "help.h"
#include "main_frame.h"

#include "resource.h"
#include "shell_test_support.h"

namespace {

using namespace clipboard_test;

class QuietHost : public IntakeHost {
 public:
  HWND window = nullptr;
  HWND MainWindow() override { return window; }
  void BringToForeground(HWND) override {}
  void ShowNotice(const std::wstring&) override {}
};

struct MainFrameTest : ::testing::Test {
  wmf::test::EngineHarness harness;
  WmfSettings& settings = harness.settings;
  wmf::test::CollectedMessages& messages = harness.messages;
  QuietHost host;
  ClipboardIntake intake{harness.context, host, GetModuleHandleW(nullptr)};
  std::wstring folder = L"C:\\Program Files\\Velloform\\";
  CCmdTarget application;  // handles no command
  CMainFrame* frame = nullptr;
  std::unique_ptr<CMainFrame> owned;
  // The window of "another program" that changes the clipboard.
  HWND otherProgram = CreateWindowExW(0, L"STATIC", L"other", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ~MainFrameTest() override { DestroyWindow(otherProgram); }

  void SetUp() override {
    settings.ShowSplash = 0;
    WNDCLASSW windowClass{};
    windowClass.lpszClassName = kMainWindowClass;
    ASSERT_TRUE(CWnd::RegisterWindowClass(windowClass));
    owned = std::make_unique<CMainFrame>(MainFrameContext{settings, intake, folder}, application);
    frame = owned.get();
    ASSERT_TRUE(frame->Create());
    host.window = frame->Handle();
  }
  void TearDown() override { frame->DestroyWindow(); }

  std::wstring Tooltip() const { return frame->TrayIcon().Tooltip(); }
  void ClipboardChanged() {
    SendMessageW(frame->Handle(), WM_DRAWCLIPBOARD, 0, 0);
    shell_test::PumpPending();
  }
  // The state of a menu item after the frame's update handlers ran.
  UINT ItemState(UINT id) {
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_TRAY_MENU));
    HMENU popup = GetSubMenu(menu, 0);
    HMENU sub = nullptr;
    for (int i = 0; i < GetMenuItemCount(popup); ++i)
      if (GetSubMenu(popup, i)) sub = GetSubMenu(popup, i);
    for (HMENU m : {popup, sub}) SendMessageW(frame->Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(m), 0);
    const UINT state = GetMenuState(menu, id, MF_BYCOMMAND);
    DestroyMenu(menu);
    return state;
  }
};

TEST_F(MainFrameTest, ToolTipFollowsTheClipboard) {
  PutPicture(otherProgram, SmallCadPicture(), {L"AutoCAD"});
  ClipboardChanged();
  EXPECT_EQ(Tooltip(), L"Velloform (size: 2.02\" * 1.52\")");

  PutPicture(otherProgram, SmallCadPicture());
  ClipboardChanged();
  EXPECT_EQ(Tooltip(), L"Velloform (WMF not modified)");

  EmptyTheClipboard(otherProgram);
  ClipboardChanged();
  EXPECT_EQ(Tooltip(), L"Velloform (no WMF on clipboard)");

  settings.AutoModify = 0;
  const HICON icon = frame->TrayIcon().Icon();
  PutPicture(otherProgram, SmallCadPicture(), {L"AutoCAD"});
  ClipboardChanged();
  EXPECT_EQ(Tooltip(), L"Velloform (disabled)");
  EXPECT_EQ(frame->TrayIcon().Icon(), icon);  // unchanged while disabled
}

TEST_F(MainFrameTest, TogglingAutomodifyFromEitherItem) {
  EXPECT_TRUE(ItemState(ID_ENABLE_AUTOMODIFY) & MF_CHECKED);
  EXPECT_FALSE(ItemState(ID_DISABLE_AUTOMODIFY) & MF_CHECKED);
  // "&Enable automodify" while it carries the check mark disables it.
  SendMessageW(frame->Handle(), WM_COMMAND, ID_ENABLE_AUTOMODIFY, 0);
  EXPECT_FALSE(frame->AutoModifyEnabled());
  EXPECT_EQ(Tooltip(), L"Velloform (disabled)");
  EXPECT_TRUE(ItemState(ID_DISABLE_AUTOMODIFY) & MF_CHECKED);
  SendMessageW(frame->Handle(), WM_COMMAND, ID_DISABLE_AUTOMODIFY, 0);
  EXPECT_TRUE(frame->AutoModifyEnabled());
}

TEST_F(MainFrameTest, PictureCommandsAreGreyedUntilTheyCanWork) {
  EmptyTheClipboard(otherProgram);
  EXPECT_TRUE(ItemState(ID_MODIFY_NOW) & MF_GRAYED);
  EXPECT_TRUE(ItemState(ID_COPY_LAST_TO_CLIPBOARD) & MF_GRAYED);
  EXPECT_TRUE(ItemState(ID_SAVE_LAST_AS_FILE) & MF_GRAYED);
  PutPicture(otherProgram, SmallCadPicture(), {L"AutoCAD"});
  ClipboardChanged();
  EXPECT_FALSE(ItemState(ID_MODIFY_NOW) & MF_GRAYED);
  EXPECT_FALSE(ItemState(ID_COPY_LAST_TO_CLIPBOARD) & MF_GRAYED);
  EXPECT_FALSE(ItemState(ID_SAVE_LAST_AS_FILE) & MF_GRAYED);
}

TEST(HelpFile, LiesBesideTheProgram) {
  EXPECT_EQ(HelpFilePath(L"C:\\Velloform\\"), L"C:\\Velloform\\Velloform.chm");
  EXPECT_EQ(HelpFilePath(L"C:\\Velloform\\", L"velloform-documentation/options.htm"),
            L"C:\\Velloform\\Velloform.chm::/velloform-documentation/options.htm");
}

}  // namespace
