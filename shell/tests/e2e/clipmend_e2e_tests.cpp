// End-to-end: the real Clipmend.exe, started in this test's Wine prefix and
// driven from here through the real clipboard, the viewer chain, its windows
// and the registry.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

// The engine's headers come before <windows.h>.
#include "clipboard_test_support.h"
#include "generated_pictures.h"
#include "program_driver.h"
#include "test_pictures.h"
#include "wmf_file.h"

#include <windows.h>

namespace {

using namespace clipboard_test;
using namespace program_driver;
using wmf::test::Rec;

const wchar_t kProgram[] = CLIPMEND_EXE;
constexpr UINT kTrayCallbackMessage = WM_USER + 100;
const std::filesystem::path kArtifacts = CLIPMEND_TEST_ARTIFACT_DIR;

// Each test starts from an empty settings key with quiet start-up choices.
class Clipmend : public ::testing::Test {
 protected:
  void SetUp() override {
    StopRunning();
    // A picture left from before would be judged when the program starts.
    if (OpenClipboard(owner_.Handle())) {
      EmptyClipboard();
      CloseClipboard();
    }
    QuietSettings();
  }
  void TearDown() override {
    StopRunning();
    if (process_) CloseHandle(process_);
  }
  // Starts the program and waits until it has started.
  void Launch() { ASSERT_TRUE(program_driver::Launch(kProgram, process_)); }
  // Ends a running instance the way users do, with "/unload".
  void StopRunning() { Unload(kProgram, process_); }
  HANDLE process_ = nullptr;
  Viewer owner_;
};

TEST_F(Clipmend, AutoCadPictureIsReplacedWithinASecond) {
  Launch();
  const auto since = Clock::now();
  const DWORD sequence = PutPicture(owner_.Handle(), SmallCadPicture(), {L"AutoCAD.r15 Picture"});
  const double seconds = SecondsUntilModified(sequence, since, 1.0);
  ASSERT_GE(seconds, 0) << "not modified within a second";
  std::printf("small picture modified after %.0f ms\n", seconds * 1000);

  const ClipboardPicture out = ReadPicture();
  ASSERT_GE(out.records.size(), 3u);
  EXPECT_EQ(out.records[2], wmf::test::WindowExt(2020, 1520));  // cropped, with the default margin
  for (const wmf::WmfRecord& r : out.records) EXPECT_NE(r.function, META_RECTANGLE);
  EXPECT_EQ(out.pict.mm, MM_ANISOTROPIC);
  EXPECT_EQ(out.pict.xExt, 5130);  // the cropped part at the picture's own scale
  EXPECT_EQ(out.pict.yExt, 3860);
}

TEST_F(Clipmend, LargePictureIsReplacedToo) {
  Launch();
  const std::vector<uint8_t> bits = wmf::WriteWmf(wmf::test::CadPicture(10));
  const auto since = Clock::now();
  const DWORD sequence = PutPicture(owner_.Handle(), bits, {L"AutoCAD"});
  const double seconds = SecondsUntilModified(sequence, since, 20.0);
  ASSERT_GE(seconds, 0);
  std::printf("%.1f MB picture modified after %.0f ms\n", bits.size() / 1e6, seconds * 1000);
}

TEST_F(Clipmend, ModesDecideWhatIsModified) {
  SetPreference(L"Preferences", L"AutoModify", 1);
  Launch();
  DWORD sequence = PutPicture(owner_.Handle(), SmallCadPicture(), {L"Some Other Program"});
  PumpUntil([] { return false; }, 1.0);
  EXPECT_FALSE(IsImproved(ReadPicture())) << "mode 1 changed a picture without a CAD format";
  EXPECT_EQ(GetClipboardSequenceNumber(), sequence);

  // "&Modify and Replace now" modifies in every mode.
  PostMessageW(MainWindow(), WM_COMMAND, 40008, 0);
  EXPECT_GE(SecondsUntilModified(sequence, Clock::now(), 2.0), 0);
}

TEST_F(Clipmend, MostTypesModeSkipsPicturesWithOtherData) {
  SetPreference(L"Preferences", L"AutoModify", 2);
  Launch();
  DWORD sequence = PutPicture(owner_.Handle(), SmallCadPicture(), {});
  EXPECT_GE(SecondsUntilModified(sequence, Clock::now(), 2.0), 0) << "a picture alone is modified in mode 2";
  sequence = PutPicture(owner_.Handle(), SmallCadPicture(), {}, {CF_UNICODETEXT});
  PumpUntil([] { return false; }, 1.0);
  EXPECT_FALSE(IsImproved(ReadPicture())) << "a picture with text beside it is not";
}

TEST_F(Clipmend, JobsAreCountedAndStoredAtExit) {
  Launch();
  for (int i = 0; i < 2; ++i) {
    const DWORD sequence = PutPicture(owner_.Handle(), SmallCadPicture(), {L"AutoCAD"});
    ASSERT_GE(SecondsUntilModified(sequence, Clock::now(), 2.0), 0);
    // Publishing its own picture does not make the program modify it again.
    PumpUntil([] { return false; }, 0.3);
  }
  StopRunning();
  EXPECT_EQ(StoredNumber(L"Statistics", L"Jobs").value_or(0), 2u);
  EXPECT_TRUE(StoredNumber(L"Statistics", L"Since").has_value());
}

TEST_F(Clipmend, AllPicturesModeModifiesEachPictureOnce) {
  SetPreference(L"Preferences", L"AutoModify", 3);
  Launch();
  const DWORD sequence = PutPicture(owner_.Handle(), SmallCadPicture(), {});
  ASSERT_GE(SecondsUntilModified(sequence, Clock::now(), 2.0), 0);
  const DWORD published = GetClipboardSequenceNumber();
  PumpUntil([] { return false; }, 1.0);
  EXPECT_EQ(GetClipboardSequenceNumber(), published) << "its own picture was modified again";
  StopRunning();
  EXPECT_EQ(StoredNumber(L"Statistics", L"Jobs").value_or(0), 1u);
}

TEST_F(Clipmend, UnloadEndsTheRunningInstance) {
  Launch();
  HANDLE unload = Start(kProgram, L"/UNLOAD");
  EXPECT_TRUE(Ended(unload, 20));
  CloseHandle(unload);
  EXPECT_TRUE(Ended(process_, 20));
  EXPECT_EQ(MainWindow(), nullptr);
}

TEST_F(Clipmend, SecondStartEndsAtOnce) {
  Launch();
  HWND first = MainWindow();
  HANDLE second = Start(kProgram);
  EXPECT_TRUE(Ended(second, 20));
  CloseHandle(second);
  EXPECT_EQ(MainWindow(), first);
  EXPECT_EQ(WaitForSingleObject(process_, 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

TEST_F(Clipmend, RefusesToRunBesideThePlugIn) {
  WNDCLASSW plugInClass{};
  plugInClass.lpfnWndProc = DefWindowProcW;
  plugInClass.hInstance = GetModuleHandleW(nullptr);
  plugInClass.lpszClassName = L"VelloformAcadClass";
  RegisterClassW(&plugInClass);
  HWND plugIn = CreateWindowExW(0, L"VelloformAcadClass", L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  process_ = Start(kProgram);
  HWND box = nullptr;
  ASSERT_TRUE(PumpUntil([&] { return (box = FindWindowW(L"#32770", L"Velloform error")) != nullptr; }, 20));
  wchar_t text[512] = L"";
  GetDlgItemTextW(box, 0xFFFF, text, 512);
  EXPECT_EQ(std::wstring(text),
            L"Unable to start Velloform through CLIPMEND.EXE.\nProbably KLAROUT.ARX is already loaded in AutoCAD.\n"
            L"You do not need both at the same time.\nIn AutoCAD enter command KLAROPT to access the options.");
  EXPECT_EQ(MainWindow(), nullptr);  // and so no tray icon
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(Ended(process_, 20));
  EXPECT_EQ(MainWindow(), nullptr);
  DestroyWindow(plugIn);
}

TEST_F(Clipmend, TrayMenuOpensOnRightClick) {
  // (Its items and its bold default item are checked where the menu lives,
  // in the tray icon's own tests: a menu's items are not readable from
  // another process.)
  Launch();
  PostMessageW(MainWindow(), kTrayCallbackMessage, 107, WM_RBUTTONUP);
  HWND menuWindow = nullptr;
  ASSERT_TRUE(PumpUntil([&] { return (menuWindow = FindWindowW(L"#32768", nullptr)) && IsWindowVisible(menuWindow); }, 10));
  PostMessageW(menuWindow, WM_KEYDOWN, VK_ESCAPE, 0);
  PostMessageW(MainWindow(), WM_CANCELMODE, 0, 0);
  EXPECT_TRUE(PumpUntil([] { HWND m = FindWindowW(L"#32768", nullptr); return !m || !IsWindowVisible(m); }, 5));

  // A callback for another icon opens nothing.
  PostMessageW(MainWindow(), kTrayCallbackMessage, 108, WM_RBUTTONUP);
  PumpUntil([] { return false; }, 0.5);
  HWND other = FindWindowW(L"#32768", nullptr);
  EXPECT_TRUE(!other || !IsWindowVisible(other));
}

TEST_F(Clipmend, TipAppearsNearTheCursorAndGoesAway) {
  SetCursorPos(300, 200);
  Launch();
  const DWORD sequence = PutPicture(owner_.Handle(), SmallCadPicture(), {L"AutoCAD"});
  HWND tip = nullptr;
  ASSERT_TRUE(PumpUntil([&] { return (tip = FindWindowW(nullptr, L"Tooltip Window")) && IsWindowVisible(tip); }, 2));
  RECT place;
  GetWindowRect(tip, &place);
  EXPECT_EQ(place.left, 300 - 4 + 10);  // the margin, then 10 right and 5 down of the cursor
  EXPECT_EQ(place.top, 200 - 2 + 5);

  // Keep a picture of it.
  SaveScreenArea(place, 20, kArtifacts / "tip-window.bmp");

  EXPECT_TRUE(IsWindowVisible(tip)) << "gone before three seconds";
  EXPECT_TRUE(PumpUntil([] { return FindWindowW(nullptr, L"Tooltip Window") == nullptr; }, 6)) << "still there";
  EXPECT_NE(GetClipboardSequenceNumber(), sequence);
}

TEST_F(Clipmend, ViewerChainStaysWhole) {
  // Two viewers of the test join before the program: the chain is then the
  // program, the second viewer, the first viewer.
  Viewer first, second;
  first.Join();
  second.Join();
  Launch();
  const int joinedFirst = first.drawCount, joinedSecond = second.drawCount;
  DWORD sequence = PutPicture(owner_.Handle(), SmallCadPicture(), {L"AutoCAD"});
  ASSERT_GE(SecondsUntilModified(sequence, Clock::now(), 2.0), 0);
  PumpUntil([&] { return first.drawCount > joinedFirst; }, 2);
  EXPECT_GT(second.drawCount, joinedSecond) << "the program did not pass the notice on";
  EXPECT_GT(first.drawCount, joinedFirst);

  // A notice about a viewer further down goes on unchanged.
  SendMessageW(MainWindow(), WM_CHANGECBCHAIN, reinterpret_cast<WPARAM>(first.Handle()), 0);
  ASSERT_EQ(second.chainChanges.size(), 1u);
  EXPECT_EQ(second.chainChanges[0].first, first.Handle());
  EXPECT_EQ(second.chainChanges[0].second, static_cast<HWND>(nullptr));

  // A notice about the program's next viewer repairs the program's link and
  // goes no further: notices now skip the second viewer.
  SendMessageW(MainWindow(), WM_CHANGECBCHAIN, reinterpret_cast<WPARAM>(second.Handle()),
               reinterpret_cast<LPARAM>(first.Handle()));
  EXPECT_EQ(second.chainChanges.size(), 1u);
  const int firstCount = first.drawCount, secondCount = second.drawCount;
  sequence = PutPicture(owner_.Handle(), SmallCadPicture(), {L"AutoCAD"});
  ASSERT_GE(SecondsUntilModified(sequence, Clock::now(), 2.0), 0);
  PumpUntil([&] { return first.drawCount > firstCount; }, 2);
  EXPECT_GT(first.drawCount, firstCount);
  EXPECT_EQ(second.drawCount, secondCount);
}

}  // namespace
