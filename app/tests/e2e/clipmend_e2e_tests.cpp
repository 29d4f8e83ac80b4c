// End-to-end: the real Clipmend.exe, started in this test's Wine prefix and
// driven from here through the real clipboard, the viewer chain, its windows
// and the registry.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "clipboard_test_support.h"
#include "clipboard_watch.h"
#include "generated_pictures.h"
#include "program_driver.h"
#include "sample_pictures.h"
#include "test_emf.h"
#include "test_emf_reading.h"
#include "test_pictures.h"
#include "wmf_file.h"

#include <windows.h>

#include "win/dialog_driver.h"
#include "resource.h"

namespace {

using namespace clipboard_test;
using namespace program_driver;
using wmf::test::Rec;

const wchar_t kProgram[] = CLIPMEND_EXE;
constexpr UINT kTrayCallbackMessage = WM_USER + 100;
const std::filesystem::path kArtifacts = CLIPMEND_TEST_ARTIFACT_DIR;

// How long the replacement takes is printed, not judged: on a busy machine
// it may take far longer than on the user's. The deadline only ends a wait
// that would otherwise never end.
constexpr double kReplacementDeadline = 60;

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

  // A picture the program leaves alone changes nothing that the test could
  // wait for, and waiting for a later picture proves nothing: the program
  // judges the clipboard as it is when a notice comes, so it may never see
  // the first. Instead the program's main window names the clipboard change
  // it has finished judging (its clipboard sequence number, in a window
  // property), modified or not, and the test waits for that.
  //
  // Puts a picture on the clipboard as another program does and waits until
  // the program has judged it; the clipboard's sequence number once the
  // picture was there (the program may have changed the clipboard since), or
  // 0 after a failure.
  DWORD PutJudged(const std::vector<uint8_t>& bits, const std::vector<const wchar_t*>& names,
                  const std::vector<UINT>& formats = {}) {
    return Judged([&] { return PutPicture(owner_.Handle(), bits, names, formats); });
  }
  // The same for what `put` puts there.
  DWORD Judged(const std::function<DWORD()>& put) {
    const DWORD sequence = put();
    if (!sequence) return 0;
    if (!JudgedSince(sequence)) {
      ADD_FAILURE() << "the program did not judge the clipboard within " << kReplacementDeadline << " s";
      return 0;
    }
    return sequence;
  }
  // Waits until the program has judged the clipboard as it was at `sequence`
  // or later.
  bool JudgedSince(DWORD sequence) {
    return PumpUntil([&] { return JudgedClipboardSequence(MainWindow()) >= sequence; }, kReplacementDeadline);
  }

  HANDLE process_ = nullptr;
  Viewer owner_;
};

TEST_F(Clipmend, AutoCadPictureIsReplaced) {
  Launch();
  const DWORD sequence = PutPicture(owner_.Handle(), SmallCadPicture(), {L"AutoCAD.r15 Picture"});
  const auto since = Clock::now();  // the clipboard has changed
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
  const auto putting = Clock::now();
  const DWORD sequence = PutPicture(owner_.Handle(), bits, {L"AutoCAD"});
  const auto since = Clock::now();  // the clipboard has changed
  const double seconds = SecondsUntilModified(sequence, since, kReplacementDeadline);
  ASSERT_GE(seconds, 0) << "not modified within " << kReplacementDeadline << " s";
  std::printf("%.1f MB picture modified after %.0f ms (putting it on the clipboard took %.0f ms)\n",
              bits.size() / 1e6, seconds * 1000, std::chrono::duration<double, std::milli>(since - putting).count());
}

// A program's exit code and what it wrote to its standard output.
std::pair<DWORD, std::string> RunCaptured(const std::wstring& program, const std::wstring& arguments) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE read = nullptr, write = nullptr;
  if (!CreatePipe(&read, &write, &inherit, 0)) return {~0u, ""};
  SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = write;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  std::wstring command = L"\"" + program + L"\" " + arguments;
  PROCESS_INFORMATION process{};
  const bool started = CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                      &startup, &process);
  CloseHandle(write);
  std::string output;
  char buffer[4096];
  DWORD got = 0;
  while (started && ReadFile(read, buffer, sizeof buffer, &got, nullptr) && got > 0) output.append(buffer, got);
  CloseHandle(read);
  DWORD code = ~0u;
  if (started) {
    WaitForSingleObject(process.hProcess, 60000);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  }
  return {code, output};
}

// A number of the output's part of wmfmend's --info.
long OutputNumber(const std::string& info, const std::string& key) {
  const size_t output = info.find("\"output\":");
  const size_t at = output == std::string::npos ? output : info.find("\"" + key + "\":", output);
  return at == std::string::npos ? -1 : std::stol(info.substr(at + key.size() + 3));
}

// Programs of today put their drawings on the clipboard as enhanced
// metafiles only; the program reads the system's conversion of it.
TEST_F(Clipmend, EnhancedCadPictureIsPublishedAtItsOwnSize) {
  CLIPMEND_SKIP_WITHOUT_EMF_SAMPLES();
  const std::vector<uint8_t> emf = wmf::test::FileBytes(wmf::test::EmfCorpusDir() / "labels-unicode.emf");
  // The system's conversion alone is improved, as when the picture is not
  // improved in its own format.
  SetPreference(L"Preferences", L"ImproveEmf", 0);
  Launch();
  // Without a CAD program's format it is left alone: what is there is the
  // system's conversion, as the program reads it.
  ASSERT_NE(Judged([&] { return PutEnhancedPicture(owner_.Handle(), emf); }), 0u);
  const ClipboardPicture conversion = ReadPicture();
  ASSERT_TRUE(conversion.present);
  ASSERT_FALSE(IsImproved(conversion));

  const DWORD sequence = Judged([&] { return PutEnhancedPicture(owner_.Handle(), emf, {L"AutoCAD.r19"}); });
  ASSERT_GE(SecondsUntilModified(sequence, Clock::now(), kReplacementDeadline), 0)
      << "not modified within " << kReplacementDeadline << " s";
  const ClipboardPicture out = ReadPicture();
  // 150 × 80 mm, cropped to its drawing, which is its frame.
  EXPECT_NEAR(out.pict.xExt, 15007, 0.03 * 15007);
  EXPECT_NEAR(out.pict.yExt, 8007, 0.03 * 8007);

  // wmfmend, told what the clipboard said, makes the same picture.
  const std::filesystem::path dir = kArtifacts / "conversion";
  std::filesystem::create_directories(dir);
  const std::filesystem::path input = dir / "labels-unicode-conversion.wmf", output = dir / "labels-unicode-mended.wmf";
  std::ofstream(input, std::ios::binary).write(reinterpret_cast<const char*>(conversion.bits.data()),
                                               static_cast<std::streamsize>(conversion.bits.size()));
  const std::wstring pict = L"--pict " + std::to_wstring(conversion.pict.mm) + L"," +
                            std::to_wstring(conversion.pict.xExt) + L"," + std::to_wstring(conversion.pict.yExt);
  const auto [infoCode, info] = RunCaptured(WMFMEND_EXE, L"--info --cad " + pict + L" \"" + input.wstring() + L"\"");
  ASSERT_EQ(infoCode, 0u) << info;
  EXPECT_EQ(OutputNumber(info, "xExt"), out.pict.xExt) << info;
  EXPECT_EQ(OutputNumber(info, "yExt"), out.pict.yExt) << info;
  const auto [code, ignored] = RunCaptured(
      WMFMEND_EXE, L"--cad " + pict + L" \"" + input.wstring() + L"\" \"" + output.wstring() + L"\"");
  ASSERT_EQ(code, 0u);
  const std::vector<uint8_t> file = wmf::test::FileBytes(output);
  ASSERT_GT(file.size(), wmf::kPlaceableHeaderBytes);
  EXPECT_TRUE(std::equal(out.bits.begin(), out.bits.end(), file.begin() + wmf::kPlaceableHeaderBytes, file.end()))
      << "the clipboard's picture and wmfmend's differ";
}

// A CAD program's enhanced metafile comes back improved in its own format,
// beside the improved Windows metafile, its text in its own characters.
TEST_F(Clipmend, EnhancedCadPictureIsImprovedInItsOwnFormat) {
  CLIPMEND_SKIP_WITHOUT_EMF_SAMPLES();
  const std::vector<uint8_t> emf = wmf::test::FileBytes(wmf::test::EmfCorpusDir() / "labels-unicode.emf");
  const wmf::EmfPicture original = wmf::test::ReadEmfOrFail(emf);
  SetPreference(L"Options", L"Rotation", 90);
  SetPreference(L"Options", L"MakeBlack", 1);
  Launch();
  const DWORD sequence = Judged([&] { return PutEnhancedPicture(owner_.Handle(), emf, {L"AutoCAD.r19"}); });
  ASSERT_GE(SecondsUntilModified(sequence, Clock::now(), kReplacementDeadline), 0)
      << "not modified within " << kReplacementDeadline << " s";

  const ClipboardEnhancedPicture out = ReadEnhancedPicture();
  ASSERT_TRUE(out.putAsOne) << "no enhanced metafile of the program's own on the clipboard";
  const wmf::EmfPicture improved = wmf::test::ReadEmfOrFail(out.bytes);
  // 150 × 80 mm, cropped to its drawing (its frame), turned a quarter.
  const wmf::EmfRect& frame = improved.header.frame;
  EXPECT_NEAR(frame.right - frame.left, 8007, 0.03 * 8007);
  EXPECT_NEAR(frame.bottom - frame.top, 15007, 0.03 * 15007);
  EXPECT_EQ(wmf::test::FirstWideText(improved), wmf::test::FirstWideText(original));
  EXPECT_FALSE(wmf::test::FirstWideText(original).empty());
  for (size_t i = 0; i < improved.size(); ++i) {
    const wmf::EmfRecordView r = improved[i];
    if (r.type == EMR_CREATEPEN) EXPECT_EQ(*r.U32(16), 0u) << "a line not black";
    if (r.type == EMR_EXTCREATEPEN) EXPECT_EQ(*r.U32(32), 0u) << "a line not black";
  }
  const ClipboardPicture beside = ReadPicture();
  EXPECT_TRUE(IsImproved(beside)) << "no improved Windows metafile beside it";
  EXPECT_NEAR(beside.pict.xExt, frame.right - frame.left, 0.03 * 8007);
  EXPECT_NEAR(beside.pict.yExt, frame.bottom - frame.top, 0.03 * 15007);
}

TEST_F(Clipmend, ModesDecideWhatIsModified) {
  SetPreference(L"Preferences", L"AutoModify", 1);
  Launch();
  const DWORD sequence = PutJudged(SmallCadPicture(), {L"Some Other Program"});
  ASSERT_NE(sequence, 0u);
  EXPECT_FALSE(IsImproved(ReadPicture())) << "mode 1 changed a picture without a CAD format";
  EXPECT_EQ(GetClipboardSequenceNumber(), sequence);

  // "&Modify and Replace now" modifies in every mode.
  PostMessageW(MainWindow(), WM_COMMAND, 40008, 0);
  EXPECT_GE(SecondsUntilModified(sequence, Clock::now(), kReplacementDeadline), 0);
}

TEST_F(Clipmend, MostTypesModeSkipsPicturesWithOtherData) {
  SetPreference(L"Preferences", L"AutoModify", 2);
  Launch();
  DWORD sequence = PutJudged(SmallCadPicture(), {});
  EXPECT_GE(SecondsUntilModified(sequence, Clock::now(), kReplacementDeadline), 0) << "a picture alone is modified in mode 2";
  sequence = PutJudged(SmallCadPicture(), {}, {CF_UNICODETEXT});
  ASSERT_NE(sequence, 0u);
  EXPECT_FALSE(IsImproved(ReadPicture())) << "a picture with text beside it is not";
  EXPECT_EQ(GetClipboardSequenceNumber(), sequence);
}

TEST_F(Clipmend, JobsAreCountedAndStoredAtExit) {
  Launch();
  for (int i = 0; i < 2; ++i) {
    const DWORD sequence = PutJudged(SmallCadPicture(), {L"AutoCAD"});
    ASSERT_GE(SecondsUntilModified(sequence, Clock::now(), kReplacementDeadline), 0);
    // Publishing its own picture does not make the program modify it again.
    const DWORD published = GetClipboardSequenceNumber();
    ASSERT_TRUE(JudgedSince(published)) << "its own picture was not judged within " << kReplacementDeadline << " s";
    EXPECT_EQ(GetClipboardSequenceNumber(), published) << "its own picture was modified again";
  }
  StopRunning();
  EXPECT_EQ(StoredNumber(L"Statistics", L"Jobs").value_or(0), 2u);
  EXPECT_TRUE(StoredNumber(L"Statistics", L"Since").has_value());
}

TEST_F(Clipmend, AllPicturesModeModifiesEachPictureOnce) {
  SetPreference(L"Preferences", L"AutoModify", 3);
  Launch();
  const DWORD sequence = PutJudged(SmallCadPicture(), {});
  ASSERT_GE(SecondsUntilModified(sequence, Clock::now(), kReplacementDeadline), 0);
  const DWORD published = GetClipboardSequenceNumber();
  ASSERT_TRUE(JudgedSince(published)) << "its own picture was not judged within " << kReplacementDeadline << " s";
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

  // A callback for another icon opens nothing. Sent, not posted, so that the
  // program has handled it when the call returns; a menu it opened would
  // keep the call from returning.
  DWORD_PTR result = 0;
  EXPECT_TRUE(SendMessageTimeoutW(MainWindow(), kTrayCallbackMessage, 108, WM_RBUTTONUP, SMTO_NORMAL, 20000, &result))
      << "a callback for another icon was not handled within 20 s";
  HWND other = FindWindowW(L"#32768", nullptr);
  EXPECT_TRUE(!other || !IsWindowVisible(other));
}

TEST_F(Clipmend, TipAppearsNearTheCursorAndGoesAway) {
  SetCursorPos(300, 200);
  Launch();
  // The tip is shown while the program judges the picture, and goes after a
  // while of its own: looked for once the judgement is known to be done.
  const DWORD sequence = PutJudged(SmallCadPicture(), {L"AutoCAD"});
  ASSERT_NE(sequence, 0u);
  const auto judged = Clock::now();
  HWND tip = nullptr;
  ASSERT_TRUE(PumpUntil([&] { return (tip = FindWindowW(nullptr, L"Tooltip Window")) && IsWindowVisible(tip); },
                        kReplacementDeadline))
      << "no tip within " << kReplacementDeadline << " s";
  RECT place;
  GetWindowRect(tip, &place);
  EXPECT_EQ(place.left, 300 - 4 + 10);  // the margin, then 10 right and 5 down of the cursor
  EXPECT_EQ(place.top, 200 - 2 + 5);

  // Keep a picture of it.
  SaveScreenArea(place, 20, kArtifacts / "tip-window.bmp");

  // How long it stays is printed, not judged: a busy machine stretches it.
  EXPECT_TRUE(PumpUntil([] { return FindWindowW(nullptr, L"Tooltip Window") == nullptr; }, 20))
      << "still there after 20 s";
  std::printf("the tip went %.1f s after the picture was judged\n",
              std::chrono::duration<double>(Clock::now() - judged).count());
  EXPECT_NE(GetClipboardSequenceNumber(), sequence);
}

// The program learns of changes as a clipboard format listener, which no
// viewer in the chain can cut off: a viewer that keeps every notice to
// itself leaves the viewers after it without notices, not the program.
TEST_F(Clipmend, AViewerThatSwallowsNoticesDoesNotStopThePictures) {
  Viewer behind, swallower;
  behind.Join();
  Launch();
  swallower.swallowNotices = true;
  swallower.Join();  // first in the chain now
  const size_t swallowed = swallower.notices.size(), reachedBehind = behind.notices.size();
  const DWORD sequence = PutPicture(owner_.Handle(), SmallCadPicture(), {L"AutoCAD"});
  EXPECT_GE(SecondsUntilModified(sequence, Clock::now(), kReplacementDeadline), 0)
      << "not modified within " << kReplacementDeadline << " s behind a viewer that breaks the chain";
  EXPECT_GT(swallower.notices.size(), swallowed) << "the misbehaving viewer was told of nothing";
  EXPECT_EQ(behind.notices.size(), reachedBehind) << "the viewer did not break the chain after all";
}

// Beside the program the chain stays whole: viewers that joined before and
// after its start are told of each change.
TEST_F(Clipmend, ViewerChainStaysWholeBesideTheProgram) {
  Viewer first, second;
  first.Join();
  Launch();
  second.Join();
  const size_t firstCount = first.notices.size(), secondCount = second.notices.size();
  const DWORD sequence = PutPicture(owner_.Handle(), SmallCadPicture(), {L"AutoCAD"});
  ASSERT_GE(SecondsUntilModified(sequence, Clock::now(), kReplacementDeadline), 0);
  EXPECT_TRUE(PumpUntil([&] { return first.notices.size() > firstCount; }, kReplacementDeadline))
      << "the notice did not reach the end of the chain within " << kReplacementDeadline << " s";
  EXPECT_GT(second.notices.size(), secondCount);
}

// The original goes back as it came, is not modified again and counts as no
// picture modified; the next picture is improved as before.
TEST_F(Clipmend, PutOriginalBackGivesTheCapturedPictureAndTheNextIsImprovedAgain) {
  Launch();
  const std::vector<uint8_t> bits = SmallCadPicture();
  const METAFILEPICT record{MM_ISOTROPIC, 16000, 12000};
  DWORD sequence = PutPicture(owner_.Handle(), bits, {L"AutoCAD"}, {}, record);
  ASSERT_GE(SecondsUntilModified(sequence, Clock::now(), kReplacementDeadline), 0);

  sequence = GetClipboardSequenceNumber();
  PostMessageW(MainWindow(), WM_COMMAND, ID_PUT_ORIGINAL_BACK, 0);
  ClipboardPicture back;
  ASSERT_TRUE(PumpUntil([&] { return GetClipboardSequenceNumber() != sequence && (back = ReadPicture()).present; },
                        kReplacementDeadline))
      << "nothing was put back within " << kReplacementDeadline << " s";
  EXPECT_EQ(back.bits, bits);
  EXPECT_EQ(back.pict.mm, record.mm);
  EXPECT_EQ(back.pict.xExt, record.xExt);
  EXPECT_EQ(back.pict.yExt, record.yExt);
  const DWORD restored = GetClipboardSequenceNumber();
  ASSERT_TRUE(JudgedSince(restored)) << "the program did not judge the original within " << kReplacementDeadline << " s";
  EXPECT_EQ(GetClipboardSequenceNumber(), restored) << "the original was modified again";

  sequence = PutPicture(owner_.Handle(), bits, {L"AutoCAD"}, {}, record);
  EXPECT_GE(SecondsUntilModified(sequence, Clock::now(), kReplacementDeadline), 0) << "the next picture stays as it is";
  StopRunning();
  EXPECT_EQ(StoredNumber(L"Statistics", L"Jobs").value_or(0), 2u) << "two pictures modified, one put back";
}

// A clipboard its program marked private is left alone even where every
// picture is modified, and not counted.
TEST_F(Clipmend, ContentMarkedPrivateIsLeftAlone) {
  SetPreference(L"Preferences", L"AutoModify", 3);
  Launch();
  const DWORD sequence =
      PutJudged(SmallCadPicture(), {L"AutoCAD", L"ExcludeClipboardContentFromMonitorProcessing"});
  ASSERT_NE(sequence, 0u);
  EXPECT_EQ(GetClipboardSequenceNumber(), sequence) << "the clipboard was changed";
  EXPECT_FALSE(IsImproved(ReadPicture()));
  StopRunning();
  EXPECT_EQ(StoredNumber(L"Statistics", L"Jobs").value_or(0), 0u);
}

}  // namespace

// The dialogs of the running program, driven as a user drives them.
namespace {

using namespace dialog_driver;

// Keeps what the screen shows of a window, with `margin` pixels around it.
void KeepScreenshot(HWND window, const wchar_t* name, int margin = 0) {
  RECT area;
  GetWindowRect(window, &area);
  SaveScreenArea(area, margin, kArtifacts / (std::wstring(name) + L".bmp"));
}
constexpr wchar_t kOptionsTitle[] = L"Velloform Options";
constexpr wchar_t kPreferencesTitle[] = L"Velloform User Preferences";
constexpr wchar_t kAboutTitle[] = L"About Velloform";

// A double click on the tray icon.
void DoubleClickTrayIcon() { PostMessageW(MainWindow(), kTrayCallbackMessage, 107, WM_LBUTTONDBLCLK); }

TEST_F(Clipmend, DoubleClickOpensTheOptionsOnceAndOkStoresThem) {
  Launch();
  DoubleClickTrayIcon();
  HWND options = WaitForDialog(kOptionsTitle);
  ASSERT_NE(options, nullptr) << "the double click opened no options";
  // Another double click and a second start only bring it forward.
  DoubleClickTrayIcon();
  HANDLE second = Start(kProgram);
  EXPECT_TRUE(Ended(second, 20));
  CloseHandle(second);
  // Both reach the program as posted messages, which its thread handles in
  // order: once a choice posted after them shows in the options, they have
  // been handled.
  PostMessageW(GetDlgItem(options, IDC_ROTATION), CB_SETCURSEL, 2, 0);
  EXPECT_TRUE(WaitFor([&] { return SendDlgItemMessageW(options, IDC_ROTATION, CB_GETCURSEL, 0, 0) == 2; }))
      << "the program handled no posted message within 20 s";
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
  HANDLE second = Start(kProgram);
  EXPECT_TRUE(Ended(second, 20));
  CloseHandle(second);
  HWND options = WaitForDialog(kOptionsTitle);
  ASSERT_NE(options, nullptr);
  Click(options, IDCANCEL);
  EXPECT_TRUE(WaitUntilGone(kOptionsTitle));
}

TEST_F(Clipmend, StartWithOptionsOpensThemAndPicturesAreStillModified) {
  SetPreference(L"Preferences", L"StartWithOptions", 1);
  process_ = Start(kProgram);
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
  EXPECT_EQ(Text(options, IDCANCEL), L"&Close");
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
  DWORD sequence = PutJudged(SmallCadPicture(), {L"AutoCAD"});
  ASSERT_NE(sequence, 0u);
  EXPECT_EQ(GetClipboardSequenceNumber(), sequence) << "mode 0 modified a CAD picture";

  PostMessageW(MainWindow(), WM_COMMAND, ID_USER_PREFERENCES, 0);
  preferences = WaitForDialog(kPreferencesTitle);
  ASSERT_NE(preferences, nullptr);
  Choose(preferences, IDC_AUTOMODIFY_MODE, 3);
  Click(preferences, IDOK);
  ASSERT_TRUE(WaitUntilGone(kPreferencesTitle));
  sequence = PutJudged(SmallCadPicture(), {}, {CF_UNICODETEXT});
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
    const std::wstring text = Text(about, IDC_STATISTICS);
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
  process_ = Start(kProgram);
  HWND splash = nullptr;
  ASSERT_TRUE(PumpUntil([&] { return (splash = FindWindowW(L"VelloformSplash", nullptr)) && IsWindowVisible(splash); }, 20))
      << "no splash screen";
  RECT place;
  GetWindowRect(splash, &place);
  EXPECT_EQ(place.right - place.left, 560);
  EXPECT_EQ(place.bottom - place.top, 421);
  PumpUntil([] { return false; }, 0.3);  // for the picture only: the X server shows what was drawn
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
// start-up. The preview of the last picture beside them.
TEST_F(Clipmend, OptionsAndPreviewAtLargerDisplayScales) {
  HKEY desktop;
  ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", &desktop), ERROR_SUCCESS);
  for (const DWORD dpi : {144u, 192u}) {
    const std::wstring percent = dpi == 144 ? L"150-percent" : L"200-percent";
    RegSetValueExW(desktop, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
    Launch();
    const DWORD sequence = PutPicture(owner_.Handle(), SmallCadPicture(), {L"AutoCAD"});
    EXPECT_GE(SecondsUntilModified(sequence, Clock::now(), kReplacementDeadline), 0);
    DoubleClickTrayIcon();
    HWND options = WaitForDialog(kOptionsTitle);
    EXPECT_NE(options, nullptr) << dpi << " dpi";
    if (options) {
      PumpUntil([] { return false; }, 0.5);  // for the picture only: the X server shows what was drawn
      KeepScreenshot(options, (L"options-" + percent).c_str());
      RECT place;
      GetWindowRect(options, &place);
      EXPECT_GT(place.right - place.left, 380 * static_cast<int>(dpi) / 96 * 9 / 10) << "not scaled at " << dpi;
      Click(options, ID_PREVIEW);
      HWND preview = FindWindowW(L"VelloformPreview", nullptr);
      EXPECT_TRUE(preview && IsWindowVisible(preview)) << "no preview at " << dpi;
      if (preview) {
        PumpUntil([] { return false; }, 0.5);  // for the picture only
        KeepScreenshot(preview, (L"preview-" + percent).c_str());
      }
      Click(options, IDCANCEL);
      WaitUntilGone(kOptionsTitle);
    }
    StopRunning();
  }
  RegDeleteValueW(desktop, L"LogPixels");
  RegCloseKey(desktop);
}

}  // namespace
