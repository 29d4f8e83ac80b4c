// End-to-end: the real Clipmend.exe, started in this test's Wine prefix and
// driven from here through the real clipboard, the viewer chain, its windows
// and the registry.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// The engine's headers come before <windows.h>.
#include "clipboard_test_support.h"
#include "generated_pictures.h"
#include "test_pictures.h"
#include "wmf_file.h"

#include <windows.h>

#include "dialog_driver.h"
#include "resource.h"
#include "shell_test_support.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace clipboard_test;
using wmf::test::Rec;

const wchar_t kProgram[] = CLIPMEND_EXE;
constexpr UINT kTrayCallbackMessage = WM_USER + 100;
const wchar_t kKey[] = L"Software\\Tornvik\\Velloform";
const std::filesystem::path kArtifacts = CLIPMEND_TEST_ARTIFACT_DIR;

// Handles messages for this thread's windows while waiting; true when
// `done` came true within `seconds`.
bool PumpUntil(const std::function<bool()>& done, double seconds) {
  const auto giveUp = Clock::now() + std::chrono::duration<double>(seconds);
  for (;;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (done()) return true;
    if (Clock::now() >= giveUp) return false;
    Sleep(5);
  }
}

void SetPreference(const wchar_t* section, const wchar_t* name, DWORD value) {
  HKEY key;
  const std::wstring path = std::wstring(kKey) + L"\\" + section;
  ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, path.c_str(), &key), ERROR_SUCCESS);
  RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  RegCloseKey(key);
}

std::optional<DWORD> StoredNumber(const wchar_t* section, const wchar_t* name) {
  DWORD value = 0, size = sizeof value, type = 0;
  const std::wstring path = std::wstring(kKey) + L"\\" + section;
  if (RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name, RRF_RT_REG_DWORD, &type, &value, &size) != ERROR_SUCCESS)
    return std::nullopt;
  return value;
}

HWND MainWindow() { return FindWindowW(L"VelloformClass", nullptr); }

// Runs Clipmend.exe with `arguments`; the process handle, owned by the caller.
HANDLE Start(const std::wstring& arguments = L"") {
  std::wstring command = L"\"" + std::wstring(kProgram) + L"\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(kProgram, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    ADD_FAILURE() << "cannot start Clipmend.exe: " << GetLastError();
    return nullptr;
  }
  CloseHandle(process.hThread);
  return process.hProcess;
}

bool Ended(HANDLE process, double seconds) {
  return PumpUntil([&] { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }, seconds);
}

// Keeps what the screen shows of a window, with `margin` pixels around it,
// as a test artifact.
void KeepScreenshot(HWND window, const wchar_t* name, int margin = 0) {
  RECT area;
  GetWindowRect(window, &area);
  InflateRect(&area, margin, margin);
  std::filesystem::create_directories(kArtifacts);
  EXPECT_TRUE(shell_test::CaptureScreen(area).SaveBitmap((kArtifacts / name).wstring() + L".bmp"))
      << "cannot keep the screenshot";
}

// Waits for the clipboard to change after `sequence` and to hold the
// improved picture; the seconds it took, or a negative value.
double SecondsUntilModified(DWORD sequence, Clock::time_point since, double limit) {
  ClipboardPicture seen;
  const bool modified = PumpUntil(
      [&] {
        if (GetClipboardSequenceNumber() == sequence) return false;
        seen = ReadPicture();
        return IsImproved(seen);
      },
      limit);
  return modified ? std::chrono::duration<double>(Clock::now() - since).count() : -1;
}

// A window of the test's own, to own clipboard data and to watch the chain.
class Viewer {
 public:
  Viewer() {
    static const ATOM atom = [] {
      WNDCLASSW windowClass{};
      windowClass.lpfnWndProc = &Viewer::Procedure;
      windowClass.hInstance = GetModuleHandleW(nullptr);
      windowClass.lpszClassName = L"ClipmendTestViewer";
      return RegisterClassW(&windowClass);
    }();
    (void)atom;
    window_ = CreateWindowExW(0, L"ClipmendTestViewer", L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                              GetModuleHandleW(nullptr), this);
  }
  ~Viewer() {
    if (joined_) ChangeClipboardChain(window_, next_);
    DestroyWindow(window_);
  }
  HWND Handle() const { return window_; }
  void Join() {
    next_ = SetClipboardViewer(window_);
    joined_ = true;
  }
  void Leave() {
    ChangeClipboardChain(window_, next_);
    joined_ = false;
  }
  int drawCount = 0;
  std::vector<std::pair<HWND, HWND>> chainChanges;

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE)
      SetWindowLongPtrW(window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    auto* self = reinterpret_cast<Viewer*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && message == WM_DRAWCLIPBOARD) {
      ++self->drawCount;
      if (self->next_) SendMessageW(self->next_, message, wParam, lParam);
      return 0;
    }
    if (self && message == WM_CHANGECBCHAIN) {
      self->chainChanges.emplace_back(reinterpret_cast<HWND>(wParam), reinterpret_cast<HWND>(lParam));
      if (reinterpret_cast<HWND>(wParam) == self->next_) self->next_ = reinterpret_cast<HWND>(lParam);
      else if (self->next_) SendMessageW(self->next_, message, wParam, lParam);
      return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }
  HWND window_ = nullptr;
  HWND next_ = nullptr;
  bool joined_ = false;
};

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
    RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
    SetPreference(L"Preferences", L"StartWithOptions", 0);
    SetPreference(L"V7,30,0,0", L"ShowSplash", 0);
  }
  void TearDown() override {
    StopRunning();
    if (process_) CloseHandle(process_);
  }
  // Starts the program and waits until it has started: its main window
  // exists and it waits in its message loop.
  void Launch() {
    process_ = Start();
    ASSERT_TRUE(PumpUntil([] { return MainWindow() != nullptr; }, 20)) << "no main window";
    ASSERT_EQ(WaitForInputIdle(process_, 20000), 0u) << "the start did not finish";
  }
  // Ends a running instance the way users do, with "/unload".
  void StopRunning() {
    if (!MainWindow()) return;
    HANDLE unload = Start(L"/unload");
    Ended(unload, 20);
    CloseHandle(unload);
    if (process_) {
      EXPECT_TRUE(Ended(process_, 20)) << "the running instance did not end";
    }
    PumpUntil([] { return MainWindow() == nullptr; }, 10);
  }
  HANDLE process_ = nullptr;
  Viewer owner_;
};

// How long the replacement takes is printed, not judged: on a busy machine
// it may take far longer than on the user's. The deadline only ends a wait
// that would otherwise never end.
constexpr double kReplacementDeadline = 60;

TEST_F(Clipmend, AutoCadPictureIsReplaced) {
  Launch();
  const auto since = Clock::now();
  const DWORD sequence = PutPicture(owner_.Handle(), SmallCadPicture(), {L"AutoCAD.r15 Picture"});
  const double seconds = SecondsUntilModified(sequence, since, kReplacementDeadline);
  ASSERT_GE(seconds, 0) << "not modified within " << kReplacementDeadline << " s";
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
  const double seconds = SecondsUntilModified(sequence, since, kReplacementDeadline);
  ASSERT_GE(seconds, 0) << "not modified within " << kReplacementDeadline << " s";
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
  EXPECT_GE(SecondsUntilModified(sequence, Clock::now(), kReplacementDeadline), 0);
}

TEST_F(Clipmend, MostTypesModeSkipsPicturesWithOtherData) {
  SetPreference(L"Preferences", L"AutoModify", 2);
  Launch();
  DWORD sequence = PutPicture(owner_.Handle(), SmallCadPicture(), {});
  EXPECT_GE(SecondsUntilModified(sequence, Clock::now(), kReplacementDeadline), 0) << "a picture alone is modified in mode 2";
  sequence = PutPicture(owner_.Handle(), SmallCadPicture(), {}, {CF_UNICODETEXT});
  PumpUntil([] { return false; }, 1.0);
  EXPECT_FALSE(IsImproved(ReadPicture())) << "a picture with text beside it is not";
}

TEST_F(Clipmend, JobsAreCountedAndStoredAtExit) {
  Launch();
  for (int i = 0; i < 2; ++i) {
    const DWORD sequence = PutPicture(owner_.Handle(), SmallCadPicture(), {L"AutoCAD"});
    ASSERT_GE(SecondsUntilModified(sequence, Clock::now(), kReplacementDeadline), 0);
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
  ASSERT_GE(SecondsUntilModified(sequence, Clock::now(), kReplacementDeadline), 0);
  const DWORD published = GetClipboardSequenceNumber();
  PumpUntil([] { return false; }, 1.0);
  EXPECT_EQ(GetClipboardSequenceNumber(), published) << "its own picture was modified again";
  StopRunning();
  EXPECT_EQ(StoredNumber(L"Statistics", L"Jobs").value_or(0), 1u);
}

TEST_F(Clipmend, UnloadEndsTheRunningInstance) {
  Launch();
  HANDLE unload = Start(L"/UNLOAD");
  EXPECT_TRUE(Ended(unload, 20));
  CloseHandle(unload);
  EXPECT_TRUE(Ended(process_, 20));
  EXPECT_EQ(MainWindow(), nullptr);
}

TEST_F(Clipmend, SecondStartEndsAtOnce) {
  Launch();
  HWND first = MainWindow();
  HANDLE second = Start();
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
  process_ = Start();
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

  KeepScreenshot(tip, L"tip-window", 20);

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
  ASSERT_GE(SecondsUntilModified(sequence, Clock::now(), kReplacementDeadline), 0);
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
  ASSERT_GE(SecondsUntilModified(sequence, Clock::now(), kReplacementDeadline), 0);
  PumpUntil([&] { return first.drawCount > firstCount; }, 2);
  EXPECT_GT(first.drawCount, firstCount);
  EXPECT_EQ(second.drawCount, secondCount);
}

}  // namespace

// The dialogs of the running program, driven as a user drives them.
namespace {

using namespace dialog_driver;
constexpr wchar_t kOptionsTitle[] = L"Velloform Options";
constexpr wchar_t kPreferencesTitle[] = L"Velloform User Preferences";
constexpr wchar_t kAboutTitle[] = L"About Velloform";

// A double click on the tray icon.
void DoubleClickTrayIcon() { PostMessageW(MainWindow(), kTrayCallbackMessage, 107, WM_LBUTTONDBLCLK); }

std::wstring DialogText(HWND dialog, int id) { return Text(dialog, id); }

TEST_F(Clipmend, DoubleClickOpensTheOptionsOnceAndOkStoresThem) {
  Launch();
  DoubleClickTrayIcon();
  HWND options = WaitForDialog(kOptionsTitle);
  ASSERT_NE(options, nullptr) << "the double click opened no options";
  // Another double click and a second start only bring it forward.
  DoubleClickTrayIcon();
  HANDLE second = Start();
  EXPECT_TRUE(Ended(second, 20));
  CloseHandle(second);
  PumpUntil([] { return false; }, 0.5);
  EXPECT_EQ(CountDialogs(kOptionsTitle), 1);

  Choose(options, IDC_ROTATION, 1);
  Click(options, IDC_LINES_FIXED);
  Type(options, IDC_FIXED_WIDTH, L"0.02");
  Click(options, IDOK);
  ASSERT_TRUE(WaitUntilGone(kOptionsTitle));
  EXPECT_EQ(StoredNumber(L"Options", L"Rotation").value_or(0), 90u);
  EXPECT_EQ(StoredNumber(L"Options", L"Lineoptions").value_or(0), 2u);
}

TEST_F(Clipmend, SecondStartOpensTheOptionsOfTheFirst) {
  Launch();
  HANDLE second = Start();
  EXPECT_TRUE(Ended(second, 20));
  CloseHandle(second);
  HWND options = WaitForDialog(kOptionsTitle);
  ASSERT_NE(options, nullptr);
  Click(options, IDCANCEL);
  EXPECT_TRUE(WaitUntilGone(kOptionsTitle));
}

TEST_F(Clipmend, StartWithOptionsOpensThemAndPicturesAreStillModified) {
  SetPreference(L"Preferences", L"StartWithOptions", 1);
  process_ = Start();
  HWND options = WaitForDialog(kOptionsTitle);
  ASSERT_NE(options, nullptr) << "no options at start-up";
  const DWORD sequence = PutPicture(owner_.Handle(), SmallCadPicture(), {L"AutoCAD"});
  EXPECT_GE(SecondsUntilModified(sequence, Clock::now(), kReplacementDeadline), 0) << "not modified while the options are open";
  Click(options, IDCANCEL);
  EXPECT_TRUE(WaitUntilGone(kOptionsTitle));
}

TEST_F(Clipmend, ApplyTurnsTheLastPictureAndUnloadEndsTheProgram) {
  Launch();
  DWORD sequence = PutPicture(owner_.Handle(), SmallCadPicture(), {L"AutoCAD"});
  ASSERT_GE(SecondsUntilModified(sequence, Clock::now(), kReplacementDeadline), 0);
  const ClipboardPicture upright = ReadPicture();

  DoubleClickTrayIcon();
  HWND options = WaitForDialog(kOptionsTitle);
  ASSERT_NE(options, nullptr);
  Choose(options, IDC_ROTATION, 1);
  sequence = GetClipboardSequenceNumber();
  Click(options, ID_APPLY);
  ASSERT_GE(SecondsUntilModified(sequence, Clock::now(), kReplacementDeadline), 0) << "Apply published nothing";
  const ClipboardPicture turned = ReadPicture();
  EXPECT_EQ(turned.pict.xExt, upright.pict.yExt);
  EXPECT_EQ(turned.pict.yExt, upright.pict.xExt);
  EXPECT_EQ(DialogText(options, IDCANCEL), L"&Close");
  EXPECT_EQ(StoredNumber(L"Options", L"Rotation").value_or(0), 90u);

  PostCommand(options, ID_UNLOAD);
  EXPECT_TRUE(Ended(process_, 20)) << "\"&Unload Velloform\" did not end the program";
}

TEST_F(Clipmend, PreferencesModeDecidesTheNextPicture) {
  Launch();
  PostMessageW(MainWindow(), WM_COMMAND, ID_USER_PREFERENCES, 0);
  HWND preferences = WaitForDialog(kPreferencesTitle);
  ASSERT_NE(preferences, nullptr);
  KeepScreenshot(preferences, L"preferences");
  Choose(preferences, IDC_AUTOMODIFY_MODE, 0);
  Click(preferences, IDOK);
  ASSERT_TRUE(WaitUntilGone(kPreferencesTitle));
  DWORD sequence = PutPicture(owner_.Handle(), SmallCadPicture(), {L"AutoCAD"});
  PumpUntil([] { return false; }, 1.0);
  EXPECT_EQ(GetClipboardSequenceNumber(), sequence) << "mode 0 modified a CAD picture";

  PostMessageW(MainWindow(), WM_COMMAND, ID_USER_PREFERENCES, 0);
  preferences = WaitForDialog(kPreferencesTitle);
  ASSERT_NE(preferences, nullptr);
  Choose(preferences, IDC_AUTOMODIFY_MODE, 3);
  Click(preferences, IDOK);
  ASSERT_TRUE(WaitUntilGone(kPreferencesTitle));
  sequence = PutPicture(owner_.Handle(), SmallCadPicture(), {}, {CF_UNICODETEXT});
  EXPECT_GE(SecondsUntilModified(sequence, Clock::now(), kReplacementDeadline), 0) << "mode 3 left a picture alone";
  StopRunning();
  EXPECT_EQ(StoredNumber(L"Preferences", L"AutoModify").value_or(0), 3u) << "stored at exit";
}

TEST_F(Clipmend, AboutCountsThePicturesModified) {
  Launch();
  const auto statistics = [] {
    PostMessageW(MainWindow(), WM_COMMAND, ID_APP_ABOUT, 0);
    HWND about = WaitForDialog(kAboutTitle);
    if (!about) return std::wstring(L"no About box");
    const std::wstring text = DialogText(about, IDC_STATISTICS);
    KeepScreenshot(about, L"about");
    Click(about, IDOK);
    WaitUntilGone(kAboutTitle);
    return text;
  };
  EXPECT_EQ(statistics().rfind(L"Velloform has modified 0 pictures since ", 0), 0u);
  const DWORD sequence = PutPicture(owner_.Handle(), SmallCadPicture(), {L"AutoCAD"});
  ASSERT_GE(SecondsUntilModified(sequence, Clock::now(), kReplacementDeadline), 0);
  EXPECT_EQ(statistics().rfind(L"Velloform has modified 1 pictures since ", 0), 0u);
}

TEST_F(Clipmend, SplashScreenAtStartUpGoesAfterItsTime) {
  SetPreference(L"V7,30,0,0", L"ShowSplash", 1);
  process_ = Start();
  HWND splash = nullptr;
  ASSERT_TRUE(PumpUntil([&] { return (splash = FindWindowW(L"VelloformSplash", nullptr)) && IsWindowVisible(splash); }, 20))
      << "no splash screen";
  RECT place;
  GetWindowRect(splash, &place);
  EXPECT_EQ(place.right - place.left, 560);
  EXPECT_EQ(place.bottom - place.top, 421);
  PumpUntil([] { return false; }, 0.3);
  KeepScreenshot(splash, L"splash");
  EXPECT_TRUE(PumpUntil([] { return FindWindowW(L"VelloformSplash", nullptr) == nullptr; }, 10)) << "still shown";
}

TEST_F(Clipmend, HelpButtonsOpenTheHelpViewer) {
  Launch();
  PostMessageW(MainWindow(), WM_COMMAND, ID_USER_PREFERENCES, 0);
  HWND preferences = WaitForDialog(kPreferencesTitle);
  ASSERT_NE(preferences, nullptr);
  PostClick(preferences, ID_HELP_BUTTON);
  HWND viewer = nullptr;
  EXPECT_TRUE(PumpUntil([&] { return (viewer = FindWindowW(L"HH Parent", nullptr)) != nullptr; }, 20))
      << "no help window";
  if (viewer) PostMessageW(viewer, WM_CLOSE, 0, 0);
  PumpUntil([] { return FindWindowW(L"HH Parent", nullptr) == nullptr; }, 10);
  Click(preferences, IDCANCEL);
  EXPECT_TRUE(WaitUntilGone(kPreferencesTitle));
}

// The dialogs at 150 % and 200 % display scaling: Wine reads the scale at
// start-up.
TEST_F(Clipmend, OptionsAtLargerDisplayScales) {
  HKEY desktop;
  ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", &desktop), ERROR_SUCCESS);
  for (const DWORD dpi : {144u, 192u}) {
    RegSetValueExW(desktop, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
    Launch();
    DoubleClickTrayIcon();
    HWND options = WaitForDialog(kOptionsTitle);
    EXPECT_NE(options, nullptr) << dpi << " dpi";
    if (options) {
      PumpUntil([] { return false; }, 0.5);
      KeepScreenshot(options, dpi == 144 ? L"options-150-percent" : L"options-200-percent");
      RECT place;
      GetWindowRect(options, &place);
      EXPECT_GT(place.right - place.left, 380 * static_cast<int>(dpi) / 96 * 9 / 10) << "not scaled at " << dpi;
      Click(options, IDCANCEL);
      WaitUntilGone(kOptionsTitle);
    }
    StopRunning();
  }
  RegDeleteValueW(desktop, L"LogPixels");
  RegCloseKey(desktop);
}

}  // namespace
