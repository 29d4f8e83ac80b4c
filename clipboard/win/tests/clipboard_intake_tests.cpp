// Intake against the real clipboard: pictures put on it the way CAD programs
// do, judged, captured and replaced.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "clipboard_intake.h"
#include "clipboard_test_support.h"
#include "emf_file.h"
#include "engine_harness.h"
#include "test_emf.h"
#include "test_emf_reading.h"

#include <windows.h>
#include <commdlg.h>
#include <dlgs.h>

#include "resource.h"
#include "settings_test_support.h"
#include "text_encoding.h"
#include "win/dialog_driver.h"
#include "win/system_error_text.h"

namespace {

using namespace clipboard_test;
using wmf::test::Rec;
using dialog_driver::DialogOfThread;
using dialog_driver::FindControl;

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
  ClipboardIntake intake{settings, harness.context, host, GetModuleHandleW(nullptr)};
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

TEST_F(IntakeFixture, UnreadablePictureStaysAsItWasAndTheReaderSaysWhy) {
  // A picture whose second record claims to be 2 words long.
  std::vector<uint8_t> bits = SmallCadPicture();
  bits[18 + 10] = 2;
  wmf::WmfPicture refused;
  std::string reason;
  ASSERT_FALSE(wmf::ReadWmf(bits, refused, reason));
  ASSERT_FALSE(reason.empty());
  const std::wstring why = FromUtf8(reason);
  PutPicture(otherProgram, bits, {L"AutoCAD"});
  HANDLE before = nullptr;
  ASSERT_TRUE(OpenClipboard(nullptr));
  before = GetClipboardData(CF_METAFILEPICT);
  CloseClipboard();
  if (!before) GTEST_SKIP() << "the system refused the malformed picture itself";

  intake.ModifyClipboardPicture(false);
  EXPECT_FALSE(intake.HaveLastPicture());
  EXPECT_EQ(intake.StatusText(), L"(WMF not modified: unreadable picture: " + why + L")");
  EXPECT_TRUE(messages.errors.empty()) << "automatic modification shows no box";
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_EQ(GetClipboardData(CF_METAFILEPICT), before);
  EXPECT_NE(GetClipboardData(RegisterClipboardFormatW(L"AutoCAD")), nullptr);
  CloseClipboard();

  // "Modify and Replace now" tells the reason in a box as well.
  intake.ModifyClipboardPicture(true);
  EXPECT_FALSE(intake.HaveLastPicture());
  ASSERT_EQ(messages.errors.size(), 1u);
  EXPECT_EQ(messages.errors[0], L"Metafile not properly loaded.\n" + why);
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
    intake.PutOriginalBack();
  };
  const int jobs = settings.Jobs;
  intake.ModifyClipboardPicture(false);
  EXPECT_EQ(nested, 1);
  EXPECT_EQ(settings.Jobs, jobs + 1);
  EXPECT_FALSE(intake.ClipboardBusy());
}

// Another program, in a thread of its own, holds the clipboard open until it
// is told to let go or its deadline passes.
class ClipboardHolder {
 public:
  ClipboardHolder() {
    thread_ = std::thread([this] {
      HWND window = CreateWindowExW(0, L"STATIC", L"holder", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr, nullptr, nullptr);
      opened_ = OpenClipboard(window) != FALSE;
      SetEvent(holding_);
      if (opened_) {
        WaitForSingleObject(release_, kDeadlineMs);
        CloseClipboard();
      }
      DestroyWindow(window);
    });
  }
  ~ClipboardHolder() {
    Release();
    thread_.join();
    CloseHandle(holding_);
    CloseHandle(release_);
  }
  // Whether the clipboard is held once the thread has tried.
  bool Holding() { return WaitForSingleObject(holding_, kDeadlineMs) == WAIT_OBJECT_0 && opened_; }
  void Release() { SetEvent(release_); }

 private:
  static constexpr DWORD kDeadlineMs = 60000;
  HANDLE holding_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE release_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::atomic<bool> opened_ = false;
  std::thread thread_;
};

// A picture arrives while another program holds the clipboard for longer
// than intake waits: it says so in clear words, changes nothing, and takes
// the picture on the next try once the clipboard is free.
TEST_F(IntakeFixture, ClipboardHeldByAnotherProgramIsReportedAndNothingIsLost) {
  PutPicture(otherProgram, SmallCadPicture(), {L"AutoCAD"});
  {
    ClipboardHolder holder;
    ASSERT_TRUE(holder.Holding()) << "the other program could not open the clipboard within 60 s";
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_METAFILEPICT));
    intake.ModifyClipboardPicture(false);
  }
  ASSERT_EQ(messages.errors.size(), 1u);
  EXPECT_EQ(messages.errors[0].rfind(L"Unable to open clipboard for reading:\n", 0), 0u);
  EXPECT_GT(messages.errors[0].size(), std::wstring(L"Unable to open clipboard for reading:\n").size())
      << "the reason is missing";
  EXPECT_EQ(intake.StatusText(), L"(unable to open clipboard for reading)");
  EXPECT_FALSE(intake.HaveLastPicture());
  EXPECT_FALSE(intake.ClipboardBusy());
  const ClipboardPicture untouched = ReadPicture();
  EXPECT_TRUE(untouched.present);
  EXPECT_FALSE(IsImproved(untouched));

  intake.ModifyClipboardPicture(false);
  EXPECT_TRUE(Modified());
  EXPECT_TRUE(intake.HaveLastPicture());
}

// What its program marked private is left alone in every mode and on
// command: the clipboard is not even opened (it is held by another program
// here, so an attempt would fail and say so), nothing is captured or counted.
TEST_F(IntakeFixture, ContentMarkedPrivateIsNeitherOpenedNorCapturedNorCounted) {
  const struct {
    int mode;
    bool force;
  } cases[] = {{1, false}, {2, false}, {3, false}, {0, true}, {3, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << c.mode << (c.force ? ", command" : ""));
    settings.AutoModify = c.mode;
    const DWORD sequence = PutPicture(otherProgram, SmallCadPicture(), {L"AutoCAD", kPrivateContentFormat});
    const int jobs = settings.Jobs;
    {
      ClipboardHolder holder;
      ASSERT_TRUE(holder.Holding()) << "the other program could not open the clipboard within 60 s";
      intake.ModifyClipboardPicture(c.force);
    }
    EXPECT_TRUE(messages.errors.empty()) << "the clipboard was opened";
    EXPECT_EQ(intake.StatusText(), L"(WMF not modified: marked private)");
    EXPECT_FALSE(intake.HaveLastPicture());
    EXPECT_EQ(settings.Jobs, jobs);
    EXPECT_EQ(GetClipboardSequenceNumber(), sequence);
    EXPECT_TRUE(host.notices.empty());
  }
}

// The last picture goes back exactly as the clipboard gave it, whatever its
// mapping mode and size, as the program's own picture, which automatic
// modification then leaves alone; the next picture of another program is
// improved again.
TEST_F(IntakeFixture, OriginalGoesBackAsCapturedAndTheNextPictureIsImprovedAgain) {
  settings.AutoModify = 3;  // every picture of another program is improved
  intake.PutOriginalBack();  // nothing captured yet: nothing happens
  EXPECT_TRUE(host.notices.empty());
  const std::vector<uint8_t> bits = SmallCadPicture();
  const METAFILEPICT records[] = {{MM_ANISOTROPIC, 20320, 15240}, {MM_ISOTROPIC, -4000, -3000}, {MM_TEXT, 800, 600}};
  for (const METAFILEPICT& record : records) {
    SCOPED_TRACE(testing::Message() << "mapping mode " << record.mm);
    PutPicture(otherProgram, bits, {L"AutoCAD"}, {}, record);
    intake.ModifyClipboardPicture(false);
    ASSERT_TRUE(Modified());
    const int jobs = settings.Jobs;
    host.notices.clear();

    intake.PutOriginalBack();
    const ClipboardPicture back = ReadPicture();
    EXPECT_EQ(back.bits, bits);
    EXPECT_EQ(back.pict.mm, record.mm);
    EXPECT_EQ(back.pict.xExt, record.xExt);
    EXPECT_EQ(back.pict.yExt, record.yExt);
    EXPECT_EQ(GetClipboardOwner(), host.MainWindow());
    EXPECT_EQ(settings.Jobs, jobs) << "putting it back is no modification";
    EXPECT_EQ(intake.StatusText(), L"(original restored)");
    EXPECT_EQ(host.notices, std::vector<std::wstring>{L"Velloform (original restored)"});

    const DWORD restored = GetClipboardSequenceNumber();
    intake.ModifyClipboardPicture(false);  // the notice of its own change
    EXPECT_EQ(GetClipboardSequenceNumber(), restored) << "the original was modified again";
    EXPECT_EQ(intake.StatusText(), L"(original restored)");
  }
  PutPicture(otherProgram, bits, {L"AutoCAD"});
  intake.ModifyClipboardPicture(false);
  EXPECT_TRUE(Modified());
  EXPECT_TRUE(messages.errors.empty());
}

TEST_F(IntakeFixture, OriginalThatCannotGoBackIsReportedAndKept) {
  PutPicture(otherProgram, SmallCadPicture(), {L"AutoCAD"});
  intake.ModifyClipboardPicture(false);
  const std::wstring status = intake.StatusText();
  const DWORD sequence = GetClipboardSequenceNumber();
  host.notices.clear();
  {
    ClipboardHolder holder;
    ASSERT_TRUE(holder.Holding()) << "the other program could not open the clipboard within 60 s";
    intake.PutOriginalBack();
  }
  ASSERT_EQ(messages.errors.size(), 1u);
  EXPECT_EQ(messages.errors[0].rfind(L"Unable to open clipboard for writing:\n", 0), 0u);
  EXPECT_EQ(intake.StatusText(), status);
  EXPECT_TRUE(host.notices.empty());
  EXPECT_EQ(GetClipboardSequenceNumber(), sequence);
  EXPECT_FALSE(intake.ClipboardBusy());
  intake.PutOriginalBack();  // the clipboard is free again: the original is still there to put back
  EXPECT_EQ(ReadPicture().bits, SmallCadPicture());
}

// A clipboard held only for a moment is waited for. Whether the other
// program lets go within intake's short wait depends on how busy the machine
// is, so both outcomes are accepted as long as nothing is lost; which one
// happened is printed.
TEST_F(IntakeFixture, ClipboardHeldForAMomentIsWaitedFor) {
  PutPicture(otherProgram, SmallCadPicture(), {L"AutoCAD"});
  std::thread releaser;
  {
    ClipboardHolder holder;
    ASSERT_TRUE(holder.Holding()) << "the other program could not open the clipboard within 60 s";
    releaser = std::thread([&holder] {
      Sleep(20);
      holder.Release();
    });
    intake.ModifyClipboardPicture(false);
    releaser.join();
  }
  if (messages.errors.empty()) {
    std::printf("the held clipboard was waited for\n");
    EXPECT_TRUE(Modified());
  } else {
    std::printf("the machine was too busy for intake's wait: %ls\n", messages.errors[0].c_str());
    EXPECT_EQ(intake.StatusText(), L"(unable to open clipboard for reading)");
    EXPECT_TRUE(ReadPicture().present);
    EXPECT_FALSE(Modified());
  }
}

// Broken METAFILEPICT records from other programs: no metafile, extents of
// zero or below, a metafile handle that is no metafile. Intake stays calm,
// and whatever it cannot read stays on the clipboard as it was.
TEST_F(IntakeFixture, BrokenPictureRecordsAreSurvived) {
  const std::vector<uint8_t> bits = SmallCadPicture();
  const struct {
    const char* name;
    LONG xExt, yExt;
    bool noMetafile, notAMetafile;
  } cases[] = {
      {"no metafile", 20320, 15240, true, false},
      {"a handle that is no metafile", 20320, 15240, false, true},
      {"zero extents", 0, 0, false, false},
      {"negative extents", -20320, -15240, false, false},
      {"one negative extent", 20320, -15240, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    messages.errors.clear();
    ASSERT_TRUE(OpenClipboard(otherProgram));
    ASSERT_TRUE(EmptyClipboard());
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(METAFILEPICT));
    ASSERT_NE(block, nullptr);
    auto* pict = static_cast<METAFILEPICT*>(GlobalLock(block));
    ASSERT_NE(pict, nullptr);
    HMETAFILE metafile = c.noMetafile     ? nullptr
                         : c.notAMetafile ? reinterpret_cast<HMETAFILE>(static_cast<INT_PTR>(0x4242))
                                          : SetMetaFileBitsEx(static_cast<UINT>(bits.size()), bits.data());
    *pict = METAFILEPICT{MM_ANISOTROPIC, c.xExt, c.yExt, metafile};
    GlobalUnlock(block);
    if (!SetClipboardData(CF_METAFILEPICT, block)) {
      GlobalFree(block);
      CloseClipboard();
      std::printf("%s: the system refused the record itself\n", c.name);
      continue;
    }
    ASSERT_NE(SetClipboardData(RegisterClipboardFormatW(L"AutoCAD"), GlobalAlloc(GMEM_MOVEABLE, 8)), nullptr);
    ASSERT_TRUE(CloseClipboard());

    intake.ModifyClipboardPicture(false);
    EXPECT_FALSE(intake.ClipboardBusy());
    if (c.noMetafile || c.notAMetafile) {
      EXPECT_EQ(intake.StatusText(), L"(WMF not modified: unreadable picture)");
      ASSERT_EQ(messages.errors.size(), 1u);
      EXPECT_EQ(messages.errors[0], L"Metafile not properly loaded.");
      EXPECT_TRUE(IsClipboardFormatAvailable(CF_METAFILEPICT)) << "the picture record was taken away";
    } else {
      // A picture without a suggested size is still a picture: it is improved.
      EXPECT_TRUE(messages.errors.empty());
      EXPECT_TRUE(Modified());
    }
  }
}

// Saving onto a read-only file or a full disk says so in clear words and
// leaves the file that was there as it was, with no partial file beside it.
TEST_F(IntakeFixture, UnwritableSaveTargetsAreReportedAndNothingIsLost) {
  PutPicture(otherProgram, SmallCadPicture(), {L"AutoCAD"});
  intake.ModifyClipboardPicture(false);
  ASSERT_TRUE(intake.HaveLastPicture());
  settings_test::TempFolder folder;
  const std::wstring readOnly = folder.File("read-only.wmf");
  std::ofstream(folder.path() / "read-only.wmf", std::ios::binary) << "old picture";
  ASSERT_TRUE(SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));

  settings_test::EmptySmallDisk();
  const std::wstring fullDisk = std::wstring(CLIPMEND_SMALL_DISK_DIR) + L"\\kept.wmf";
  std::ofstream(std::filesystem::path(fullDisk), std::ios::binary) << "old picture";
  const bool haveFullDisk = !settings_test::FillSmallDisk().empty();

  struct Target {
    std::wstring path;
    DWORD error;
  };
  std::vector<Target> targets = {{readOnly, ERROR_ACCESS_DENIED}};
  if (haveFullDisk) targets.push_back({fullDisk, ERROR_DISK_FULL});
  for (const Target& target : targets) {
    SCOPED_TRACE(ToUtf8(target.path));
    messages.errors.clear();
    intake.SaveLastTo(target.path);
    ASSERT_EQ(messages.errors.size(), 1u);
    EXPECT_EQ(messages.errors[0], L"Unable to write " + target.path + L":\n" + SystemErrorText(target.error));
    std::ifstream in(std::filesystem::path(target.path), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()), "old picture");
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(target.path + L".partial")));
  }
  SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
  settings_test::EmptySmallDisk();
  if (!haveFullDisk) GTEST_SKIP() << "the read-only file was tested; no small file system to fill for the full disk: "
                                     "scripts/small-disk.sh mounts one only as root";
}

TEST_F(IntakeFixture, SavedFileIsAPlaceablePictureOfTheLastCapture) {
  PutPicture(otherProgram, SmallCadPicture(), {L"AutoCAD"});
  intake.ModifyClipboardPicture(false);
  const std::filesystem::path path = std::filesystem::temp_directory_path() / "intake-save-test.wmf";
  const int jobs = settings.Jobs;
  wmf::win::SaveToFile(*intake.LastPicture(), settings, path.wstring(), messages);
  EXPECT_EQ(settings.Jobs, jobs + 1) << "a saved picture is a modified one";
  const wmf::WmfPicture saved = wmf::test::ReadOrFail(wmf::test::FileBytes(path));
  ASSERT_TRUE(saved.placeable.has_value());
  EXPECT_EQ(saved.placeable->right, 2005);
  EXPECT_EQ(saved.placeable->bottom, 1505);
  EXPECT_EQ(saved.placeable->inch, 1000);
  std::filesystem::remove(path);

  const std::wstring missing = L"Z:\\no\\such\\folder\\picture.wmf";
  wmf::win::SaveToFile(*intake.LastPicture(), settings, missing, messages);
  ASSERT_EQ(messages.errors.size(), 1u);
  EXPECT_EQ(messages.errors[0].rfind(L"Unable to write " + missing + L":\n", 0), 0u);
}

// A CAD program's enhanced metafile of 100 × 50 mm: its black background, a
// red line and a label in Cyrillic.
const std::u16string kLabel = u"Чертёж 1:50";
std::vector<uint8_t> CadEnhancedPicture() {
  using wmf::test::EmfBuilder;
  EmfBuilder e({0, 0, 9999, 4999});
  e.Handles(3)
      .Record(EMR_SETMAPMODE, {MM_ANISOTROPIC})
      .Record(EMR_SETWINDOWEXTEX, {10000, 5000})
      .Record(EMR_SETVIEWPORTEXTEX, {378, 189})
      .Record(EMR_CREATEBRUSHINDIRECT, {1, BS_SOLID, 0x000000, 0})
      .Record(EMR_SELECTOBJECT, {1})
      .Record(EMR_RECTANGLE, {0, 0, 10000, 5000})
      .Record(EMR_CREATEPEN, {2, PS_SOLID, 0, 0, 0x0000FF})
      .Record(EMR_SELECTOBJECT, {2})
      .Record(EMR_MOVETOEX, {2000, 1000})
      .Record(EMR_LINETO, {6000, 3000});
  // EMR_EXTTEXTOUTW: bounds, graphics mode, scales, then the EMRTEXT with the
  // characters at byte 76 of the record and their advances after them.
  std::vector<int32_t> text = {0, 0, -1, -1, GM_COMPATIBLE, 0, 0, 2500, 3500, static_cast<int32_t>(kLabel.size()),
                               76, 0, 0, 0, 0, 0, 76 + static_cast<int32_t>((kLabel.size() * 2 + 3) / 4 * 4)};
  std::vector<uint8_t> body(text.size() * 4);
  std::memcpy(body.data(), text.data(), body.size());
  const auto* chars = reinterpret_cast<const uint8_t*>(kLabel.data());
  body.insert(body.end(), chars, chars + kLabel.size() * 2);
  body.resize((body.size() + 3) / 4 * 4, 0);
  for (size_t i = 0; i < kLabel.size(); ++i) body.insert(body.end(), {200, 0, 0, 0});
  e.Raw(EMR_EXTTEXTOUTW, body);
  return e.Finish();
}

TEST_F(IntakeFixture, AnEnhancedMetafileIsImprovedInItsOwnFormatBesideItsWindowsMetafile) {
  PutEnhancedPicture(otherProgram, CadEnhancedPicture(), {L"AutoCAD.r19"});
  settings.Rotation = 90;
  const int jobs = settings.Jobs;
  intake.ModifyClipboardPicture(false);
  ASSERT_NE(intake.LastEnhancedPicture(), nullptr);
  EXPECT_TRUE(messages.errors.empty());
  EXPECT_EQ(settings.Jobs, jobs + 1) << "its two formats are one picture improved";

  const ClipboardEnhancedPicture out = ReadEnhancedPicture();
  EXPECT_TRUE(out.putAsOne) << "published as an enhanced metafile, not left to the system's conversion";
  const wmf::EmfPicture improved = wmf::test::ReadEmfOrFail(out.bytes);
  // Cropped to the line and label (40 × 25 mm of the 100 × 50) and turned.
  const wmf::EmfRect& frame = improved.header.frame;
  EXPECT_LT(frame.right - frame.left, 2600);
  EXPECT_GT(frame.bottom - frame.top, 3900);
  EXPECT_EQ(wmf::test::FirstWideText(improved), kLabel) << "the text keeps its characters";
  for (size_t i = 0; i < improved.size(); ++i) {
    if (improved[i].type == EMR_CREATEPEN) EXPECT_EQ(*improved[i].U32(16), 0x0000FFu);
  }
  EXPECT_TRUE(Modified()) << "and as the improved Windows metafile";
  const std::wstring status = intake.StatusText();
  EXPECT_EQ(status.rfind(L"(size: ", 0), 0u);

  // Put back, it is the enhanced metafile as its program made it.
  intake.PutOriginalBack();
  EXPECT_EQ(ReadEnhancedPicture().bytes, CadEnhancedPicture());
}

TEST_F(IntakeFixture, EnhancedMetafilesAreLeftToTheirConversionWhenThePreferenceIsOff) {
  settings.ImproveEmf = 0;
  PutEnhancedPicture(otherProgram, CadEnhancedPicture(), {L"AutoCAD.r19"});
  intake.ModifyClipboardPicture(false);
  EXPECT_EQ(intake.LastEnhancedPicture(), nullptr);
  EXPECT_TRUE(Modified());
  EXPECT_FALSE(ReadEnhancedPicture().putAsOne);
}

TEST_F(IntakeFixture, AWindowsMetafilesConversionIsNoEnhancedMetafileToImprove) {
  PutPicture(otherProgram, SmallCadPicture(), {L"AutoCAD"});
  intake.ModifyClipboardPicture(false);
  EXPECT_EQ(intake.LastEnhancedPicture(), nullptr);
  EXPECT_FALSE(ReadEnhancedPicture().putAsOne);
}

TEST_F(IntakeFixture, AnEnhancedMetafileIsSavedAsAnEmfFileOrAsAWindowsMetafile) {
  PutEnhancedPicture(otherProgram, CadEnhancedPicture(), {L"AutoCAD.r19"});
  intake.ModifyClipboardPicture(false);
  const std::filesystem::path folder = std::filesystem::temp_directory_path();
  const int jobs = settings.Jobs;
  intake.SaveLastTo((folder / "intake-save-test.emf").wstring());
  EXPECT_EQ(settings.Jobs, jobs + 1) << "a saved picture counts as one, as a saved Windows metafile does";
  const wmf::EmfPicture saved = wmf::test::ReadEmfOrFail(wmf::test::FileBytes(folder / "intake-save-test.emf"));
  EXPECT_EQ(wmf::test::FirstWideText(saved), kLabel);
  intake.SaveLastTo((folder / "intake-save-test.wmf").wstring());
  EXPECT_TRUE(wmf::test::ReadOrFail(wmf::test::FileBytes(folder / "intake-save-test.wmf")).placeable);
  EXPECT_TRUE(messages.errors.empty());
  std::filesystem::remove(folder / "intake-save-test.emf");
  std::filesystem::remove(folder / "intake-save-test.wmf");
}

}  // namespace

namespace {

// What the user did in the Save-as dialog, seen from a second thread.
struct DialogVisit {
  bool found = false;
  bool checkedAtFirst = false;
  std::wstring cancelText;
};

// The user of the Save-as dialog, in a second thread: waits for the dialog
// of the test's thread, toggles the pop-up box when asked, and either saves
// under `path` or closes the dialog. A dialog that has not appeared within
// the deadline, or that is still open after it, is cancelled, so that the
// test fails with a message instead of waiting for ever.
class SaveDialogUser {
 public:
  SaveDialogUser(DialogVisit& visit, bool toggle, std::wstring path)
      : visit_(visit), toggle_(toggle), path_(std::move(path)), testThread_(GetCurrentThreadId()) {
    thread_ = std::thread([this] { Run(); });
  }
  ~SaveDialogUser() { Finish(); }
  // Called once the dialog's run has returned.
  void Finish() {
    done_ = true;
    if (thread_.joinable()) thread_.join();
  }
  static constexpr int kDeadlineSeconds = 60;

 private:
  void Run() {
    const ULONGLONG deadline = GetTickCount64() + kDeadlineSeconds * 1000;
    while (!done_) {
      if (GetTickCount64() >= deadline) {
        // Any box of the test's thread, the dialog or a question over it.
        if (HWND open = DialogOfThread(testThread_, nullptr)) PostMessageW(open, WM_COMMAND, IDCANCEL, 0);
      } else if (HWND dialog = !visit_.found ? DialogOfThread(testThread_, L"Save as Velloform") : nullptr) {
        Visit(dialog);
      }
      Sleep(20);
    }
  }

  void Visit(HWND dialog) {
    visit_.found = true;
    HWND box = FindControl(dialog, IDC_POPUP_SAVE_AS);
    visit_.checkedAtFirst = box && SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
    if (toggle_ && box) SendMessageW(box, BM_CLICK, 0, 0);
    wchar_t text[64] = L"";
    GetDlgItemTextW(dialog, IDCANCEL, text, 64);
    visit_.cancelText = text;
    if (path_.empty()) {
      PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    } else {
      SendMessageW(dialog, CDM_SETCONTROLTEXT, cmb13, reinterpret_cast<LPARAM>(path_.c_str()));
      SendMessageW(dialog, CDM_SETCONTROLTEXT, edt1, reinterpret_cast<LPARAM>(path_.c_str()));
      PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    }
  }

  DialogVisit& visit_;
  const bool toggle_;
  const std::wstring path_;
  const DWORD testThread_;
  std::atomic<bool> done_ = false;
  std::thread thread_;
};

TEST_F(IntakeFixture, SaveAsDialogSavesTheLastPicture) {
  PutPicture(otherProgram, SmallCadPicture(), {L"AutoCAD"});
  intake.ModifyClipboardPicture(false);
  const std::filesystem::path path = std::filesystem::temp_directory_path() / "dialog-save-test.wmf";
  std::filesystem::remove(path);
  DialogVisit visit;
  SaveDialogUser user(visit, false, path.wstring());
  intake.SaveLastAsFile();
  user.Finish();
  ASSERT_TRUE(visit.found) << "the Save-as dialog did not appear within " << SaveDialogUser::kDeadlineSeconds << " s";
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
  SaveDialogUser user(visit, true, L"");
  intake.ModifyClipboardPicture(false);
  user.Finish();
  ASSERT_TRUE(visit.found) << "the Save-as dialog did not appear within " << SaveDialogUser::kDeadlineSeconds << " s";
  EXPECT_TRUE(visit.checkedAtFirst);
  EXPECT_EQ(visit.cancelText, L"&Close");
  EXPECT_EQ(settings.PopupSaveas, 0);
  EXPECT_TRUE(Modified());
}

}  // namespace
