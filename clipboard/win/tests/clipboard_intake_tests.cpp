// Intake against the real clipboard: pictures put on it the way CAD programs
// do, judged, captured and replaced.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "clipboard_intake.h"
#include "clipboard_test_support.h"
#include "engine_harness.h"

#include <windows.h>
#include <commdlg.h>
#include <dlgs.h>

#include "resource.h"

namespace {

using namespace clipboard_test;
using wmf::test::Rec;

class TestHost : public IntakeHost {
 public:
  TestHost() {
    window_ = CreateWindowExW(0, L"STATIC", L"intake test", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr, nullptr, nullptr);
  }
  ~TestHost() override { DestroyWindow(window_); }
  HWND MainWindow() override { return window_; }
  void BringToForeground(HWND) override {}
  void ShowNotice(const std::wstring& text) override {
    notices.push_back(text);
    if (onNotice) onNotice();
  }
  std::vector<std::wstring> notices;
  std::function<void()> onNotice;

 private:
  HWND window_;
};

struct IntakeFixture : ::testing::Test {
  wmf::test::EngineHarness harness;
  WmfSettings& settings = harness.settings;
  wmf::test::CollectedMessages& messages = harness.messages;
  TestHost host;
  ClipboardIntake intake{harness.context, host, GetModuleHandleW(nullptr)};
  // The window of "another program" that puts pictures on the clipboard.
  HWND otherProgram = CreateWindowExW(0, L"STATIC", L"other", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ~IntakeFixture() override { DestroyWindow(otherProgram); }

  void SetUp() override { settings.LeaveMargin = 0; }
  bool Modified() { return IsImproved(ReadPicture()); }
};

TEST_F(IntakeFixture, AutoCadPictureIsReplacedByTheImprovedOne) {
  PutPicture(otherProgram, SmallCadPicture(), {L"AutoCAD.r15 Extra"});
  const int jobs = settings.Jobs;
  intake.ModifyClipboardPicture(false);

  const ClipboardPicture out = ReadPicture();
  ASSERT_GE(out.records.size(), 3u);
  EXPECT_EQ(out.records[0], Rec(META_SETMAPMODE, {8}));
  // Cropped to what is drawn, with room for the far edges of an exact crop.
  EXPECT_EQ(out.records[2], wmf::test::WindowExt(2005, 1505));
  for (const wmf::WmfRecord& r : out.records) EXPECT_NE(r.function, META_RECTANGLE);  // background gone
  EXPECT_EQ(out.pict.mm, MM_ANISOTROPIC);
  EXPECT_EQ(out.pict.xExt, 5092);  // 2.005 inches of the 8-inch picture
  EXPECT_EQ(out.pict.yExt, 3822);
  EXPECT_EQ(intake.StatusText(), L"(size: 2.00\" * 1.50\")");
  EXPECT_TRUE(intake.HaveLastPicture());
  EXPECT_EQ(settings.Jobs, jobs + 1);
  ASSERT_EQ(host.notices.size(), 1u);
  EXPECT_EQ(host.notices[0], L"Clipboard modified by Velloform\n(size: 2.00\" * 1.50\")");
  EXPECT_TRUE(messages.errors.empty());
}

struct ModeCase {
  const char* name;
  int mode;
  bool force;
  std::vector<const wchar_t*> names;  // registered formats beside the picture
  std::vector<UINT> formats;          // predefined formats beside it
  bool modified;
};

TEST_F(IntakeFixture, ModesDecideWhichPicturesAreModified) {
  const ModeCase cases[] = {
      {"mode 1 without a CAD name", 1, false, {}, {}, false},
      {"mode 1, only IntelliCAD", 1, false, {L"IntelliCAD Data"}, {}, false},
      {"mode 1, autosketch in capitals", 1, false, {L"AUTOSKETCH"}, {}, true},
      {"mode 2, picture alone", 2, false, {}, {}, true},
      {"mode 2 with other picture formats", 2, false, {}, {CF_DIB}, true},
      {"mode 2 with text", 2, false, {}, {CF_UNICODETEXT}, false},
      {"mode 2 with a registered format of another name", 2, false, {L"Rich Text Format"}, {}, true},
      {"mode 3 with text", 3, false, {}, {CF_UNICODETEXT}, true},
      {"command in mode 0", 0, true, {}, {CF_UNICODETEXT}, true},
  };
  for (const ModeCase& c : cases) {
    SCOPED_TRACE(c.name);
    settings.AutoModify = c.mode;
    PutPicture(otherProgram, SmallCadPicture(), c.names, c.formats);
    intake.ModifyClipboardPicture(c.force);
    EXPECT_EQ(Modified(), c.modified);
    if (!c.modified) {
      EXPECT_EQ(intake.StatusText(), L"(WMF not modified)");
    }
  }
}

TEST_F(IntakeFixture, IntelliCadPicturesUseTheirOwnPalette) {
  settings.AutoModify = 2;
  PutPicture(otherProgram, SmallCadPicture(), {L"IntelliCAD Data"});
  intake.ModifyClipboardPicture(false);
  ASSERT_TRUE(intake.HaveLastPicture());
  EXPECT_EQ(intake.LastPicture()->fromIntelliCad, 1);
  EXPECT_EQ(settings.oPalette, 8);
}

TEST_F(IntakeFixture, UnreadablePictureStaysAsItWas) {
  // A picture whose second record claims to be 2 words long.
  std::vector<uint8_t> bits = SmallCadPicture();
  bits[18 + 10] = 2;
  PutPicture(otherProgram, bits, {L"AutoCAD"});
  HANDLE before = nullptr;
  ASSERT_TRUE(OpenClipboard(nullptr));
  before = GetClipboardData(CF_METAFILEPICT);
  CloseClipboard();
  if (!before) GTEST_SKIP() << "the system refused the malformed picture itself";

  intake.ModifyClipboardPicture(false);
  EXPECT_FALSE(intake.HaveLastPicture());
  EXPECT_EQ(intake.StatusText(), L"(WMF not modified: unreadable picture)");
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_EQ(GetClipboardData(CF_METAFILEPICT), before);
  EXPECT_NE(GetClipboardData(RegisterClipboardFormatW(L"AutoCAD")), nullptr);
  CloseClipboard();
}

TEST_F(IntakeFixture, CopyLastPublishesAgainWithTheCurrentOptions) {
  intake.CopyLastToClipboard();  // nothing captured yet: nothing happens
  EXPECT_TRUE(host.notices.empty());

  PutPicture(otherProgram, SmallCadPicture(), {L"AutoCAD"});
  intake.ModifyClipboardPicture(false);
  settings.Rotation = 90;
  PutPicture(otherProgram, wmf::WriteWmf({wmf::test::LineTo(1, 1)}), {}, {CF_UNICODETEXT});
  intake.CopyLastToClipboard();
  const ClipboardPicture out = ReadPicture();
  ASSERT_GE(out.records.size(), 3u);
  EXPECT_EQ(out.records[2], wmf::test::WindowExt(1505, 2005));
  EXPECT_EQ(host.notices.size(), 2u);
}

TEST_F(IntakeFixture, ItsOwnPictureIsNotModifiedAgainWhenAnnouncedLate) {
  settings.AutoModify = 3;
  PutPicture(otherProgram, SmallCadPicture());
  intake.ModifyClipboardPicture(false);
  const ClipboardPicture first = ReadPicture();
  const std::wstring status = intake.StatusText();
  const int jobs = settings.Jobs;
  intake.ModifyClipboardPicture(false);  // the notice of its own change
  EXPECT_EQ(settings.Jobs, jobs);
  EXPECT_EQ(ReadPicture().records, first.records);
  EXPECT_EQ(intake.StatusText(), status);
  intake.ModifyClipboardPicture(true);  // the command still modifies it
  EXPECT_EQ(settings.Jobs, jobs + 1);
}

TEST_F(IntakeFixture, PublishingDoesNotTriggerASecondModification) {
  PutPicture(otherProgram, SmallCadPicture(), {L"AutoCAD"});
  int nested = 0;
  host.onNotice = [&] {
    ++nested;
    intake.ModifyClipboardPicture(true);  // what a clipboard notice during publishing would do
    intake.CopyLastToClipboard();
  };
  const int jobs = settings.Jobs;
  intake.ModifyClipboardPicture(false);
  EXPECT_EQ(nested, 1);
  EXPECT_EQ(settings.Jobs, jobs + 1);
  EXPECT_FALSE(intake.ClipboardBusy());
}

// Another thread holds the clipboard open for `milliseconds`.
std::thread HoldClipboard(int milliseconds, std::atomic<bool>& held) {
  return std::thread([milliseconds, &held] {
    HWND window = CreateWindowExW(0, L"STATIC", L"holder", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (OpenClipboard(window)) {
      held = true;
      Sleep(milliseconds);
      CloseClipboard();
    }
    held = true;
    DestroyWindow(window);
  });
}

TEST_F(IntakeFixture, ClipboardHeldForAMomentIsWaitedFor) {
  PutPicture(otherProgram, SmallCadPicture(), {L"AutoCAD"});
  std::atomic<bool> held = false;
  std::thread holder = HoldClipboard(100, held);
  while (!held) Sleep(1);
  intake.ModifyClipboardPicture(false);
  holder.join();
  EXPECT_TRUE(messages.errors.empty());
  EXPECT_TRUE(Modified());
}

TEST_F(IntakeFixture, ClipboardHeldLongerIsReportedAndNothingIsLost) {
  PutPicture(otherProgram, SmallCadPicture(), {L"AutoCAD"});
  std::atomic<bool> held = false;
  std::thread holder = HoldClipboard(1500, held);
  while (!held) Sleep(1);
  const bool available = IsClipboardFormatAvailable(CF_METAFILEPICT);
  intake.ModifyClipboardPicture(false);
  holder.join();
  EXPECT_TRUE(available);
  ASSERT_EQ(messages.errors.size(), 1u);
  EXPECT_EQ(messages.errors[0].rfind(L"Unable to open clipboard for reading:\n", 0), 0u);
  EXPECT_EQ(intake.StatusText(), L"(unable to open clipboard for reading)");
  EXPECT_FALSE(Modified());
  EXPECT_FALSE(intake.HaveLastPicture());
}

TEST_F(IntakeFixture, SavedFileIsAPlaceablePictureOfTheLastCapture) {
  PutPicture(otherProgram, SmallCadPicture(), {L"AutoCAD"});
  intake.ModifyClipboardPicture(false);
  const std::filesystem::path path = std::filesystem::temp_directory_path() / "intake-save-test.wmf";
  wmf::win::SaveToFile(*intake.LastPicture(), path.wstring(), messages);
  const wmf::WmfPicture saved = wmf::test::ReadOrFail(wmf::test::FileBytes(path));
  ASSERT_TRUE(saved.placeable.has_value());
  EXPECT_EQ(saved.placeable->right, 2005);
  EXPECT_EQ(saved.placeable->bottom, 1505);
  EXPECT_EQ(saved.placeable->inch, 1000);
  std::filesystem::remove(path);

  const std::wstring missing = L"Z:\\no\\such\\folder\\picture.wmf";
  wmf::win::SaveToFile(*intake.LastPicture(), missing, messages);
  ASSERT_EQ(messages.errors.size(), 1u);
  EXPECT_EQ(messages.errors[0].rfind(L"Unable to write " + missing + L":\n", 0), 0u);
}

}  // namespace

namespace {

HWND FindDialog(const wchar_t* title) {
  for (int i = 0; i < 500; ++i) {
    if (HWND dialog = FindWindowW(L"#32770", title); dialog && IsWindowVisible(dialog)) return dialog;
    Sleep(20);
  }
  return nullptr;
}

HWND FindControl(HWND dialog, int id) {
  struct Search {
    int id;
    HWND found;
  } search{id, nullptr};
  EnumChildWindows(
      dialog,
      [](HWND child, LPARAM data) {
        auto* s = reinterpret_cast<Search*>(data);
        if (GetDlgCtrlID(child) != s->id) return TRUE;
        s->found = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// What the user did in the Save-as dialog, seen from a second thread.
struct DialogVisit {
  bool found = false;
  bool checkedAtFirst = false;
  std::wstring cancelText;
};

// Waits for the dialog, toggles the pop-up box when asked, and either saves
// under `path` or closes the dialog.
std::thread VisitSaveDialog(DialogVisit& visit, bool toggle, const std::wstring& path) {
  return std::thread([&visit, toggle, path] {
    HWND dialog = FindDialog(L"Save as Velloform");
    if (!dialog) return;
    visit.found = true;
    HWND box = FindControl(dialog, IDC_POPUP_SAVE_AS);
    visit.checkedAtFirst = box && SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
    if (toggle && box) SendMessageW(box, BM_CLICK, 0, 0);
    wchar_t text[64] = L"";
    GetDlgItemTextW(dialog, IDCANCEL, text, 64);
    visit.cancelText = text;
    if (path.empty()) {
      PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    } else {
      SendMessageW(dialog, CDM_SETCONTROLTEXT, cmb13, reinterpret_cast<LPARAM>(path.c_str()));
      SendMessageW(dialog, CDM_SETCONTROLTEXT, edt1, reinterpret_cast<LPARAM>(path.c_str()));
      PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    }
  });
}

TEST_F(IntakeFixture, SaveAsDialogSavesTheLastPicture) {
  PutPicture(otherProgram, SmallCadPicture(), {L"AutoCAD"});
  intake.ModifyClipboardPicture(false);
  const std::filesystem::path path = std::filesystem::temp_directory_path() / "dialog-save-test.wmf";
  std::filesystem::remove(path);
  DialogVisit visit;
  std::thread user = VisitSaveDialog(visit, false, path.wstring());
  intake.SaveLastAsFile();
  user.join();
  ASSERT_TRUE(visit.found);
  EXPECT_FALSE(visit.checkedAtFirst);
  ASSERT_TRUE(std::filesystem::exists(path));
  EXPECT_TRUE(wmf::test::ReadOrFail(wmf::test::FileBytes(path)).placeable.has_value());
  std::filesystem::remove(path);
}

TEST_F(IntakeFixture, ClearingThePopUpBoxAndClosingKeepsItCleared) {
  PutPicture(otherProgram, SmallCadPicture(), {L"AutoCAD"});
  settings.PopupSaveas = 1;
  DialogVisit visit;
  // With the box set, intake opens the dialog itself after publishing.
  std::thread user = VisitSaveDialog(visit, true, L"");
  intake.ModifyClipboardPicture(false);
  user.join();
  ASSERT_TRUE(visit.found);
  EXPECT_TRUE(visit.checkedAtFirst);
  EXPECT_EQ(visit.cancelText, L"&Close");
  EXPECT_EQ(settings.PopupSaveas, 0);
  EXPECT_TRUE(Modified());
}

}  // namespace
