#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "ini_file.h"
#include "ini_file_store.h"
#include "memory_store.h"
#include "settings_test_support.h"
#ifdef _WIN32
#include "win/system_error_text.h"
#endif

namespace {

namespace fs = std::filesystem;
using settings_test::CollectedMessages;
using settings_test::TempFolder;

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }
std::string Text(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

std::string FileText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void PutFile(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// What the private-profile functions of Wine 8 read from the same lines.
TEST(IniDocument, ReadsAsThePrivateProfileFunctions) {
  const IniDocument document = IniDocument::Decode(Bytes(
      "; comment\r\n"
      "early=before any section\r\n"
      "[Options]\r\n"
      "  Crop  =   1  \r\n"
      "Quoted=\"a b \"\r\n"
      "Single='x'\r\n"
      "Half=\"open\r\n"
      "Lone=\"\r\n"
      "Empty=\r\n"
      "NoEquals\r\n"
      "Equals=a=b\r\n"
      "Dup=first\r\n"
      "dup=second\r\n"
      "[Broken\r\n"
      "InBroken=1\r\n"
      "[ Spaced ]\r\n"
      "Key=spaced\r\n"
      "[Trail]ing\n"
      "Key=trail\n"
      "[Options]\r\n"
      "Later=never seen\r\n"));
  const struct {
    const wchar_t* section;
    const wchar_t* name;
    std::optional<std::wstring> value;
  } cases[] = {
      {L"Options", L"Crop", L"1"},
      {L"OPTIONS", L"crop", L"1"},
      {L" Options ", L" Crop ", L"1"},
      {L"Options", L"Quoted", L"a b "},
      {L"Options", L"Single", L"x"},
      {L"Options", L"Half", L"\"open"},
      {L"Options", L"Lone", L"\""},
      {L"Options", L"Empty", L""},
      {L"Options", L"NoEquals", std::nullopt},
      {L"Options", L"Equals", L"a=b"},
      {L"Options", L"Dup", L"first"},
      {L"Options", L"InBroken", L"1"},  // "[Broken" is no header
      {L"Options", L"Later", std::nullopt},  // only the first section of a name counts
      {L"Options", L"early", std::nullopt},
      {L"Spaced", L"Key", L"spaced"},
      {L"Trail", L"Key", L"trail"},
      {L"Absent", L"Key", std::nullopt},
      {L"Options", L"", std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(document.Value(c.section, c.name, kIniStringBuffer), c.value)
        << ToUtf8(c.section) << "/" << ToUtf8(c.name);
}

TEST(IniDocument, ValuesAreCutToTheBuffer) {
  const IniDocument document = IniDocument::Decode(Bytes("[S]\nlong=123456789012\nquoted=\"12345678\"\n"));
  EXPECT_EQ(document.Value(L"S", L"long", 10), L"123456789");
  EXPECT_EQ(document.Value(L"S", L"quoted", 10), L"12345678");
  const std::string huge(2000, 'x');
  const IniDocument big = IniDocument::Decode(Bytes("[S]\nhuge=" + huge + "\n"));
  EXPECT_EQ(big.Value(L"S", L"huge", kIniStringBuffer)->size(), 1023u);
}

TEST(IniDocument, UpdatesInPlaceKeepingEverythingElse) {
  IniDocument document = IniDocument::Decode(Bytes(
      "; made by hand\n"
      "[Velloform]\n"
      "ColorOnly=1\n"
      "\n"
      "[options]\n"
      "  CROP = 0\n"
      "; keep me\n"
      "Other=5\n"
      "\n"
      "[Foreign]\n"
      "X=1"));
  document.SetValue(L"Options", L"Crop", L"1");
  document.SetValue(L"Options", L"Rotation", L"90");
  document.SetValue(L"Foreign", L"Y", L"2");
  document.SetValue(L"Options\\Width", L"Color1", L"0.010000");
  EXPECT_EQ(Text(document.Encode()),
            "; made by hand\n"
            "[Velloform]\n"
            "ColorOnly=1\n"
            "\n"
            "[options]\n"
            "CROP=1\n"
            "; keep me\n"
            "Other=5\n"
            "Rotation=90\r\n"
            "\n"
            "[Foreign]\n"
            "X=1\r\n"
            "Y=2\r\n"
            "[Options\\Width]\r\n"
            "Color1=0.010000\r\n");
}

// A strict decoder: the overlong form C0 8A of a line feed is no line break,
// so it cannot smuggle a second value into a line.
TEST(IniDocument, BrokenUtf8IsNoLineBreak) {
  const IniDocument document =
      IniDocument::Decode(Bytes("\xEF\xBB\xBF[Options]\r\nCrop=0\xC0\x8AMargin=1e999\r\nRotation=90\xE0\x80\n"));
  EXPECT_EQ(document.Value(L"Options", L"Margin", kIniStringBuffer), std::nullopt);
  EXPECT_EQ(document.Value(L"Options", L"Crop", kIniStringBuffer), L"0\uFFFD\uFFFDMargin=1e999");
  EXPECT_EQ(document.Value(L"Options", L"Rotation", kIniStringBuffer), L"90\uFFFD\uFFFD");
}

TEST(IniDocument, NewFileIsWrittenAsWindowsWritesIt) {
  IniDocument document;
  document.SetValue(L"Velloform", L"Program Type", L"Clipmend.exe");
  document.SetValue(L"Options", L"Crop", L"1");
  document.SetValue(L"Velloform", L"Program Version", L"7,30,0,0");
  EXPECT_EQ(Text(document.Encode()),
            "[Velloform]\r\nProgram Type=Clipmend.exe\r\nProgram Version=7,30,0,0\r\n[Options]\r\nCrop=1\r\n");
}

TEST(IniDocument, KeepsTheEncodingOfTheFile) {
  // Every byte of an ANSI file survives, whatever it means.
  std::string ansi = "[S]\r\nbytes=";
  for (int b = 0x80; b <= 0xFF; ++b) ansi.push_back(static_cast<char>(b));
  ansi += "\r\n";
  IniDocument fromAnsi = IniDocument::Decode(Bytes(ansi));
  EXPECT_EQ(fromAnsi.Value(L"S", L"bytes", kIniStringBuffer)->substr(0, 1), L"\u20AC");
  fromAnsi.SetValue(L"S", L"euro", L"\u20AC\u00E4\u4E00");
  EXPECT_EQ(Text(fromAnsi.Encode()), ansi + "euro=\x80\xE4?\r\n");

  const std::string utf16 = std::string("\xFF\xFE[\0S\0]\0\r\0\n\0k\0=\0\xE4\0\r\0\n\0", 22);
  IniDocument fromUtf16 = IniDocument::Decode(Bytes(utf16));
  EXPECT_EQ(fromUtf16.Value(L"S", L"k", kIniStringBuffer), L"\u00E4");
  fromUtf16.SetValue(L"S", L"n", L"1");
  EXPECT_EQ(Text(fromUtf16.Encode()), utf16 + std::string("n\0=\0\x31\0\r\0\n\0", 10));

  IniDocument fromUtf8 = IniDocument::Decode(Bytes("\xEF\xBB\xBF[S]\nk=\xC3\xA4\n"));
  EXPECT_EQ(fromUtf8.Value(L"S", L"k", kIniStringBuffer), L"\u00E4");
  fromUtf8.SetValue(L"S", L"k", L"\u20AC");
  EXPECT_EQ(Text(fromUtf8.Encode()), "\xEF\xBB\xBF[S]\nk=\xE2\x82\xAC\n");
}

TEST(WriteIniValue, CreatesAndUpdatesTheFile) {
  TempFolder folder;
  const std::wstring path = folder.File("new.vf3");
  EXPECT_FALSE(WriteIniValue(path, L"Options", L"Crop", L"1"));
  EXPECT_FALSE(WriteIniValue(path, L"Options", L"Crop", L"0"));
  EXPECT_EQ(FileText(folder.path() / "new.vf3"), "[Options]\r\nCrop=0\r\n");
  EXPECT_EQ(ReadIniFile(path).Value(L"options", L"CROP", kIniStringBuffer), L"0");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);
}

// The reasons in the system's words: the C library's off Windows, the
// system's error texts on Windows.
#ifdef _WIN32
const std::wstring kNoSuchFolder = SystemErrorText(ERROR_PATH_NOT_FOUND);
const std::wstring kIsAFolder = SystemErrorText(ERROR_ACCESS_DENIED);
const std::wstring kReadOnly = SystemErrorText(ERROR_ACCESS_DENIED);
#else
const std::wstring kNoSuchFolder = L"No such file or directory";
const std::wstring kIsAFolder = L"Is a directory";
const std::wstring kReadOnly = L"Permission denied";
#endif

TEST(WriteIniValue, FailureLeavesTheOldFileWhole) {
  TempFolder folder;
  const std::optional<std::wstring> missing = WriteIniValue(folder.File("no-such-folder/a.vf3"), L"S", L"k", L"v");
  EXPECT_EQ(missing, kNoSuchFolder);
  EXPECT_FALSE(fs::exists(folder.path() / "no-such-folder"));
  fs::create_directory(folder.path() / "folder.vf3");
  EXPECT_EQ(WriteIniValue(folder.File("folder.vf3"), L"S", L"k", L"v"), kIsAFolder);
  fs::remove(folder.path() / "folder.vf3");

  const fs::path locked = folder.path() / "locked.vf3";
  PutFile(locked, "[S]\r\nk=old\r\n");
  fs::permissions(locked, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  EXPECT_EQ(WriteIniValue(folder.File("locked.vf3"), L"S", L"k", L"new"), kReadOnly);
  EXPECT_EQ(FileText(locked), "[S]\r\nk=old\r\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);
}

#ifndef _WIN32
TEST(WriteIniValue, FollowsALinkToItsFile) {
  TempFolder folder;
  PutFile(folder.path() / "real.vf3", "[S]\r\nk=old\r\n");
  fs::create_symlink(folder.path() / "real.vf3", folder.path() / "link.vf3");
  EXPECT_FALSE(WriteIniValue(folder.File("link.vf3"), L"S", L"k", L"new"));
  EXPECT_TRUE(fs::is_symlink(folder.path() / "link.vf3"));
  EXPECT_EQ(FileText(folder.path() / "real.vf3"), "[S]\r\nk=new\r\n");
}
#endif

struct StoreFixture {
  TempFolder folder;
  MemorySettingsStore registry;
  CollectedMessages messages;
  IniFileStore store{registry, messages};
};

TEST(IniFileStore, ReadsWithTheStoreRules) {
  StoreFixture f;
  const std::wstring path = f.folder.File("read.vf3");
  PutFile(f.folder.path() / "read.vf3",
          "[Options]\nMargin=\nComma=0,75\nWord=abc\nCrop=0x10\nBlank=\nLong=" + std::string(1500, '7') + "\n");
  EXPECT_DOUBLE_EQ(f.store.ReadReal(L"Options", L"Margin", path, 0.5), 0.5);  // empty: the default
  EXPECT_DOUBLE_EQ(f.store.ReadReal(L"Options", L"Comma", path, 0.5), 0.75);
  EXPECT_DOUBLE_EQ(f.store.ReadReal(L"Options", L"Word", path, 0.5), 0);
  EXPECT_EQ(f.store.ReadString(L"Options", L"Blank", path, L"d"), L"d");
  EXPECT_EQ(f.store.ReadString(L"Options", L"Long", path, L"d").size(), 1023u);
  EXPECT_EQ(f.store.ReadInt(L"Options", L"Crop", path, 5), 16);
  EXPECT_EQ(f.store.ReadInt(L"Options", L"Blank", path, 5), 5);
  EXPECT_EQ(f.store.ReadInt(L"Options", L"Absent", path, 5), 5);
  EXPECT_EQ(f.store.ReadInt(L"Options", L"Crop", f.folder.File("absent.vf3"), 5), 5);
}

TEST(IniFileStore, InfiniteMarginLoadsAsTheDefault) {
  StoreFixture f;
  PutFile(f.folder.path() / "infinite.vf3", "[Options]\r\nMargin=1e999\r\nFixedWidth=-1e999\r\n"
                                             "[Options\\Width]\r\nColor1=1e999\r\nColor2=nan\r\n");
  WmfSettings settings(f.store, f.messages);
  settings.Margin = 2;
  settings.TransferSettings(SettingsOp::LoadFile, f.folder.File("infinite.vf3"));
  EXPECT_EQ(settings.Margin, 0.5);
  EXPECT_EQ(settings.FixedWidth, 0.01);
  EXPECT_EQ(settings.colors[1].width, 0.01);
  EXPECT_EQ(settings.colors[2].width, 0.01);
}

// A whole load works on the file as it was at its start, read once; a whole
// save leaves the file alone until its end and then writes it once.
TEST(IniFileStore, TransferReadsOnceAndWritesOnce) {
  StoreFixture f;
  const std::wstring path = f.folder.File("once.vf3");
  PutFile(f.folder.path() / "once.vf3", "[Options]\r\nRotation=90\r\n");
  f.store.BeginFileTransfer(path);
  fs::remove(f.folder.path() / "once.vf3");
  EXPECT_EQ(f.store.ReadInt(L"Options", L"Rotation", path, 0), 90);
  EXPECT_TRUE(f.store.EndFileTransfer());
  EXPECT_FALSE(fs::exists(f.folder.path() / "once.vf3"));

  f.store.BeginFileTransfer(path);
  EXPECT_TRUE(f.store.WriteInt(L"Options", L"Crop", path, 0));
  EXPECT_TRUE(f.store.WriteString(L"Velloform", L"Program Type", path, L"Clipmend.exe"));
  EXPECT_FALSE(fs::exists(f.folder.path() / "once.vf3"));
  EXPECT_EQ(f.store.ReadInt(L"Options", L"Crop", path, 1), 0);  // read back before it is written
  EXPECT_TRUE(f.store.EndFileTransfer());
  EXPECT_EQ(FileText(f.folder.path() / "once.vf3"), "[Options]\r\nCrop=0\r\n[Velloform]\r\nProgram Type=Clipmend.exe\r\n");
  EXPECT_TRUE(f.messages.errors.empty());
}

TEST(IniFileStore, RegistrySideGoesToTheOtherStore) {
  StoreFixture f;
  f.store.SetRegistryRoot(L"Software\\Test");
  EXPECT_TRUE(f.store.WriteInt(L"Options", L"Crop", L"", 0));
  EXPECT_TRUE(f.registry.GetRegistry(L"Options", L"Crop")->isDword);
  EXPECT_EQ(f.store.ReadInt(L"Options", L"Crop", L"", 1), 0);
  EXPECT_TRUE(fs::is_empty(f.folder.path()));
}

TEST(IniFileStore, UnwritableFileIsReportedOnce) {
  StoreFixture f;
  WmfSettings settings(f.store, f.messages);
  const std::wstring path = f.folder.File("no-such-folder/a.vf3");
  EXPECT_FALSE(settings.TransferSettings(SettingsOp::SaveFile, path));
  ASSERT_EQ(f.messages.errors.size(), 1u);
  EXPECT_EQ(f.messages.errors[0], L"Unable to write " + path + L":\n" + kNoSuchFolder);
  EXPECT_EQ(f.registry.RegistryValueCount(), 0u);
}

TEST(IniFileStore, SavedRecordIsReadBackEqual) {
  StoreFixture f;
  WmfSettings saved(f.store, f.messages);
  settings_test::MakeEveryValueDiffer(saved);
  const std::wstring path = f.folder.File("all.vf3");
  ASSERT_TRUE(saved.TransferSettings(SettingsOp::SaveFile, path));
  WmfSettings loaded(f.store, f.messages);
  loaded.TransferSettings(SettingsOp::LoadFile, path);
  settings_test::ExpectSameSettings(saved, loaded);
  EXPECT_TRUE(f.messages.errors.empty());
  const std::string text = FileText(f.folder.path() / "all.vf3");
  EXPECT_EQ(text.rfind("[Velloform]\r\nProgram Type=Clipmend.exe\r\nProgram Version=7,30,0,0\r\nSettings written=", 0), 0u);
  EXPECT_NE(text.find("\r\n[Options]\r\nCrop=0\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nMargin=2.625000\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\n[Options\\FillColor]\r\nColor1=197121\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nColor77=-19088744\r\n"), std::string::npos);
}

TEST(IniFileStore, SavingOverAFileKeepsWhatTheProgramDoesNotWrite) {
  StoreFixture f;
  const std::wstring path = f.folder.File("colours.vf3");
  PutFile(f.folder.path() / "colours.vf3",
          "; from the plug-in\r\n[Velloform]\r\nColorOnly=1\r\n\r\n[Foreign]\r\nKeep=yes\r\n");
  WmfSettings settings(f.store, f.messages);
  settings.Rotation = 90;
  settings.colors[3].lineColor = 0x123456;
  ASSERT_TRUE(settings.TransferSettings(SettingsOp::SaveFile, path)) << ToUtf8(f.messages.errors.at(0));
  const std::string text = FileText(f.folder.path() / "colours.vf3");
  EXPECT_EQ(text.rfind("; from the plug-in\r\n[Velloform]\r\nColorOnly=1\r\nProgram Type=Clipmend.exe\r\n", 0), 0u);
  EXPECT_NE(text.find("\r\n\r\n[Foreign]\r\nKeep=yes\r\n[Options]\r\n"), std::string::npos);

  // The ColorOnly entry still counts: only the colours are taken.
  WmfSettings loaded(f.store, f.messages);
  loaded.TransferSettings(SettingsOp::LoadFile, path);
  EXPECT_EQ(loaded.Rotation, 0);
  EXPECT_EQ(loaded.colors[3].lineColor, 0x123456u);
}

}  // namespace
