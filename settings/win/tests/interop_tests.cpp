// The INI code of the programs off Windows against the system's
// private-profile functions: each reads what the other writes, and both read
// hand-made files alike.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>

#include "ini_file.h"
#include "ini_file_store.h"
#include "memory_store.h"
#include "settings_test_support.h"
#include "win/windows_store.h"

namespace {

using settings_test::CollectedMessages;
using settings_test::TempFolder;

// Stands for "no such value" in the system's reads.
const std::wstring kAbsent = L"\x1F(absent)";

std::wstring SystemString(const std::wstring& path, const std::wstring& section, const std::wstring& name,
                          size_t bufferChars) {
  std::wstring buffer(bufferChars, L'\0');
  const DWORD copied = GetPrivateProfileStringW(section.c_str(), name.c_str(), kAbsent.c_str(), buffer.data(),
                                                static_cast<DWORD>(bufferChars), path.c_str());
  return buffer.substr(0, copied);
}

std::wstring NativeString(const std::wstring& path, const std::wstring& section, const std::wstring& name,
                          size_t bufferChars) {
  return ReadIniFile(path).Value(section, name, bufferChars).value_or(kAbsent);
}

std::string FileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Query {
  const wchar_t* section;
  const wchar_t* name;
};

TEST(IniInterop, BothReadHandMadeFilesAlike) {
  TempFolder folder;
  const std::string lines =
      "; comment\r\n"
      "early=1\r\n"
      "[Options]\r\n"
      "  Crop  =   1  \r\n"
      "Quoted=\"a b \"\r\n"
      "Single='x'\r\n"
      "Half=\"open\r\n"
      "Empty=\r\n"
      "Tabs=\t\t\r\n"
      "NoEquals\r\n"
      "Equals=a=b\r\n"
      "Hex=0x1F\r\n"
      "Upper=0X1F\r\n"
      "Octal=0o17\r\n"
      "Binary=0b101\r\n"
      "Signs=-0x10\r\n"
      "Wrap=4294967295\r\n"
      "Huge=99999999999\r\n"
      "Words=12abc\r\n"
      "Spaced=- 5\r\n"
      "Ansi=\x80\xE4\xA0x\xA0\r\n"
      "Long=123456789012345678901234567890123\r\n"
      "QuotedNine=\"12345678\"\r\n"
      "Dup=first\r\n"
      "dup=second\r\n"
      "[Broken\r\n"
      "InBroken=2\r\n"
      "[ Spaced ]\r\n"
      "Key=spaced\r\n"
      "[Trail]ing\n"
      "Key=lf only\n"
      "[Options]\r\n"
      "Later=3\r\n"
      "[Last]\r\n"
      "Unended=4";
  const Query queries[] = {
      {L"Options", L"Crop"},   {L"OPTIONS", L"crop"},   {L"Options", L"Quoted"},  {L"Options", L"Single"},
      {L"Options", L"Half"},   {L"Options", L"Empty"},  {L"Options", L"Tabs"},    {L"Options", L"NoEquals"},
      {L"Options", L"Equals"}, {L"Options", L"Hex"},    {L"Options", L"Upper"},   {L"Options", L"Octal"},
      {L"Options", L"Binary"}, {L"Options", L"Signs"},  {L"Options", L"Wrap"},    {L"Options", L"Huge"},
      {L"Options", L"Words"},  {L"Options", L"Spaced"}, {L"Options", L"Ansi"},    {L"Options", L"Long"},
      {L"Options", L"QuotedNine"}, {L"Options", L"Dup"}, {L"Options", L"InBroken"}, {L"Options", L"Later"},
      {L"Options", L"early"},  {L"Spaced", L"Key"},     {L"Trail", L"Key"},       {L"Last", L"Unended"},
      {L"Absent", L"Key"},     {L"Options", L"Absent"},
  };
  const struct {
    const char* name;
    std::string bytes;
  } files[] = {
      {"ansi.ini", lines},
      {"utf16.ini", std::string("\xFF\xFE[\0S\0]\0\r\0\n\0k\0=\0\xE4\0 \0\r\0\n\0", 24)},
      {"utf8.ini", "\xEF\xBB\xBF[S]\r\nk=\xC3\xA4\r\n"},
  };
  MemorySettingsStore registry;
  CollectedMessages messages;
  IniFileStore native(registry, messages);
  WindowsSettingsStore system(messages);
  for (const auto& file : files) {
    std::ofstream(folder.path() / file.name, std::ios::binary) << file.bytes;
    const std::wstring path = folder.File(file.name);
    std::vector<Query> asked(std::begin(queries), std::end(queries));
    asked.push_back({L"S", L"k"});
    for (const Query& q : asked) {
      const std::string what = std::string(file.name) + " " + ToUtf8(q.section) + "/" + ToUtf8(q.name);
      EXPECT_EQ(NativeString(path, q.section, q.name, kIniStringBuffer),
                SystemString(path, q.section, q.name, kIniStringBuffer))
          << what;
      EXPECT_EQ(NativeString(path, q.section, q.name, 10), SystemString(path, q.section, q.name, 10)) << what;
      EXPECT_EQ(native.ReadInt(q.section, q.name, path, -7), system.ReadInt(q.section, q.name, path, -7)) << what;
      EXPECT_EQ(native.ReadString(q.section, q.name, path, L"d"), system.ReadString(q.section, q.name, path, L"d"))
          << what;
    }
  }
}

// Values as the program writes them, and some it does not.
const struct {
  const wchar_t* section;
  const wchar_t* name;
  const wchar_t* value;
} kWrites[] = {
    {L"Velloform", L"Program Type", L"Clipmend.exe"},
    {L"Options", L"Margin", L"0.500000"},
    {L"Options\\Width", L"Color1", L"0.010000"},
    {L"Options\\FillColor", L"Color77", L"-19088744"},
    {L"Plotter/Device/WidthTable", L"color1", L"0.35"},
    {L"Options", L"Inner", L"a b=c"},
    {L"Options", L"Ansi", L"\u00E4\u20AC"},
    {L"OPTIONS", L"margin", L"0.750000"},  // the same value again, named otherwise
    {L"Velloform", L"Settings written", L"2017-Dec-08"},
};

TEST(IniInterop, WritersMakeTheSameFileAndReadEachOther) {
  TempFolder folder;
  const std::wstring nativePath = folder.File("native.vf3");
  const std::wstring systemPath = folder.File("system.vf3");
  for (const auto& w : kWrites) {
    ASSERT_FALSE(WriteIniValue(nativePath, w.section, w.name, w.value));
    ASSERT_TRUE(WritePrivateProfileStringW(w.section, w.name, w.value, systemPath.c_str()));
  }
  EXPECT_EQ(FileBytes(folder.path() / "native.vf3"), FileBytes(folder.path() / "system.vf3"));
  for (const auto& w : kWrites) {
    const std::string what = ToUtf8(w.section) + "/" + ToUtf8(w.name);
    const std::wstring expected = SystemString(systemPath, w.section, w.name, kIniStringBuffer);
    EXPECT_EQ(SystemString(nativePath, w.section, w.name, kIniStringBuffer), expected) << what;
    EXPECT_EQ(NativeString(systemPath, w.section, w.name, kIniStringBuffer), expected) << what;
  }
  EXPECT_EQ(NativeString(systemPath, L"Options", L"Margin", kIniStringBuffer), L"0.750000");
}

// The native INI store and the system's, each writing a file for the other.
struct BothStores : ::testing::Test {
  TempFolder folder;
  MemorySettingsStore registry;
  CollectedMessages messages;
  IniFileStore native{registry, messages};
  WindowsSettingsStore system{messages};
  struct Direction {
    SettingsStore* writer;
    SettingsStore* reader;
    const char* file;
  };
  const Direction directions[2] = {{&native, &system, "by-native.vf3"}, {&system, &native, "by-system.vf3"}};
};

TEST_F(BothStores, RecordSavedByOneIsLoadedEquallyByTheOther) {
  for (const auto& d : directions) {
    WmfSettings saved(*d.writer, messages);
    settings_test::MakeEveryValueDiffer(saved);
    ASSERT_TRUE(saved.TransferSettings(SettingsOp::SaveFile, folder.File(d.file)));
    WmfSettings loaded(*d.reader, messages);
    loaded.TransferSettings(SettingsOp::LoadFile, folder.File(d.file));
    SCOPED_TRACE(d.file);
    settings_test::ExpectSameSettings(saved, loaded);
  }
  EXPECT_TRUE(messages.errors.empty());
}

TEST_F(BothStores, SavingOverAFileKeepsTheColourOnlyEntry) {
  for (const auto& d : directions) {
    SCOPED_TRACE(d.file);
    std::ofstream(folder.path() / d.file, std::ios::binary)
        << "; from the plug-in\r\n[Velloform]\r\nColorOnly=1\r\n\r\n[Foreign]\r\nKeep=yes\r\n";
    const std::wstring path = folder.File(d.file);
    WmfSettings saved(*d.writer, messages);
    saved.Rotation = 90;
    saved.colors[3].lineColor = 0x123456;
    ASSERT_TRUE(saved.TransferSettings(SettingsOp::SaveFile, path));
    EXPECT_EQ(d.reader->ReadInt(L"Velloform", L"ColorOnly", path, 0), 1);
    EXPECT_EQ(d.reader->ReadString(L"Foreign", L"Keep", path, L""), L"yes");
    EXPECT_EQ(d.reader->ReadInt(L"Options", L"Rotation", path, 0), 90);

    WmfSettings loaded(*d.reader, messages);
    loaded.TransferSettings(SettingsOp::LoadFile, path);
    EXPECT_EQ(loaded.Rotation, 0);  // colour-only: the options are not taken
    EXPECT_EQ(loaded.colors[3].lineColor, 0x123456u);
  }
}

TEST(IniInterop, UnicodeFileStaysReadableAfterAnUpdate) {
  TempFolder folder;
  std::ofstream(folder.path() / "unicode.vf3", std::ios::binary)
      << std::string("\xFF\xFE[\0S\0]\0\r\0\n\0k\0=\0\xE4\0\r\0\n\0", 22);
  const std::wstring path = folder.File("unicode.vf3");
  ASSERT_FALSE(WriteIniValue(path, L"S", L"n", L"\u4E00"));
  EXPECT_EQ(SystemString(path, L"S", L"k", kIniStringBuffer), L"\u00E4");
  EXPECT_EQ(SystemString(path, L"S", L"n", kIniStringBuffer), L"\u4E00");
}

}  // namespace
