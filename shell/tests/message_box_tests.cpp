// The error and information boxes as the user sees them (real boxes, read
// and closed from a watcher thread), the system's error text, and bringing a
// window to the foreground.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>

#include "copy_clip_app.h"
#include "message_boxes.h"
#include "shell_test_support.h"

namespace {

using shell_test::BoxCloser;
using shell_test::PumpUntil;
using shell_test::SeenBox;
using shell_test::TestFrame;

TEST(ErrorBox, ShowsTheFormattedTextWithTheErrorTitleAndIcon) {
  const std::wstring reason = L"The system cannot find the file specified.\r\n";
  BoxCloser closer(L"Velloform error");
  const int result =
      ErrorBox(nullptr, L"Unable to open clipboard for reading:\n%s", reason.c_str());
  const SeenBox box = closer.Seen();
  ASSERT_TRUE(box.found);
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(box.text, L"Unable to open clipboard for reading:\n" + reason);
  EXPECT_FALSE(box.hasCancel);
  EXPECT_NE(box.icon, nullptr);
}

TEST(ErrorBox, FormatsLikeWidePrintf) {
  struct Case {
    std::wstring expected;
    std::wstring shown;
  };
  const auto show = [](auto... arguments) {
    BoxCloser closer(L"Velloform error");
    ErrorBox(nullptr, arguments...);
    return closer.Seen().text;
  };
  const Case cases[] = {
      {L"Jobs: 12, 0.50 inch", show(L"Jobs: %d, %.2f inch", 12, 0.5)},
      {L"file C:\\a b.wmf: 100%", show(L"file %s: %d%%", L"C:\\a b.wmf", 100)},
      {L"", show(L"%s", L"")},
  };
  for (const Case& c : cases) EXPECT_EQ(c.shown, c.expected);
}

TEST(ErrorBox, CutsALongTextAt511Characters) {
  const std::wstring longText(600, L'x');
  BoxCloser closer(L"Velloform error");
  ErrorBox(nullptr, L"%s", longText.c_str());
  EXPECT_EQ(closer.Seen().text, std::wstring(511, L'x'));
}

TEST(InfoBox, HasItsOwnTitleAndNoIcon) {
  BoxCloser closer(L"Velloform");
  const int result = InfoBox(nullptr, L"Settings of %s restored.", L"2017-Dec-08");
  const SeenBox box = closer.Seen();
  ASSERT_TRUE(box.found);
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(box.text, L"Settings of 2017-Dec-08 restored.");
  EXPECT_FALSE(box.hasCancel);
  EXPECT_EQ(box.icon, nullptr);
}

// Owner: the given window, else the main window, else none.
TEST(MessageBoxOwner, FollowsTheOwnerRule) {
  const auto ownerOfBox = [](const CWnd* owner) {
    BoxCloser closer(L"Velloform error");
    ErrorBox(owner, L"owner test");
    const SeenBox box = closer.Seen();
    EXPECT_TRUE(box.found);
    return box.owner;
  };

  // Before there is an application or a main window: no owner.
  EXPECT_EQ(ownerOfBox(nullptr), nullptr);

  CCopyClipApp app;
  EXPECT_EQ(ownerOfBox(nullptr), nullptr);

  auto mainFrame = std::make_unique<TestFrame>();
  ASSERT_TRUE(mainFrame->Create(L"main"));
  HWND mainWindow = mainFrame->Handle();
  app.SetMainWindow(std::move(mainFrame));
  TestFrame other;
  ASSERT_TRUE(other.Create(L"other"));
  TestFrame withoutWindow;

  EXPECT_EQ(ownerOfBox(nullptr), mainWindow);
  EXPECT_EQ(ownerOfBox(&other), other.Handle());
  EXPECT_EQ(ownerOfBox(&withoutWindow), mainWindow);
}

TEST(MessageBoxUserMessages, ShowTheSettingsMessagesInTheBoxes) {
  MessageBoxUserMessages messages;
  UserMessages& user = messages;
  {
    BoxCloser closer(L"Velloform error");
    user.ErrorBox(L"Unable to write file x.vf3: 100% full");  // shown as is, not as a format
    const SeenBox box = closer.Seen();
    EXPECT_EQ(box.text, L"Unable to write file x.vf3: 100% full");
    EXPECT_NE(box.icon, nullptr);
  }
  {
    BoxCloser closer(L"Velloform");
    user.InfoBox(L"Options loaded.");
    const SeenBox box = closer.Seen();
    EXPECT_EQ(box.text, L"Options loaded.");
    EXPECT_EQ(box.icon, nullptr);
  }
}

TEST(SystemErrorText, IsTheSystemsWordingWithItsLineBreak) {
  SetLastError(ERROR_FILE_NOT_FOUND);
  const std::wstring text = SystemErrorText();
  ASSERT_GE(text.size(), 3u);
  EXPECT_EQ(text.substr(text.size() - 2), L"\r\n");

  SetLastError(0x2345678);  // no such message
  EXPECT_EQ(SystemErrorText(), L"");
}

class Foreground : public ::testing::Test {
 protected:
  static void Show(TestFrame& frame) { ShowWindow(frame.Handle(), SW_SHOWNORMAL); }
};

TEST_F(Foreground, ComesFromAWindowOfTheSameThread) {
  TestFrame first, second;
  ASSERT_TRUE(first.Create(L"first"));
  ASSERT_TRUE(second.Create(L"second"));
  Show(first);
  Show(second);
  ASSERT_TRUE(SetForegroundWindow(first.Handle()));
  ASSERT_EQ(GetForegroundWindow(), first.Handle());

  EXPECT_TRUE(ForceForeground(second.Handle()));
  EXPECT_EQ(GetForegroundWindow(), second.Handle());
  EXPECT_TRUE(ForceForeground(second.Handle()));  // already there
}

TEST_F(Foreground, ComesFromAWindowOfAnotherThread) {
  TestFrame ours;
  ASSERT_TRUE(ours.Create(L"ours"));
  Show(ours);

  // Another thread's window takes the foreground and keeps its thread alive.
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE finish = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HWND theirs = nullptr;
  std::thread other([&] {
    TestFrame window;
    window.Create(L"theirs");
    Show(window);
    SetForegroundWindow(window.Handle());
    theirs = window.Handle();
    SetEvent(ready);
    while (MsgWaitForMultipleObjects(1, &finish, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
      shell_test::PumpPending();
    }
  });
  const bool theirsShown = WaitForSingleObject(ready, 20000) == WAIT_OBJECT_0;
  EXPECT_TRUE(theirsShown) << "the other thread's window was not shown within 20 s";
  if (theirsShown) {
    EXPECT_EQ(GetForegroundWindow(), theirs);
    EXPECT_TRUE(ForceForeground(ours.Handle()));
    EXPECT_EQ(GetForegroundWindow(), ours.Handle());
  }

  SetEvent(finish);
  other.join();
  CloseHandle(ready);
  CloseHandle(finish);
}

}  // namespace
