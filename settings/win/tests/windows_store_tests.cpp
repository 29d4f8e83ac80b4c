// The Windows store against the real registry and private-profile functions.
#include <gtest/gtest.h>

#include <windows.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "settings_test_support.h"
#include "win/instance_message.h"
#include "win/program_settings.h"
#include "win/unique_handle.h"
#include "win/system_error_text.h"
#include "win/windows_store.h"

namespace {

using settings_test::CollectedMessages;
using settings_test::TempFolder;

const std::wstring kRoot = L"Software\\Tornvik\\Velloform";

// The store with a registry key of the test's own under HKEY_CURRENT_USER as
// its base, deleted afterwards.
class WindowsStore : public ::testing::Test {
 protected:
  void SetUp() override {
    basePath_ = L"Software\\ClipmendTests\\" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                FromUtf8(::testing::UnitTest::GetInstance()->current_test_info()->name());
    ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, basePath_.c_str(), base_.Out()), ERROR_SUCCESS);
    store_ = std::make_unique<WindowsSettingsStore>(messages_, base_.Get());
    store_->SetRegistryRoot(kRoot);
  }
  void TearDown() override {
    base_ = RegistryKey();
    RegDeleteTreeW(HKEY_CURRENT_USER, basePath_.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\ClipmendTests");  // once the last test's key is gone
  }

  WindowsSettingsStore& store() { return *store_; }

  // Puts a value of any type straight into the registry.
  void PutRaw(const std::wstring& section, const std::wstring& name, DWORD type, const void* data, DWORD size) {
    RegistryKey key;
    ASSERT_EQ(RegCreateKeyW(base_.Get(), (kRoot + L"\\" + section).c_str(), key.Out()), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key.Get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
  }
  void PutText(const std::wstring& section, const std::wstring& name, const std::wstring& text) {
    PutRaw(section, name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }
  void PutDword(const std::wstring& section, const std::wstring& name, DWORD value) {
    PutRaw(section, name, REG_DWORD, &value, sizeof value);
  }
  // The type of a stored value, or REG_NONE when it is absent.
  DWORD TypeOf(const std::wstring& section, const std::wstring& name) {
    DWORD type = REG_NONE;
    RegGetValueW(base_.Get(), (kRoot + L"\\" + section).c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type,
                 nullptr, nullptr);
    return type;
  }

  std::wstring basePath_;
  RegistryKey base_;
  CollectedMessages messages_;
  std::unique_ptr<WindowsSettingsStore> store_;
};

TEST_F(WindowsStore, RoundTripsEveryKindOfValue) {
  const std::wstring longest(1023, L'x');
  EXPECT_TRUE(store().WriteInt(L"Options", L"Crop", L"", 0));
  EXPECT_TRUE(store().WriteInt(L"Options", L"Colour", L"", -19088744));
  EXPECT_TRUE(store().WriteString(L"Velloform", L"Program Type", L"", L"Clipmend.exe"));
  EXPECT_TRUE(store().WriteString(L"Velloform", L"Longest", L"", longest));
  EXPECT_TRUE(store().WriteString(L"Velloform", L"Empty", L"", L""));
  EXPECT_TRUE(store().WriteReal(L"Options", L"Margin", L"", 0.01));
  EXPECT_TRUE(store().WriteReal(L"Options", L"Tiny", L"", 0.0000004));

  EXPECT_EQ(store().ReadInt(L"Options", L"Crop", L"", 1), 0);
  EXPECT_EQ(store().ReadInt(L"options", L"COLOUR", L"", 1), -19088744);
  EXPECT_EQ(store().ReadString(L"Velloform", L"Program Type", L"", L"d"), L"Clipmend.exe");
  EXPECT_EQ(store().ReadString(L"Velloform", L"Longest", L"", L"d"), longest);
  EXPECT_EQ(store().ReadString(L"Velloform", L"Empty", L"", L"d"), L"");
  EXPECT_EQ(store().ReadString(L"Options", L"Margin", L"", L"d"), L"0.010000");
  EXPECT_DOUBLE_EQ(store().ReadReal(L"Options", L"Margin", L"", 5), 0.01);
  EXPECT_DOUBLE_EQ(store().ReadReal(L"Options", L"Tiny", L"", 5), 0);
  EXPECT_EQ(TypeOf(L"Options", L"Crop"), static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(TypeOf(L"Options", L"Margin"), static_cast<DWORD>(REG_SZ));  // a real is text
  EXPECT_TRUE(messages_.errors.empty());
}

TEST_F(WindowsStore, RefusesValuesOfTheWrongKind) {
  PutText(L"Options", L"Crop", L"1");
  PutDword(L"Options", L"Margin", 3);
  PutDword(L"Velloform", L"Program Type", 1);
  PutText(L"Velloform", L"TooLong", std::wstring(1024, L'y'));
  const std::wstring expandable = L"%TEMP%";
  PutRaw(L"Velloform", L"Expandable", REG_EXPAND_SZ, expandable.c_str(),
         static_cast<DWORD>((expandable.size() + 1) * sizeof(wchar_t)));
  const uint8_t bytes[4] = {1, 0, 0, 0};
  PutRaw(L"Options", L"Binary", REG_BINARY, bytes, sizeof bytes);

  EXPECT_EQ(store().ReadInt(L"Options", L"Crop", L"", 7), 7);
  EXPECT_DOUBLE_EQ(store().ReadReal(L"Options", L"Margin", L"", 0.5), 0.5);
  EXPECT_EQ(store().ReadString(L"Velloform", L"Program Type", L"", L"d"), L"d");
  EXPECT_EQ(store().ReadString(L"Velloform", L"TooLong", L"", L"d"), L"d");
  EXPECT_EQ(store().ReadString(L"Velloform", L"Expandable", L"", L"d"), L"d");
  EXPECT_EQ(store().ReadInt(L"Options", L"Binary", L"", 7), 7);
  const uint64_t wide = 5;
  PutRaw(L"Options", L"Quad", REG_QWORD, &wide, sizeof wide);
  EXPECT_EQ(store().ReadInt(L"Options", L"Quad", L"", 7), 7);
  const uint16_t half = 5;
  PutRaw(L"Options", L"Short", REG_DWORD, &half, sizeof half);  // a DWORD of two bytes
  EXPECT_EQ(store().ReadInt(L"Options", L"Short", L"", 7), 7);
  const wchar_t multi[] = L"a\0b\0";
  PutRaw(L"Velloform", L"Multi", REG_MULTI_SZ, multi, sizeof multi);
  EXPECT_EQ(store().ReadString(L"Velloform", L"Multi", L"", L"d"), L"d");
  const std::wstring unterminated(1023, L'z');  // stored without its zero
  PutRaw(L"Velloform", L"Unterminated", REG_SZ, unterminated.data(),
         static_cast<DWORD>(unterminated.size() * sizeof(wchar_t)));
  EXPECT_EQ(store().ReadString(L"Velloform", L"Unterminated", L"", L"d"), unterminated);
  EXPECT_EQ(store().ReadInt(L"Options", L"Absent", L"", 7), 7);
  EXPECT_EQ(store().ReadInt(L"No Such Section", L"Crop", L"", 7), 7);
}

TEST_F(WindowsStore, CreatesDeepSectionsOnTheFirstWrite) {
  EXPECT_TRUE(store().WriteReal(L"Options\\Width", L"Color1", L"", 0.25));
  RegistryKey deep;
  EXPECT_EQ(RegOpenKeyExW(base_.Get(), (kRoot + L"\\Options\\Width").c_str(), 0, KEY_READ, deep.Out()),
            ERROR_SUCCESS);
  EXPECT_EQ(TypeOf(L"Options\\Width", L"Color1"), static_cast<DWORD>(REG_SZ));
  EXPECT_DOUBLE_EQ(store().ReadReal(L"Options\\Width", L"Color1", L"", 0), 0.25);
}

TEST_F(WindowsStore, NoKeyGivesEveryDefault) {
  WmfSettings settings(store(), messages_);
  for (const ScalarSetting& setting : ScalarSettings()) {
    const double value = setting.intField ? settings.*setting.intField : settings.*setting.realField;
    EXPECT_EQ(value, setting.defaultValue) << ToUtf8(setting.name);
  }
  for (int c = 1; c < kColorNumbers; ++c) {
    EXPECT_DOUBLE_EQ(settings.colors[c].width, 0.01);
    EXPECT_EQ(settings.colors[c].lineColor, AcadPalettes()[c][0]);
    EXPECT_EQ(settings.colors[c].fillColor, AcadPalettes()[c][0]);
  }
  EXPECT_EQ(settings.Jobs, 0);
  EXPECT_GT(settings.Since, 0);
  EXPECT_EQ(settings.ShowSplash, 1);
  EXPECT_TRUE(messages_.infos.empty());
  RegistryKey root;
  EXPECT_NE(RegOpenKeyExW(base_.Get(), kRoot.c_str(), 0, KEY_READ, root.Out()), ERROR_SUCCESS);  // nothing written
}

TEST_F(WindowsStore, SavedRecordIsReadBackEqual) {
  WmfSettings saved(store(), messages_);
  settings_test::MakeEveryValueDiffer(saved);
  saved.Jobs = 42;
  saved.Since = 1512734400;
  saved.ShowSplash = 2;
  saved.SaveToRegistry();
  EXPECT_EQ(TypeOf(L"Statistics", L"Since"), static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(TypeOf(L"V7,30,0,0", L"ShowSplash"), static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(TypeOf(L"Options\\LineColor", L"Color255"), static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(store().ReadString(L"Velloform", L"Program Version", L"", L""), L"7,30,0,0");

  WmfSettings loaded(store(), messages_);
  settings_test::ExpectSameSettings(saved, loaded);
  EXPECT_EQ(loaded.Jobs, 42);
  EXPECT_EQ(loaded.Since, 1512734400);
  EXPECT_EQ(loaded.ShowSplash, 2);
  EXPECT_TRUE(messages_.errors.empty());
}

TEST_F(WindowsStore, InvalidStoredValuesLoadAsTheirDefaults) {
  PutDword(L"Options", L"Rotation", 45);
  PutDword(L"Options", L"Crop", static_cast<DWORD>(-1));
  PutText(L"Options", L"LeaveMargin", L"0");
  PutText(L"Options", L"Margin", L"-1.000000");
  PutText(L"Options", L"Percentage", L"0");
  PutDword(L"Preferences", L"ForcedPalette", 9);
  PutText(L"Options\\Width", L"Color5", L"abc");  // reads as 0, which is valid
  PutText(L"Options\\Width", L"Color6", L"-2");
  WmfSettings settings(store(), messages_);
  EXPECT_EQ(settings.Rotation, 0);
  EXPECT_EQ(settings.Crop, 1);
  EXPECT_EQ(settings.LeaveMargin, 1);
  EXPECT_DOUBLE_EQ(settings.Margin, 0.5);
  EXPECT_DOUBLE_EQ(settings.Percentage, 100);
  EXPECT_EQ(settings.ForcedPalette, -1);
  EXPECT_DOUBLE_EQ(settings.colors[5].width, 0);
  EXPECT_DOUBLE_EQ(settings.colors[6].width, 0.01);
}

TEST_F(WindowsStore, ForcedPaletteIsAnnounced) {
  PutDword(L"Preferences", L"ForcedPalette", 2);
  WmfSettings settings(store(), messages_);
  EXPECT_EQ(settings.oPalette, 2);
  ASSERT_EQ(messages_.infos.size(), 1u);
  EXPECT_EQ(messages_.infos[0], L"Warning: Palette will be forced to 2");
}

// The private-profile side of the store.
class WindowsStoreFiles : public ::testing::Test {
 protected:
  TempFolder folder_;
  CollectedMessages messages_;
  WindowsSettingsStore store_{messages_};
};

TEST_F(WindowsStoreFiles, ReadsWithTheStoreRules) {
  const std::wstring path = folder_.File("read.vf3");
  std::ofstream(folder_.path() / "read.vf3", std::ios::binary)
      << "[Options]\r\nMargin=\r\nComma=0,75\r\nWord=abc\r\nLong=" << std::string(1500, '7') << "\r\n";
  EXPECT_DOUBLE_EQ(store_.ReadReal(L"Options", L"Margin", path, 0.5), 0.5);
  EXPECT_DOUBLE_EQ(store_.ReadReal(L"Options", L"Comma", path, 0.5), 0.75);
  EXPECT_DOUBLE_EQ(store_.ReadReal(L"Options", L"Word", path, 0.5), 0);
  EXPECT_EQ(store_.ReadString(L"Options", L"Long", path, L"d").size(), 1023u);
  EXPECT_EQ(store_.ReadInt(L"Options", L"Margin", path, 5), 5);
  EXPECT_EQ(store_.ReadString(L"Options", L"Absent", path, L"d"), L"d");
}

TEST_F(WindowsStoreFiles, UnwritableFilesAreReportedOnceWithTheSystemsText) {
  const std::wstring missing = folder_.File("no-such-folder\\a.vf3");
  const std::wstring readOnly = folder_.File("read-only.vf3");
  const std::wstring locked = folder_.File("locked.vf3");
  std::ofstream(folder_.path() / "read-only.vf3", std::ios::binary) << "[Velloform]\r\nColorOnly=1\r\n";
  ASSERT_TRUE(SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
  HANDLE lock = CreateFileW(locked.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);

  const struct {
    std::wstring path;
    DWORD error;
  } cases[] = {{missing, ERROR_PATH_NOT_FOUND}, {readOnly, ERROR_ACCESS_DENIED}, {locked, ERROR_SHARING_VIOLATION}};
  for (const auto& c : cases) {
    CollectedMessages messages;
    WindowsSettingsStore store(messages);
    WmfSettings settings(store, messages);
    EXPECT_FALSE(settings.TransferSettings(SettingsOp::SaveFile, c.path));
    ASSERT_EQ(messages.errors.size(), 1u) << ToUtf8(c.path);
    const std::wstring reason = SystemErrorText(c.error);
    EXPECT_FALSE(reason.empty());
    EXPECT_EQ(messages.errors[0], L"Unable to write " + c.path + L":\n" + reason);
  }
  CloseHandle(lock);
  SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
  std::ifstream in(folder_.path() / "read-only.vf3", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()),
            "[Velloform]\r\nColorOnly=1\r\n");
}

// Saving options onto a full disk says so once, in the system's words, and
// an options file saved there before keeps its content.
TEST_F(WindowsStoreFiles, FullDiskIsReportedOnceAndNothingIsLost) {
  settings_test::EmptySmallDisk();
  const std::wstring folder = CLIPMEND_SMALL_DISK_DIR;
  const std::wstring kept = folder + L"\\kept.vf3";
  const std::wstring added = folder + L"\\added.vf3";
  ASSERT_TRUE(WritePrivateProfileStringW(L"Velloform", L"ColorOnly", L"1", kept.c_str()));
  if (settings_test::FillSmallDisk().empty())
    GTEST_SKIP() << "no small file system to fill: scripts/small-disk.sh mounts one only as root";

  for (const std::wstring& path : {added, kept}) {
    CollectedMessages messages;
    WindowsSettingsStore store(messages);
    WmfSettings settings(store, messages);
    EXPECT_FALSE(settings.TransferSettings(SettingsOp::SaveFile, path));
    ASSERT_EQ(messages.errors.size(), 1u) << ToUtf8(path);
    EXPECT_EQ(messages.errors[0], L"Unable to write " + path + L":\n" + SystemErrorText(ERROR_DISK_FULL));
  }
  std::ifstream in(std::filesystem::path(kept), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()),
            "[Velloform]\r\nColorOnly=1\r\n");
  in.close();
  settings_test::EmptySmallDisk();
}

TEST(SystemErrorText, IsTheSystemsMessageWithItsLineBreak) {
  const std::wstring text = SystemErrorText(ERROR_FILE_NOT_FOUND);
  ASSERT_GE(text.size(), 2u);
  EXPECT_EQ(text.substr(text.size() - 2), L"\r\n");
  SetLastError(ERROR_ACCESS_DENIED);
  EXPECT_EQ(SystemErrorText(), SystemErrorText(ERROR_ACCESS_DENIED));
  EXPECT_EQ(SystemErrorText(0xDEADBEEF), L"");
}

TEST(FormatShortDate, UsesTheUsersShortDateFormat) {
  std::tm local{};
  const std::time_t since = 1512734400;  // 2017-12-08 12:00 UTC
  ASSERT_EQ(localtime_s(&local, &since), 0);
  SYSTEMTIME day{};
  day.wYear = static_cast<WORD>(local.tm_year + 1900);
  day.wMonth = static_cast<WORD>(local.tm_mon + 1);
  day.wDay = static_cast<WORD>(local.tm_mday);
  wchar_t expected[50];
  ASSERT_GT(GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &day, nullptr, expected, 50), 0);
  EXPECT_EQ(FormatShortDate(since), expected);
  EXPECT_NE(FormatShortDate(since).find(L"2017"), std::wstring::npos);
  EXPECT_EQ(FormatShortDate(-1), kUnknownDate);
}

TEST(InstanceMessage, IsTheRegisteredMessage) {
  const unsigned message = RegisterInstanceMessage();
  EXPECT_GE(message, 0xC000u);
  EXPECT_LE(message, 0xFFFFu);
  EXPECT_EQ(message, RegisterWindowMessageW(L"Velloform Clipboard"));
}

TEST(ProgramSettings, CarriesTheInstanceMessage) {
  CollectedMessages messages;
  ProgramSettings settings(messages);  // reads the build prefix's registry, writes nothing
  EXPECT_EQ(settings.record().InstanceMessage, RegisterWindowMessageW(L"Velloform Clipboard"));
  EXPECT_NE(dynamic_cast<WindowsSettingsStore*>(&settings.record().Store()), nullptr);
}

}  // namespace
