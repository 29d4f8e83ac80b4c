// Helpers shared by the settings tests of both builds.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "text_encoding.h"
#include "user_messages.h"
#include "wmf_settings.h"

namespace settings_test {

class CollectedMessages : public UserMessages {
 public:
  std::vector<std::wstring> errors, infos;
  void ErrorBox(const std::wstring& text) override { errors.push_back(text); }
  void InfoBox(const std::wstring& text) override { infos.push_back(text); }
};

// Gives every stored value a valid value other than its default. Widths are
// eighths, which "%f" writes exactly; one colour has the top bit set, so it
// is stored as a negative number.
inline void MakeEveryValueDiffer(WmfSettings& s) {
  for (const ScalarSetting& setting : ScalarSettings()) {
    if (setting.realField) {
      s.*setting.realField = setting.defaultValue + 2.125;
      continue;
    }
    const int def = static_cast<int>(setting.defaultValue);
    int value = def == 0 ? 1 : 0;
    if (setting.rule == SettingRule::Rotation) value = 270;
    if (setting.rule == SettingRule::UpTo3) value = def == 2 ? 3 : 2;
    if (setting.rule == SettingRule::UpTo8) value = 7;
    if (setting.rule == SettingRule::PaletteOrNone) value = -1;  // a forced palette would announce itself
    s.*setting.intField = value;
  }
  for (int c = 1; c < kColorNumbers; ++c) {
    s.colors[c].width = c / 8.0;
    s.colors[c].lineColor = static_cast<uint32_t>(c * 0x010203);
    s.colors[c].fillColor = static_cast<uint32_t>(c * 0x030201);
  }
  s.colors[77].fillColor = 0xFEDCBA98u;
}

// The values that options files and the registry keep, compared one by one.
inline void ExpectSameSettings(const WmfSettings& expected, const WmfSettings& actual) {
  for (const ScalarSetting& setting : ScalarSettings()) {
    if (setting.intField)
      EXPECT_EQ(actual.*setting.intField, expected.*setting.intField) << ToUtf8(setting.name);
    else
      EXPECT_EQ(actual.*setting.realField, expected.*setting.realField) << ToUtf8(setting.name);
  }
  for (int c = 1; c < kColorNumbers; ++c) {
    EXPECT_EQ(actual.colors[c].width, expected.colors[c].width) << "width of " << c;
    EXPECT_EQ(actual.colors[c].lineColor, expected.colors[c].lineColor) << "line colour of " << c;
    EXPECT_EQ(actual.colors[c].fillColor, expected.colors[c].fillColor) << "fill colour of " << c;
  }
}

// A fresh folder for one test, removed afterwards.
class TempFolder {
 public:
  TempFolder() {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    // The process number keeps apart the same test run by several builds at once.
    path_ = std::filesystem::temp_directory_path() / (std::string("clipmend-") + test->test_suite_name() + "-" +
                                                      test->name() + "-" + std::to_string(ProcessId()));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored))
      std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                   ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The path of a file in the folder, as the settings take paths.
  std::wstring File(const std::string& name) const { return Wide(path_ / name); }

  static std::wstring Wide(const std::filesystem::path& path) {
#ifdef _WIN32
    return path.wstring();
#else
    return FromUtf8(path.string());
#endif
  }

 private:
  static unsigned long ProcessId() {
#ifdef _WIN32
    return GetCurrentProcessId();
#else
    return static_cast<unsigned long>(getpid());
#endif
  }

  std::filesystem::path path_;
};

#ifdef _WIN32
// The tests' small file system (scripts/small-disk.sh), filled to the last
// byte with a file of its own, and an empty path when the build has none.
// Files written there before stay as they are.
inline std::wstring FillSmallDisk() {
  const std::wstring folder = CLIPMEND_SMALL_DISK_DIR;
  if (GetFileAttributesW((folder + L"\\.small-disk").c_str()) == INVALID_FILE_ATTRIBUTES) return L"";
  HANDLE filler = CreateFileW((folder + L"\\filler").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (filler == INVALID_HANDLE_VALUE) return L"";
  for (DWORD chunk : {4096u, 1u}) {
    const std::vector<char> bytes(chunk, 'x');
    DWORD written = 0;
    while (WriteFile(filler, bytes.data(), chunk, &written, nullptr) && written == chunk) {
    }
  }
  CloseHandle(filler);
  return folder;
}

// Empties the small file system again.
inline void EmptySmallDisk() {
  const std::filesystem::path folder(std::wstring(CLIPMEND_SMALL_DISK_DIR));
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ignored))
    if (entry.path().filename() != ".small-disk") std::filesystem::remove_all(entry.path(), ignored);
}
#endif

}  // namespace settings_test
