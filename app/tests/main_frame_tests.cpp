// The main frame in this process, against the real clipboard: what a
// clipboard change does to the tray icon and its tool tip, the state of the
// menu items, and how the frame watches the clipboard, as a clipboard format
// listener and, where the system has none, in the viewer chain.
#include <gtest/gtest.h>

#include <memory>

#include "clipboard_test_support.h"
#include "e2e/program_driver.h"
#include "engine_harness.h"
#include "help.h"
#include "main_frame.h"
#include "quiet_intake_host.h"

#include "resource.h"
#include "shell_test_support.h"

namespace {

using namespace clipboard_test;
using program_driver::Viewer;

// A system whose listener refuses the window.
BOOL WINAPI RefuseListener(HWND) { return FALSE; }
BOOL WINAPI RemoveNoListener(HWND) { return FALSE; }

struct WatchKind {
  const char* name;
  ClipboardListenerApi listener;
  bool listening;
};
void PrintTo(const WatchKind& kind, std::ostream* out) { *out << kind.name; }

const WatchKind kListener{"Listener", SystemClipboardListener(), true};
const WatchKind kChainWithoutListener{"ChainWithoutListener", ClipboardListenerApi{}, false};
const WatchKind kChainWhenRefused{"ChainWhenTheListenerIsRefused",
                                  ClipboardListenerApi{&RefuseListener, &RemoveNoListener}, false};

struct MainFrame : ::testing::Test {
  wmf::test::EngineHarness harness;
  WmfSettings& settings = harness.settings;
  QuietHost host;
  ClipboardIntake intake{settings, harness.context, host, GetModuleHandleW(nullptr)};
  std::wstring folder = L"C:\\Program Files\\Velloform\\";
  CCmdTarget application;  // handles no command
  std::unique_ptr<CMainFrame> frame;
  // The window of "another program" that changes the clipboard.
  HWND otherProgram = CreateWindowExW(0, L"STATIC", L"other", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ~MainFrame() override { DestroyWindow(otherProgram); }

  void SetUp() override {
    settings.ShowSplash = 0;
    WNDCLASSW windowClass{};
    windowClass.lpszClassName = kMainWindowClass;
    ASSERT_TRUE(CWnd::RegisterWindowClass(windowClass));
  }
  void TearDown() override {
    if (frame) frame->DestroyWindow();
  }
  void CreateFrame(const WatchKind& kind) {
    frame = std::make_unique<CMainFrame>(MainFrameContext{settings, intake, folder, kind.listener}, application);
    ASSERT_TRUE(frame->Create());
    host.window = frame->Handle();
    ASSERT_EQ(frame->Watch().Listening(), kind.listening);
    ASSERT_EQ(frame->Watch().InChain(), !kind.listening);
  }

  std::wstring Tooltip() const { return frame->TrayIcon().Tooltip(); }
  // Handles the frame's messages until it has judged the clipboard as it is
  // at `sequence` or later.
  void Judged(DWORD sequence) {
    ASSERT_NE(sequence, 0u);
    ASSERT_TRUE(shell_test::PumpUntil([&] { return JudgedClipboardSequence(frame->Handle()) >= sequence; }))
        << "the frame did not judge the clipboard within 20 s";
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

// The same in either way of watching the clipboard.
struct EitherWatch : MainFrame, ::testing::WithParamInterface<WatchKind> {};

TEST_P(EitherWatch, ToolTipFollowsTheClipboard) {
  CreateFrame(GetParam());
  Judged(PutPicture(otherProgram, SmallCadPicture(), {L"AutoCAD"}));
  EXPECT_EQ(Tooltip(), L"Velloform (size: 2.02\" * 1.52\")");

  Judged(PutPicture(otherProgram, SmallCadPicture()));
  EXPECT_EQ(Tooltip(), L"Velloform (WMF not modified)");

  Judged(PutPicture(otherProgram, SmallCadPicture(), {L"AutoCAD", kPrivateContentFormat}));
  EXPECT_EQ(Tooltip(), L"Velloform (WMF not modified: marked private)");

  Judged(PutPicture(otherProgram, SmallCadPicture(), {L"AutoCAD"}));
  intake.PutOriginalBack();
  Judged(GetClipboardSequenceNumber());
  EXPECT_EQ(Tooltip(), L"Velloform (original restored)");
  EXPECT_FALSE(IsImproved(ReadPicture())) << "the original was modified again";

  EmptyTheClipboard(otherProgram);
  Judged(GetClipboardSequenceNumber());
  EXPECT_EQ(Tooltip(), L"Velloform (no WMF on clipboard)");

  settings.AutoModify = 0;
  const HICON icon = frame->TrayIcon().Icon();
  Judged(PutPicture(otherProgram, SmallCadPicture(), {L"AutoCAD"}));
  EXPECT_EQ(Tooltip(), L"Velloform (disabled)");
  EXPECT_EQ(frame->TrayIcon().Icon(), icon);  // unchanged while disabled
}

// A picture copied before the start is judged as soon as the frame watches.
TEST_P(EitherWatch, APictureOnTheClipboardAtTheStartIsImproved) {
  const DWORD sequence = PutPicture(otherProgram, SmallCadPicture(), {L"AutoCAD"});
  CreateFrame(GetParam());
  Judged(sequence);
  EXPECT_TRUE(IsImproved(ReadPicture()));
}

TEST_P(EitherWatch, TogglingAutomodifyFromEitherItem) {
  CreateFrame(GetParam());
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

TEST_P(EitherWatch, PictureCommandsAreGreyedUntilTheyCanWork) {
  CreateFrame(GetParam());
  EmptyTheClipboard(otherProgram);
  for (UINT id : {ID_MODIFY_NOW, ID_COPY_LAST_TO_CLIPBOARD, ID_SAVE_LAST_AS_FILE, ID_PUT_ORIGINAL_BACK})
    EXPECT_TRUE(ItemState(id) & MF_GRAYED) << id;
  Judged(PutPicture(otherProgram, SmallCadPicture(), {L"AutoCAD"}));
  for (UINT id : {ID_MODIFY_NOW, ID_COPY_LAST_TO_CLIPBOARD, ID_SAVE_LAST_AS_FILE, ID_PUT_ORIGINAL_BACK})
    EXPECT_FALSE(ItemState(id) & MF_GRAYED) << id;
  // A picture its program marked private is not for modifying, even on command.
  Judged(PutPicture(otherProgram, SmallCadPicture(), {kPrivateContentFormat}));
  EXPECT_TRUE(ItemState(ID_MODIFY_NOW) & MF_GRAYED);
}

INSTANTIATE_TEST_SUITE_P(MainFrame, EitherWatch, ::testing::Values(kListener, kChainWithoutListener, kChainWhenRefused),
                         [](const ::testing::TestParamInfo<WatchKind>& info) { return std::string(info.param.name); });

// Without a listener the frame is a member of the viewer chain and keeps its
// rules: notices go on down the chain, and a notice about the viewer after
// it repairs its link and goes no further.
TEST_F(MainFrame, InTheChainNoticesAndRepairsGoOnAsTheChainsRulesSay) {
  // Two viewers join before the frame: the chain is then the frame, the
  // second viewer, the first viewer.
  Viewer first, second;
  first.Join();
  second.Join();
  CreateFrame(kChainWithoutListener);
  EXPECT_EQ(frame->Watch().NextViewer(), second.Handle());
  size_t firstCount = first.notices.size(), secondCount = second.notices.size();
  Judged(PutPicture(otherProgram, SmallCadPicture(), {L"AutoCAD"}));
  EXPECT_TRUE(IsImproved(ReadPicture()));
  EXPECT_TRUE(shell_test::PumpUntil([&] { return first.notices.size() > firstCount; }))
      << "the notice did not reach the end of the chain";
  EXPECT_GT(second.notices.size(), secondCount);

  // A notice about a viewer further down goes on unchanged.
  SendMessageW(frame->Handle(), WM_CHANGECBCHAIN, reinterpret_cast<WPARAM>(first.Handle()), 0);
  ASSERT_EQ(second.chainChanges.size(), 1u);
  EXPECT_EQ(second.chainChanges[0].first, first.Handle());
  EXPECT_EQ(second.chainChanges[0].second, static_cast<HWND>(nullptr));

  // A notice about the frame's next viewer repairs the link and goes no
  // further: notices now skip the second viewer.
  SendMessageW(frame->Handle(), WM_CHANGECBCHAIN, reinterpret_cast<WPARAM>(second.Handle()),
               reinterpret_cast<LPARAM>(first.Handle()));
  EXPECT_EQ(second.chainChanges.size(), 1u);
  EXPECT_EQ(frame->Watch().NextViewer(), first.Handle());
  firstCount = first.notices.size();
  secondCount = second.notices.size();
  SendMessageW(frame->Handle(), WM_COMMAND, ID_DISABLE_AUTOMODIFY, 0);  // handled as a clipboard change
  EXPECT_EQ(first.notices.size(), firstCount + 1);
  EXPECT_EQ(second.notices.size(), secondCount);
}

// A listener is in no chain: the chain's messages, should a program send
// them all the same, neither judge the clipboard nor link it to a viewer.
TEST_F(MainFrame, AListenerIgnoresTheChainsMessages) {
  CreateFrame(kListener);
  Viewer stranger;  // in no chain
  SendMessageW(frame->Handle(), WM_CHANGECBCHAIN, 0, reinterpret_cast<LPARAM>(stranger.Handle()));
  EXPECT_EQ(frame->Watch().NextViewer(), static_cast<HWND>(nullptr));

  const DWORD sequence = PutPicture(otherProgram, SmallCadPicture(), {L"AutoCAD"});
  SendMessageW(frame->Handle(), WM_DRAWCLIPBOARD, 0, 0);  // before the listener's notice is handled
  EXPECT_FALSE(IsImproved(ReadPicture())) << "a stray WM_DRAWCLIPBOARD was taken as a notice";
  Judged(sequence);
  EXPECT_TRUE(IsImproved(ReadPicture()));
  EXPECT_TRUE(stranger.notices.empty()) << "a notice went to a window in no chain";
}

TEST(HelpFile, LiesBesideTheProgram) {
  EXPECT_EQ(HelpFilePath(L"C:\\Velloform\\"), L"C:\\Velloform\\Velloform.chm");
  EXPECT_EQ(HelpFilePath(L"C:\\Velloform\\", L"velloform-documentation/options.htm"),
            L"C:\\Velloform\\Velloform.chm::/velloform-documentation/options.htm");
}

}  // namespace
