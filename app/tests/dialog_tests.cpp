// The program's dialogs in this process, over a real main frame and the
// real clipboard, driven from a second thread as a user drives them; the
// settings and the store behind them show the effect.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <thread>

#include "clipboard_test_support.h"
#include "engine_harness.h"
#include "placeable_file.h"

#include "about_dialog.h"
#include "color_edit_dialog.h"
#include "win/dialog_driver.h"
#include "main_frame.h"
#include "options_dialog.h"
#include "options_file_dialogs.h"
#include "preferences_dialog.h"
#include "preview_window.h"
#include "quiet_intake_host.h"
#include "resource.h"
#include "shell_test_support.h"
#include "splash_screen.h"
#include "win/windows_store.h"

#include <commdlg.h>
#include <dlgs.h>

namespace {

using namespace dialog_driver;
using clipboard_test::QuietHost;
using clipboard_test::PutPicture;
using clipboard_test::SmallCadPicture;
using shell_test::BoxCloser;

const std::wstring kArtifacts = L"" CLIPMEND_TEST_ARTIFACT_DIR;
constexpr wchar_t kOptionsTitle[] = L"Velloform Options";
constexpr wchar_t kAdvancedTitle[] = L"Velloform Advanced Options";
constexpr wchar_t kPreferencesTitle[] = L"Velloform User Preferences";

// What the dialogs asked to show; written on the dialogs' thread, read on
// the driver's too.
std::mutex shownLock;
std::vector<std::wstring> helpShown, addressesOpened;
void RecordHelp(const std::wstring& path) {
  std::lock_guard<std::mutex> lock(shownLock);
  helpShown.push_back(path);
}
void RecordAddress(const std::wstring& address) {
  std::lock_guard<std::mutex> lock(shownLock);
  addressesOpened.push_back(address);
}
size_t HelpShownCount() {
  std::lock_guard<std::mutex> lock(shownLock);
  return helpShown.size();
}

// The application's part of the route: the commands that open dialogs.
class TestApp : public CCmdTarget {
 public:
  DialogContext* context = nullptr;
  std::vector<UINT> ran;
  static const MessageMap& ClassMap() {
    static const CommandEntry commands[] = {
        OnCommand<&TestApp::OnMainOptions>(ID_MAIN_OPTIONS),
        OnCommand<&TestApp::OnPreferences>(ID_USER_PREFERENCES),
        OnCommand<&TestApp::OnAbout>(ID_APP_ABOUT),
        OnCommand<&TestApp::OnModifyNow>(ID_MODIFY_NOW),
    };
    static const MessageMap map{&CCmdTarget::ClassMap(), {}, commands};
    return map;
  }

 protected:
  const MessageMap& GetMessageMap() const override { return ClassMap(); }

 private:
  void OnMainOptions() { OpenOptionsDialog(*context); }
  void OnPreferences() { OpenPreferencesDialog(*context); }
  void OnAbout() { ShowAboutDialog(*context); }
  void OnModifyNow() { ran.push_back(ID_MODIFY_NOW); }
};

// Runs code on the thread that made it (the dialogs' thread), for the
// user's thread to read what that thread owns; returns once it has run.
class DialogThreadCall {
 public:
  DialogThreadCall() {
    static const ATOM atom = [] {
      WNDCLASSW windowClass{};
      windowClass.lpfnWndProc = &DialogThreadCall::Procedure;
      windowClass.hInstance = GetModuleHandleW(nullptr);
      windowClass.lpszClassName = L"ClipmendTestThreadCall";
      return RegisterClassW(&windowClass);
    }();
    (void)atom;
    window_ = CreateWindowExW(0, L"ClipmendTestThreadCall", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  }
  ~DialogThreadCall() { DestroyWindow(window_); }
  DialogThreadCall(const DialogThreadCall&) = delete;
  DialogThreadCall& operator=(const DialogThreadCall&) = delete;
  void operator()(const std::function<void()>& code) const {
    SendMessageW(window_, kRun, 0, reinterpret_cast<LPARAM>(&code));
  }

 private:
  static constexpr UINT kRun = WM_APP + 1;
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kRun) return DefWindowProcW(window, message, wParam, lParam);
    (*reinterpret_cast<const std::function<void()>*>(lParam))();
    return 0;
  }
  HWND window_ = nullptr;
};

// Saves what the screen shows of a window as a test artifact.
void KeepScreenshot(HWND window, const wchar_t* name) {
  // Every control painted first; the window's thread paints when asked.
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Sleep(100);  // for the picture only: the X server shows what was drawn
  RECT area;
  GetWindowRect(window, &area);
  const shell_test::ScreenCopy copy = shell_test::CaptureScreen(area);
  EXPECT_TRUE(copy.SaveBitmap(kArtifacts + L"\\" + name + L".bmp")) << "cannot keep the screenshot";
}

struct DialogTest : ::testing::Test {
  wmf::test::EngineHarness harness;
  WmfSettings& settings = harness.settings;
  MemorySettingsStore& store = harness.store;
  QuietHost host;
  ClipboardIntake intake{harness.settings, harness.context, host, GetModuleHandleW(nullptr)};
  std::wstring folder = L"C:\\Velloform\\";
  TestApp app;
  std::unique_ptr<CMainFrame> frame;
  SystemOptionsFileUi fileUi;
  std::unique_ptr<DialogContext> context;
  shell_test::TestFrame otherProgram;

  void SetUp() override {
    helpShown.clear();
    addressesOpened.clear();
    settings.ShowSplash = 0;
    WNDCLASSW windowClass{};
    windowClass.lpszClassName = kMainWindowClass;
    ASSERT_TRUE(CWnd::RegisterWindowClass(windowClass));
    frame = std::make_unique<CMainFrame>(MainFrameContext{settings, intake, folder}, app);
    ASSERT_TRUE(frame->Create());
    host.window = frame->Handle();
    context = std::make_unique<DialogContext>(
        DialogContext{settings, intake, *frame, folder, fileUi, &RecordHelp, &RecordAddress});
    app.context = context.get();
    ASSERT_TRUE(otherProgram.Create(L"other program"));
  }
  void TearDown() override { frame->DestroyWindow(); }

  // Runs `open` on this thread while `user` works the dialog called `title`
  // from a second thread; the user's part must close it.
  void Drive(const wchar_t* title, const std::function<void()>& open, const std::function<void(HWND)>& user) {
    std::atomic<bool> found{false};
    std::thread driver([&] {
      HWND dialog = WaitForDialog(title);
      found = dialog != nullptr;
      if (!dialog) return;
      user(dialog);
      // A user's part that stopped early (a failed check) leaves the dialog
      // open: close it, so that the test goes on.
      if (IsWindow(dialog)) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    open();
    driver.join();
    EXPECT_TRUE(found) << "no dialog \"" << std::string(title, title + wcslen(title)) << "\" appeared";
  }
  void DriveOptions(const std::function<void(HWND)>& user) {
    Drive(kOptionsTitle, [this] { OpenOptionsDialog(*context); }, user);
  }
  int StoredInt(const wchar_t* section, const wchar_t* name) { return store.ReadInt(section, name, L"", -12345); }
  double StoredReal(const wchar_t* section, const wchar_t* name) { return store.ReadReal(section, name, L"", -12345); }
};

TEST_F(DialogTest, OptionsOpenWithTheSettingsTranslatedAndStoreThemOnOk) {
  settings.Lineoptions = 1;  // black thin lines
  settings.Filledoptions = 1;
  settings.Widthoptions = 3;  // the scale, which only an options file brings
  settings.Percentage = 50;
  settings.FixedWidth = 0.01;
  DriveOptions([](HWND dialog) {
    EXPECT_TRUE(Checked(dialog, IDC_LINES_THIN));
    EXPECT_TRUE(Checked(dialog, IDC_MAKE_BLACK));
    EXPECT_TRUE(Checked(dialog, IDC_FILLS_UNMODIFIED));
    EXPECT_TRUE(Checked(dialog, IDC_SIZE_SCALED));
    EXPECT_FALSE(Enabled(dialog, IDC_SIZE_SCALED)) << "the scale cannot be chosen";
    EXPECT_TRUE(Enabled(dialog, IDC_WMF_SCALE));
    EXPECT_TRUE(Enabled(dialog, IDC_DRAWING_SCALE));
    EXPECT_FALSE(Enabled(dialog, IDC_FIXED_WIDTH));
    EXPECT_FALSE(Enabled(dialog, IDC_TILEMODE));
    EXPECT_EQ(Text(dialog, IDC_FIXED_WIDTH), L"0.01");
    EXPECT_EQ(Text(dialog, IDC_PERCENTAGE), L"50");
    EXPECT_EQ(Text(dialog, IDC_LINES_FIXED), L"Fixed linewidth (inch)");
    EXPECT_EQ(Text(dialog, IDC_WMF_UNIT_LABEL), L"WMF inch");
    KeepScreenshot(dialog, L"options-inch");
    Choose(dialog, IDC_ROTATION, 2);
    Click(dialog, IDOK);
  });
  EXPECT_EQ(settings.Lineoptions, 0);
  EXPECT_EQ(settings.MakeBlack, 1);
  EXPECT_EQ(settings.Filledoptions, 0);
  EXPECT_EQ(settings.Widthoptions, 3) << "kept when left alone";
  EXPECT_EQ(settings.Rotation, 180);
  EXPECT_EQ(StoredInt(L"Options", L"Rotation"), 180) << "OK writes the registry";
  EXPECT_EQ(StoredInt(L"Options", L"Widthoptions"), 3);
  EXPECT_EQ(SingleDialog<WmfOptions>::Open(), nullptr);
}

TEST_F(DialogTest, PercentageExactlyHundredOpensAsUnmodified) {
  for (const double percentage : {100.0, 100.5}) {
    settings.Widthoptions = 0;
    settings.Percentage = percentage;
    DriveOptions([percentage](HWND dialog) {
      EXPECT_EQ(Checked(dialog, IDC_SIZE_UNMODIFIED), percentage == 100) << percentage;
      EXPECT_EQ(Checked(dialog, IDC_SIZE_PERCENTAGE), percentage != 100) << percentage;
      EXPECT_EQ(Enabled(dialog, IDC_PERCENTAGE), percentage != 100) << percentage;
      // "Leave unmodified" stores 100 % whatever the box holds.
      Click(dialog, IDC_SIZE_UNMODIFIED);
      Type(dialog, IDC_PERCENTAGE, L"250");
      Click(dialog, IDOK);
    });
    EXPECT_EQ(settings.Percentage, 100);
  }
}

TEST_F(DialogTest, ModeClicksEnableTheirBoxes) {
  DriveOptions([](HWND dialog) {
    Click(dialog, IDC_LINES_FIXED);
    EXPECT_TRUE(Enabled(dialog, IDC_FIXED_WIDTH));
    EXPECT_FALSE(Enabled(dialog, ID_EDIT_LINES));
    Click(dialog, IDC_LINES_ADVANCED);
    EXPECT_FALSE(Enabled(dialog, IDC_FIXED_WIDTH));
    EXPECT_TRUE(Enabled(dialog, ID_EDIT_LINES));
    Click(dialog, IDC_FILLS_ADVANCED);
    EXPECT_TRUE(Enabled(dialog, ID_EDIT_FILLS));
    Click(dialog, IDC_SIZE_WIDTH);
    EXPECT_TRUE(Enabled(dialog, IDC_PICTURE_WIDTH));
    EXPECT_FALSE(Enabled(dialog, IDC_PICTURE_HEIGHT));
    EXPECT_FALSE(Enabled(dialog, IDC_PERCENTAGE_SPIN));
    Click(dialog, IDC_SIZE_PERCENTAGE);
    EXPECT_TRUE(Enabled(dialog, IDC_PERCENTAGE_SPIN));
    Click(dialog, IDOK);
  });
  EXPECT_EQ(settings.Lineoptions, 3);
  EXPECT_EQ(settings.Filledoptions, 3);
  EXPECT_EQ(settings.Widthoptions, 0);
}

struct BadEntry {
  bool metric;
  int mode;  // the radio button that enables the box, or 0 to leave it disabled
  int box;
  const wchar_t* text;
  const wchar_t* title;    // of the box that says what is wrong
  const wchar_t* message;
};

TEST_F(DialogTest, EachBadEntryIsNamedFocusedAndNothingIsTaken) {
  const BadEntry cases[] = {
      {false, IDC_LINES_FIXED, IDC_FIXED_WIDTH, L"1.5", L"Velloform", L"Please enter a number between 0 and 1."},
      {false, IDC_LINES_FIXED, IDC_FIXED_WIDTH, L"abc", L"Velloform", L"Please enter a number."},
      {false, IDC_LINES_FIXED, IDC_FIXED_WIDTH, L"1e999", L"Velloform", L"Please enter a number."},
      {true, IDC_SIZE_WIDTH, IDC_PICTURE_WIDTH, L"2600", L"Velloform", L"Please enter a number between 0 and 2500."},
      {false, IDC_SIZE_PERCENTAGE, IDC_PERCENTAGE, L"0", L"Velloform error", L"Please enter a value larger than 0"},
      // A disabled box is checked too: "Leave unmodified" is chosen here.
      {false, 0, IDC_PERCENTAGE, L"1000", L"Velloform", L"Please enter a number between 0 and 999."},
      {false, 0, IDC_DRAWING_SCALE, L"-2", L"Velloform error", L"Please enter a value larger than 0"},
      {false, 0, IDC_WMF_SCALE, L"", L"Velloform", L"Please enter a number."},
  };
  for (const BadEntry& c : cases) {
    SCOPED_TRACE(testing::Message() << "box " << c.box);
    settings.IsMetric = c.metric;
    settings.Rotation = 0;
    const int writesBefore = StoredInt(L"Options", L"Rotation");
    DriveOptions([&](HWND dialog) {
      Choose(dialog, IDC_ROTATION, 1);
      if (c.mode) Click(dialog, c.mode);
      EXPECT_EQ(Enabled(dialog, c.box), c.mode != 0);
      Type(dialog, c.box, c.text);
      BoxCloser closer(c.title);
      Click(dialog, IDOK);
      const shell_test::SeenBox seen = closer.Seen();
      EXPECT_TRUE(seen.found);
      EXPECT_EQ(seen.text, c.message);
      EXPECT_EQ(seen.owner, dialog);
      EXPECT_TRUE(IsWindowVisible(dialog)) << "the dialog stays open";
      if (c.mode) {
        EXPECT_TRUE(WaitFor([&] { return FocusedControl(dialog) == c.box; })) << "focus on " << FocusedControl(dialog);
      }
      Click(dialog, IDCANCEL);
    });
    EXPECT_EQ(settings.Rotation, 0) << "nothing was taken over";
    EXPECT_EQ(StoredInt(L"Options", L"Rotation"), writesBefore) << "nothing was written";
  }
}

TEST_F(DialogTest, WidthLimitsFollowTheUnit) {
  for (const int metric : {0, 1}) {
    settings.IsMetric = metric;
    settings.Lineoptions = 2;
    DriveOptions([metric](HWND dialog) {
      EXPECT_EQ(Text(dialog, IDC_LINES_FIXED), metric ? L"Fixed linewidth (mm)" : L"Fixed linewidth (inch)");
      EXPECT_EQ(Text(dialog, IDC_SIZE_HEIGHT),
                metric ? L"Scaled to fit fixed height (cm)" : L"Scaled to fit fixed height (inch)");
      if (metric) KeepScreenshot(dialog, L"options-mm");
      Type(dialog, IDC_FIXED_WIDTH, metric ? L"1.5" : L"0");
      Click(dialog, IDOK);
    });
    EXPECT_EQ(settings.FixedWidth, metric ? 1.5 : 0.0);
  }
}

TEST_F(DialogTest, ApplyPublishesTheLastPictureAgainTurned) {
  PutPicture(otherProgram.Handle(), SmallCadPicture(), {L"AutoCAD"});
  intake.ModifyClipboardPicture(false);
  ASSERT_TRUE(intake.HaveLastPicture());
  const clipboard_test::ClipboardPicture before = clipboard_test::ReadPicture();
  DriveOptions([&](HWND dialog) {
    Choose(dialog, IDC_ROTATION, 1);
    const DWORD sequence = GetClipboardSequenceNumber();
    Click(dialog, ID_APPLY);
    EXPECT_NE(GetClipboardSequenceNumber(), sequence) << "published again";
    EXPECT_EQ(Text(dialog, IDCANCEL), L"&Close");
    EXPECT_EQ(StoredInt(L"Options", L"Rotation"), 90) << "Apply writes the registry";
    Click(dialog, IDCANCEL);
  });
  const clipboard_test::ClipboardPicture after = clipboard_test::ReadPicture();
  EXPECT_EQ(after.pict.xExt, before.pict.yExt) << "width and height swap";
  EXPECT_EQ(after.pict.yExt, before.pict.xExt);
  EXPECT_EQ(settings.Rotation, 90) << "Close keeps what Apply took over";
}

// The preview as the user's thread sees it.
struct PreviewSeen {
  bool open = false;
  HWND window = nullptr;
  PreviewState state;
  std::vector<wmf::WmfRecord> records;  // of the improved picture
};

struct PreviewTest : DialogTest {
  DialogThreadCall onDialogThread;
  PreviewSeen Seen() {
    PreviewSeen seen;
    onDialogThread([&] {
      WmfOptions* options = SingleDialog<WmfOptions>::Open();
      CPreviewWindow* preview = options ? options->Preview() : nullptr;
      if (!preview) return;
      seen.open = true;
      seen.window = preview->Handle();
      seen.state = preview->State();
    });
    if (!seen.state.improvedBits.empty())
      seen.records = wmf::CopyOf(wmf::test::ReadOrFail(seen.state.improvedBits).records);
    return seen;
  }
  // A new picture from "another program", taken as the program takes it.
  void Capture(const std::vector<uint8_t>& bits) {
    PutPicture(otherProgram.Handle(), bits, {L"AutoCAD"});
    onDialogThread([&] { intake.ModifyClipboardPicture(false); });
  }
};

// A drawing on the CAD program's black background, in three colours, in the
// middle of its sheet.
std::vector<uint8_t> DrawingOnBlack() {
  using wmf::test::Poly;
  using wmf::test::Rec;
  const auto select = [](int slot) { return Rec(META_SELECTOBJECT, {slot}); };
  return wmf::WriteWmf({wmf::test::WindowOrg(0, 0), wmf::test::WindowExt(8000, 6000),
                        wmf::test::Pen(0), select(0), wmf::test::Brush(0), select(1),
                        wmf::test::Rectangle(0, 0, 8000, 6000),
                        wmf::test::Pen(0x0000FF), select(2),
                        Poly(META_POLYLINE, {{1500, 1500}, {4500, 1500}, {4500, 4000}, {1500, 4000}, {1500, 1500}}),
                        wmf::test::Pen(0x00FFFF), select(3),
                        Poly(META_POLYLINE, {{1500, 1500}, {4500, 4000}}), Poly(META_POLYLINE, {{1500, 4000}, {4500, 1500}}),
                        wmf::test::Pen(0x00FF00), select(4), wmf::test::Brush(0x00C000), select(5),
                        Poly(META_POLYGON, {{5000, 2000}, {6500, 2000}, {5750, 3500}})});
}

// The window the improved picture draws in, (0, 0) when it has none.
wmf::Size OutputWindow(const std::vector<wmf::WmfRecord>& records) {
  for (const wmf::WmfRecord& record : records)
    if (record.function == META_SETWINDOWEXT && record.params.size() == 2)
      return wmf::Size{static_cast<int16_t>(record.params[1]), static_cast<int16_t>(record.params[0])};
  return wmf::Size{};
}

// The preview follows every change of a control at once, says what is wrong
// with a value without a box, follows Apply and a new picture, and goes
// with the dialog; it never touches the clipboard or the count of pictures.
TEST_F(PreviewTest, FollowsTheControlsApplyAndNewPicturesAndGoesWithTheDialog) {
  PutPicture(otherProgram.Handle(), DrawingOnBlack(), {L"AutoCAD"});
  intake.ModifyClipboardPicture(false);
  const int jobs = settings.Jobs;
  HWND previewWindow = nullptr;
  DriveOptions([&](HWND dialog) {
    const DWORD sequence = GetClipboardSequenceNumber();
    Click(dialog, ID_PREVIEW);
    PreviewSeen seen = Seen();
    ASSERT_TRUE(seen.open) << "the Preview button opened nothing";
    previewWindow = seen.window;
    EXPECT_EQ(GetWindow(previewWindow, GW_OWNER), dialog);
    EXPECT_TRUE(IsWindowVisible(previewWindow));
    ASSERT_TRUE(seen.state.havePicture);
    // Cropped to the drawing, as the tool tip would say it.
    const wmf::Size upright = OutputWindow(seen.records);
    EXPECT_GT(upright.x, upright.y);
    EXPECT_LT(upright.x, 8000);
    EXPECT_EQ(seen.state.sizeText, wmf::SizeStatusText(seen.state.improvedSize, false));
    EXPECT_EQ(clipboard_test::ReadPicture().records, seen.records) << "not what the program published";
    KeepScreenshot(previewWindow, L"preview-standard-options");

    // A second set of options: turned, black, wide lines.
    Choose(dialog, IDC_ROTATION, 1);
    seen = Seen();
    EXPECT_EQ(OutputWindow(seen.records), (wmf::Size{upright.y, upright.x}));
    Click(dialog, IDC_MAKE_BLACK);
    Click(dialog, IDC_LINES_FIXED);
    Type(dialog, IDC_FIXED_WIDTH, L"0.05");
    const std::vector<wmf::WmfRecord> wide = Seen().records;
    Type(dialog, IDC_FIXED_WIDTH, L"0.01");
    EXPECT_NE(Seen().records, wide) << "the typed width did not reach the preview";
    Type(dialog, IDC_FIXED_WIDTH, L"0.05");
    EXPECT_EQ(Seen().records, wide);
    KeepScreenshot(previewWindow, L"preview-turned-black-wide-lines");

    // A value out of range: said in the preview, with no box.
    Type(dialog, IDC_FIXED_WIDTH, L"1.5");
    seen = Seen();
    EXPECT_EQ(seen.state.problem, L"Fixed linewidth (inch): Please enter a number between 0 and 1.");
    EXPECT_TRUE(seen.state.improvedBits.empty());
    EXPECT_TRUE(seen.state.havePicture) << "the picture as copied is still shown";
    EXPECT_EQ(FindWindowW(L"#32770", L"Velloform"), nullptr) << "a box asked while typing";
    KeepScreenshot(previewWindow, L"preview-value-out-of-range");
    Type(dialog, IDC_FIXED_WIDTH, L"0.05");
    EXPECT_TRUE(Seen().state.problem.empty());
    EXPECT_EQ(GetClipboardSequenceNumber(), sequence) << "the preview put something on the clipboard";
    EXPECT_EQ(settings.Jobs, jobs) << "the preview counted a picture";
    EXPECT_EQ(settings.Rotation, 0) << "the preview took the options over";

    // Apply takes them over and publishes; the preview shows what was published.
    Click(dialog, ID_APPLY);
    EXPECT_NE(GetClipboardSequenceNumber(), sequence);
    EXPECT_EQ(Seen().records, wide);
    EXPECT_EQ(clipboard_test::ReadPicture().records, wide);

    // A new picture arrives while the dialog is open: the preview shows it.
    Capture(wmf::WriteWmf({wmf::test::WindowOrg(0, 0), wmf::test::WindowExt(8000, 6000),
                           wmf::test::Poly(META_POLYLINE, {{1000, 1000}, {5000, 1500}})}));
    const wmf::Size next = OutputWindow(Seen().records);
    EXPECT_NE(next, (wmf::Size{upright.y, upright.x})) << "still the old picture";
    EXPECT_LT(next.x, next.y) << "the new picture, long and flat, is shown turned";
    Click(dialog, IDOK);
  });
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(previewWindow); })) << "the preview outlived the dialog";
  EXPECT_EQ(settings.Rotation, 90);
}

TEST_F(PreviewTest, WithoutAPictureItSaysSoAndCancelClosesIt) {
  HWND previewWindow = nullptr;
  DriveOptions([&](HWND dialog) {
    SendMessageW(dialog, WM_COMMAND, ID_PREVIEW, 0);  // the menu's "&Preview"
    const PreviewSeen seen = Seen();
    ASSERT_TRUE(seen.open) << "the menu item opened nothing";
    previewWindow = seen.window;
    EXPECT_FALSE(seen.state.havePicture);
    KeepScreenshot(previewWindow, L"preview-without-a-picture");
    // A second request keeps the one window.
    SendMessageW(dialog, WM_COMMAND, ID_PREVIEW, 0);
    EXPECT_EQ(Seen().window, previewWindow);
    Click(dialog, IDCANCEL);
  });
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(previewWindow); })) << "the preview outlived the dialog";
}

TEST_F(DialogTest, ApplyWithoutAPicturePutsNothingOnTheClipboard) {
  DriveOptions([&](HWND dialog) {
    const DWORD sequence = GetClipboardSequenceNumber();
    Choose(dialog, IDC_ROTATION, 3);
    Click(dialog, ID_APPLY);
    EXPECT_EQ(GetClipboardSequenceNumber(), sequence);
    EXPECT_EQ(Text(dialog, IDCANCEL), L"&Close");
    Click(dialog, IDCANCEL);
  });
  EXPECT_EQ(settings.Rotation, 270);
  EXPECT_EQ(StoredInt(L"Options", L"Rotation"), 270);
}

TEST_F(DialogTest, UnitChangeInThePreferencesConvertsTheDialogsLengths) {
  settings.IsMetric = 0;
  settings.FixedWidth = 0.01;
  settings.Lineoptions = 2;
  settings.PictureWidth = 6;
  settings.WMFScale = 1;
  settings.colors[1].width = 0.01;
  DriveOptions([&](HWND dialog) {
    // With the preview open, which reads the controls whenever one changes.
    Click(dialog, ID_PREVIEW);
    PostCommand(dialog, ID_USER_PREFERENCES);
    HWND preferences = WaitForDialog(kPreferencesTitle);
    ASSERT_NE(preferences, nullptr);
    Click(preferences, IDC_METRIC);
    Click(preferences, IDOK);
    ASSERT_TRUE(WaitUntilGone(kPreferencesTitle));
    // The dialog converts once the preferences have closed.
    EXPECT_TRUE(WaitFor([&] { return Text(dialog, IDC_FIXED_WIDTH) == L"0.254"; }))
        << "the fixed width reads " << testing::PrintToString(Text(dialog, IDC_FIXED_WIDTH));
    EXPECT_EQ(Text(dialog, IDC_PICTURE_WIDTH), L"15.2");
    EXPECT_EQ(Text(dialog, IDC_WMF_SCALE), L"25.4");
    EXPECT_EQ(Text(dialog, IDC_LINES_FIXED), L"Fixed linewidth (mm)");
    Click(dialog, IDCANCEL);
  });
  EXPECT_EQ(settings.IsMetric, 1);
  EXPECT_EQ(settings.FixedWidth, 0.01) << "Cancel takes the converted lengths back";
  EXPECT_DOUBLE_EQ(settings.colors[1].width, 0.254) << "the table's widths change at once";
}

// Runs a menu command that shows the system's file dialog called `title`,
// and chooses `path` in it; false when no such dialog came or went.
bool ChooseFile(HWND dialog, int command, const wchar_t* title, const std::wstring& path) {
  PostCommand(dialog, command);
  HWND files = WaitForDialog(title);
  if (!files) {
    ADD_FAILURE() << "no file dialog";
    return false;
  }
  SendMessageW(files, CDM_SETCONTROLTEXT, cmb13, reinterpret_cast<LPARAM>(path.c_str()));
  SendMessageW(files, CDM_SETCONTROLTEXT, edt1, reinterpret_cast<LPARAM>(path.c_str()));
  PostMessageW(files, WM_COMMAND, IDOK, 0);
  return WaitUntilGone(title);
}

TEST_F(DialogTest, OptionsFilesThroughTheSystemsFileDialogs) {
  const std::filesystem::path folderPath = std::filesystem::temp_directory_path() / "clipmend-dialog-files";
  std::filesystem::create_directories(folderPath);
  const std::wstring file = (folderPath / L"Drawing.vf3").wstring();
  std::filesystem::remove(file);
  const std::wstring pc2 = (folderPath / L"pens.pc2").wstring();
  std::ofstream(std::filesystem::path(pc2)) << "[Plotter/Device/WidthTable]\ncolor1=0.35\n[Plotter/Device/PenTable]\ncolor1=300\n";
  // Settings over the real registry and private-profile files.
  WindowsSettingsStore realStore(harness.messages);
  WmfSettings fileSettings(realStore, harness.messages);
  fileSettings.IsMetric = 0;
  fileSettings.oPalette = 0;
  fileSettings.ComputeRepresentatives(0);
  DialogContext real{fileSettings, intake, *frame, folder, fileUi, &RecordHelp, &RecordAddress};

  Drive(kOptionsTitle, [&] { OpenOptionsDialog(real); }, [&](HWND dialog) {
    Click(dialog, ID_PREVIEW);  // it reads the controls whenever one changes
    Choose(dialog, IDC_ROTATION, 1);
    ASSERT_TRUE(ChooseFile(dialog, ID_SAVE_OPTIONS, L"Save As", file));
    EXPECT_TRUE(WaitFor([&] { return std::filesystem::exists(file); })) << "nothing saved";

    Choose(dialog, IDC_ROTATION, 3);  // shown, not taken over
    ASSERT_TRUE(ChooseFile(dialog, ID_LOAD_OPTIONS, L"Open", file));
    EXPECT_TRUE(WaitFor([&] { return SendDlgItemMessageW(dialog, IDC_ROTATION, CB_GETCURSEL, 0, 0) == 1; }))
        << "the file's rotation is not shown";

    ASSERT_TRUE(ChooseFile(dialog, ID_LOAD_OPTIONS, L"Open", pc2));
    Click(dialog, IDCANCEL);  // handled once the import is done
  });
  ASSERT_TRUE(std::filesystem::exists(file));
  EXPECT_EQ(GetPrivateProfileIntW(L"Options", L"Rotation", -1, file.c_str()), 90);
  EXPECT_EQ(fileSettings.colors[1].width, 0.35) << "the PC2 file's pen width";
  EXPECT_EQ(fileSettings.colors[1].fillColor, 0x2C2C2Cu);
  std::error_code ignored;  // the file dialogs may still hold the folder as current
  std::filesystem::remove_all(folderPath, ignored);
}

TEST_F(DialogTest, OneOptionsDialogAtATime) {
  DriveOptions([&](HWND dialog) {
    // A second start of the program hands over with its message.
    // Both return at once: the open dialog is only brought forward.
    SendMessageW(frame->Handle(), settings.InstanceMessage, 0, 0);
    SendMessageW(frame->Handle(), WM_COMMAND, ID_MAIN_OPTIONS, 0);
    EXPECT_EQ(CountDialogs(kOptionsTitle), 1);
    Click(dialog, IDCANCEL);
  });
  EXPECT_EQ(SingleDialog<WmfOptions>::Open(), nullptr);
}

TEST_F(DialogTest, MenuCommandsTakeTheirRoute) {
  DriveOptions([&](HWND dialog) {
    HMENU clipboardMenu = GetSubMenu(GetMenu(dialog), 1);
    SendMessageW(dialog, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(clipboardMenu), 1);
    EXPECT_TRUE(GetMenuState(clipboardMenu, ID_ENABLE_AUTOMODIFY, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_FALSE(GetMenuState(clipboardMenu, ID_DISABLE_AUTOMODIFY, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_TRUE(GetMenuState(clipboardMenu, ID_COPY_LAST_TO_CLIPBOARD, MF_BYCOMMAND) & MF_GRAYED)
        << "no picture captured yet";
    EXPECT_TRUE(GetMenuState(clipboardMenu, ID_PUT_ORIGINAL_BACK, MF_BYCOMMAND) & MF_GRAYED);
    // Handled by the main frame ...
    SendMessageW(dialog, WM_COMMAND, ID_DISABLE_AUTOMODIFY, 0);
    SendMessageW(dialog, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(clipboardMenu), 1);
    EXPECT_TRUE(GetMenuState(clipboardMenu, ID_DISABLE_AUTOMODIFY, MF_BYCOMMAND) & MF_CHECKED);
    // ... and by the application.
    SendMessageW(dialog, WM_COMMAND, ID_MODIFY_NOW, 0);
    // Help, the web site and updates.
    SendMessageW(dialog, WM_COMMAND, ID_HELP_ON_DIALOG, 0);
    SendMessageW(dialog, WM_COMMAND, ID_VISIT_WEBSITE, 0);
    SendMessageW(dialog, WM_COMMAND, ID_CHECK_UPDATES, 0);
    Focus(dialog, IDC_PERCENTAGE);
    PressKey(dialog, VK_F1);
    EXPECT_TRUE(WaitFor([] { return HelpShownCount() == 2; })) << "F1 showed no help";
    Click(dialog, IDCANCEL);
  });
  EXPECT_FALSE(frame->AutoModifyEnabled());
  EXPECT_EQ(app.ran, std::vector<UINT>{ID_MODIFY_NOW});
  const std::wstring topic = L"C:\\Velloform\\Velloform.chm::/velloform-documentation/options/picture-options.html";
  EXPECT_EQ(helpShown, (std::vector<std::wstring>{topic, topic})) << "the menu item and F1";
  ASSERT_EQ(addressesOpened.size(), 2u);
  EXPECT_EQ(addressesOpened[0], kWebSite);
  EXPECT_EQ(addressesOpened[1], std::wstring(kWebSite) + L"updates?p=Clipmend.exe&pv=2018&v=7,30,0,0");
}

// The advanced options, with colour 10 shadowed by colour 1 in palette 0.
struct AdvancedTest : DialogTest {
  void SetUp() override {
    DialogTest::SetUp();
    settings.oPalette = 0;
    settings.ComputeRepresentatives(0);
    settings.Crop = 1;
    settings.LeaveMargin = 1;
    settings.Margin = 0.5;
  }
  void DriveAdvanced(const std::function<void(HWND)>& user) {
    Drive(kAdvancedTitle, [this] { CColorEdit(*context).DoModal(); }, user);
  }
  static void SelectOnly(HWND dialog, std::initializer_list<int> colors) {
    HWND list = GetDlgItem(dialog, IDC_COLOR_LIST);
    SendMessageW(list, LB_SETSEL, FALSE, -1);
    for (int c : colors) SendMessageW(list, LB_SETSEL, TRUE, c - 1);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_COLOR_LIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
  }
};

TEST_F(AdvancedTest, ANewWidthReachesOnlyTheColoursThatStandForThemselves) {
  const double shadowed = settings.colors[10].width;
  DriveAdvanced([&](HWND dialog) {
    KeepScreenshot(dialog, L"advanced-options");
    SelectOnly(dialog, {10});
    EXPECT_FALSE(Enabled(dialog, IDC_EDIT_WIDTH)) << "colour 10 follows colour 1";
    EXPECT_FALSE(Enabled(dialog, IDC_LINE_COLOR));
    SelectOnly(dialog, {1});
    EXPECT_TRUE(Enabled(dialog, IDC_EDIT_WIDTH));
    EXPECT_EQ(Text(dialog, IDC_EDIT_WIDTH), L"0.010");
    Focus(dialog, IDC_EDIT_WIDTH);
    Type(dialog, IDC_EDIT_WIDTH, L"0.5");
    Focus(dialog, IDC_REMOVE_LINES);  // leaving the box sets the width
    // Several rows: the question first.
    SelectOnly(dialog, {2, 10});
    Focus(dialog, IDC_EDIT_WIDTH);
    Type(dialog, IDC_EDIT_WIDTH, L"0.125");
    {
      BoxCloser closer(L"Velloform");
      Focus(dialog, IDC_REMOVE_LINES);
      EXPECT_EQ(closer.Seen().text, L"Set multiple widths?");
    }
    Click(dialog, IDOK);
  });
  EXPECT_EQ(settings.colors[1].width, 0.5);
  EXPECT_EQ(settings.colors[2].width, 0.125);
  EXPECT_EQ(settings.colors[10].width, shadowed);
}

TEST_F(AdvancedTest, ResetAllAndTheMarginSteps) {
  settings.colors[5].lineColor = 0x123456;
  DriveAdvanced([&](HWND dialog) {
    EXPECT_EQ(Text(dialog, IDC_MARGIN), L"0.5");
    {
      BoxCloser closer(L"Velloform");
      Click(dialog, IDC_RESET_ALL);
      EXPECT_EQ(closer.Seen().text, L"Reset all widths and colors to default values?");
    }
    Focus(dialog, IDC_MARGIN);
    for (int step = 0; step < 5; ++step) {
      PressKey(dialog, VK_DOWN);
      SendMessageW(dialog, WM_NULL, 0, 0);
    }
    EXPECT_TRUE(WaitFor([&] { return Text(dialog, IDC_MARGIN) == L"0"; }))
        << "five steps down from 0.5 end at " << testing::PrintToString(Text(dialog, IDC_MARGIN));
    PressKey(dialog, VK_UP);
    EXPECT_TRUE(WaitFor([&] { return Text(dialog, IDC_MARGIN) == L"0.1"; }))
        << "one step up shows " << testing::PrintToString(Text(dialog, IDC_MARGIN));
    Click(dialog, IDOK);
  });
  EXPECT_EQ(settings.colors[5].lineColor, AcadPalettes()[5][0]);
  EXPECT_EQ(settings.colors[5].width, 0.01);
  EXPECT_DOUBLE_EQ(settings.Margin, 0.1);
}

// The colour buttons show the colours of the one row chosen; with several
// rows chosen they keep what they showed, which the dialog context keeps
// after the dialog has closed.
TEST_F(AdvancedTest, TheColourButtonsKeepTheColoursOfTheLastRowChosenAlone) {
  settings.colors[3].lineColor = 0x0000FF;
  settings.colors[3].fillColor = 0x00FF00;
  DriveAdvanced([&](HWND dialog) {
    const auto redrawButtons = [dialog] {
      for (int button : {IDC_LINE_COLOR, IDC_FILL_COLOR})
        RedrawWindow(GetDlgItem(dialog, button), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    };
    SelectOnly(dialog, {3});
    redrawButtons();
    SelectOnly(dialog, {3, 4});
    redrawButtons();
    Click(dialog, IDCANCEL);
  });
  EXPECT_EQ(context->colors.shownLine, 0x0000FFu);
  EXPECT_EQ(context->colors.shownFill, 0x00FF00u);
}

TEST_F(AdvancedTest, CancelLeavesTheTableAndOptionsAsTheyWere) {
  const auto table = settings.colors;
  DriveAdvanced([&](HWND dialog) {
    {
      BoxCloser closer(L"Velloform");
      Click(dialog, IDC_RESET_ALL);
    }
    Click(dialog, IDC_REMOVE_LINES);
    SendMessageW(dialog, WM_COMMAND, ID_HELP_BUTTON, 0);
    Click(dialog, IDCANCEL);
  });
  EXPECT_EQ(settings.colors[5].lineColor, table[5].lineColor);
  EXPECT_EQ(settings.RemoveLines, 0);
  EXPECT_EQ(helpShown,
            std::vector<std::wstring>{L"C:\\Velloform\\Velloform.chm::/velloform-documentation/options/advanced-options.html"});
}

TEST_F(DialogTest, PreferencesChangeTheSettingsButNotTheRegistry) {
  settings.AutoModify = 1;
  settings.ShowSplash = 2;  // on, as another program stored it
  settings.ReplaceCopyclip = 1;
  Drive(kPreferencesTitle, [this] { OpenPreferencesDialog(*context); }, [](HWND dialog) {
    EXPECT_FALSE(Enabled(dialog, IDC_REPLACE_COPYCLIP));
    EXPECT_FALSE(Enabled(dialog, IDC_ASK_TILEMODE));
    EXPECT_TRUE(Checked(dialog, IDC_SHOW_SPLASH));
    EXPECT_TRUE(Checked(dialog, IDC_IMPROVE_EMF));
    EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_AUTOMODIFY_MODE, CB_GETCURSEL, 0, 0), 1);
    KeepScreenshot(dialog, L"preferences");
    Choose(dialog, IDC_AUTOMODIFY_MODE, 3);
    Click(dialog, IDC_START_WITH_OPTIONS);
    Click(dialog, IDC_IMPROVE_EMF);
    SendMessageW(dialog, WM_COMMAND, ID_HELP_BUTTON, 0);
    Click(dialog, IDOK);
  });
  EXPECT_EQ(settings.AutoModify, 3);
  EXPECT_EQ(settings.StartWithOptions, 0);
  EXPECT_EQ(settings.ImproveEmf, 0);
  EXPECT_EQ(settings.ShowSplash, 2) << "an unchanged box keeps the stored value";
  EXPECT_EQ(settings.ReplaceCopyclip, 1);
  EXPECT_EQ(StoredInt(L"Preferences", L"AutoModify"), -12345) << "the preferences do not write the registry";
  EXPECT_EQ(helpShown,
            std::vector<std::wstring>{L"C:\\Velloform\\Velloform.chm::/velloform-documentation/options/user-preferences.html"});

  Drive(kPreferencesTitle, [this] { OpenPreferencesDialog(*context); }, [](HWND dialog) {
    Click(dialog, IDC_METRIC);
    Choose(dialog, IDC_AUTOMODIFY_MODE, 0);
    Click(dialog, IDCANCEL);
  });
  EXPECT_EQ(settings.AutoModify, 3);
  EXPECT_EQ(settings.IsMetric, 0);
}

TEST_F(DialogTest, AboutShowsTheCountAndOpensItsLinks) {
  settings.Jobs = 42;
  settings.Since = 1500000000;
  Drive(L"About Velloform", [this] { ShowAboutDialog(*context); }, [&](HWND dialog) {
    EXPECT_EQ(Text(dialog, IDC_STATISTICS), StatisticsLine(42, 1500000000));
    EXPECT_EQ(Text(dialog, IDC_STATISTICS).rfind(L"Velloform has modified 42 pictures since ", 0), 0u);
    EXPECT_EQ(Text(dialog, IDC_VERSION), L"2018 (v7.30)");
    KeepScreenshot(dialog, L"about");
    // A second request only brings the open one forward.
    SendMessageW(frame->Handle(), WM_COMMAND, ID_APP_ABOUT, 0);
    EXPECT_EQ(CountDialogs(L"About Velloform"), 1);
    SendDlgItemMessageW(dialog, IDC_MAIL_LINK, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    SendDlgItemMessageW(dialog, IDC_MAIL_LINK, WM_LBUTTONUP, 0, 0);
    Focus(dialog, IDOK);
    PressKey(dialog, VK_F1);
    EXPECT_TRUE(WaitFor([] { return HelpShownCount() == 1; })) << "F1 showed no help";
    Click(dialog, IDOK);
  });
  EXPECT_EQ(addressesOpened, std::vector<std::wstring>{kMailAddress}) << "a link without target opens its text";
  EXPECT_EQ(helpShown, std::vector<std::wstring>{L"C:\\Velloform\\Velloform.chm"});
  EXPECT_EQ(SingleDialog<CDlgAbout>::Open(), nullptr);
}

TEST_F(DialogTest, SplashScreenShowsItsPictureAndGoes) {
  ShowSplashScreen(nullptr, false);
  EXPECT_EQ(CurrentSplash(), nullptr) << "not wanted";
  ShowSplashScreen(nullptr, true);
  CSplashScreen* splash = CurrentSplash();
  ASSERT_NE(splash, nullptr);
  ShowSplashScreen(nullptr, true);
  EXPECT_EQ(CurrentSplash(), splash) << "a second request creates nothing";
  RECT area;
  GetWindowRect(splash->Handle(), &area);
  EXPECT_EQ(area.right - area.left, 560);
  EXPECT_EQ(area.bottom - area.top, 421);
  shell_test::PumpUntil([] { return false; }, 300);
  KeepScreenshot(splash->Handle(), L"splash");
  EXPECT_TRUE(shell_test::PumpUntil([] { return CurrentSplash() == nullptr; }, 10000)) << "still shown";
}

}  // namespace
