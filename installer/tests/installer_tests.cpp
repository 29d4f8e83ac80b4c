// The installer as administrators deploy it, silently, in a Wine prefix of
// its own: what an install puts where, that the installed program works, an
// upgrade over the running program, and an uninstall that leaves the prefix
// as it was before the install.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "clipboard_test_support.h"
#include "program_driver.h"
#include "win/dialog_driver.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

namespace {

namespace fs = std::filesystem;
using namespace clipboard_test;
using namespace program_driver;
using dialog_driver::FindDescendantOfClass;

const std::wstring kSetup = SETUP_EXE;
const std::wstring kVersion = VELLOFORM_VERSION;
const fs::path kBuiltClipmend = BUILT_CLIPMEND_EXE;
const fs::path kBuiltWmfmend = BUILT_WMFMEND_EXE;
const fs::path kBuiltHelp = BUILT_HELP_FILE;
const fs::path kArtifacts = INSTALLER_TEST_ARTIFACT_DIR;
const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velloform";
const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr double kInstallSeconds = 120;

fs::path KnownFolder(REFKNOWNFOLDERID id) {
  PWSTR path = nullptr;
  fs::path result;
  if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &path))) result = path;
  CoTaskMemFree(path);
  return result;
}

fs::path InstallFolder() { return KnownFolder(FOLDERID_LocalAppData) / L"Programs" / L"Velloform"; }
fs::path InstalledProgram() { return InstallFolder() / L"Clipmend.exe"; }
fs::path Uninstaller() { return InstallFolder() / L"uninstall.exe"; }
fs::path Shortcut() { return KnownFolder(FOLDERID_Programs) / L"Velloform.lnk"; }

std::string Utf8(const std::wstring& text) {
  std::string result(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, result.data(), static_cast<int>(result.size()), nullptr, nullptr);
  result.pop_back();
  return result;
}

std::wstring Quoted(const fs::path& path) { return L"\"" + path.wstring() + L"\""; }

std::optional<std::wstring> RegString(const wchar_t* key, const wchar_t* name) {
  wchar_t text[1024];
  DWORD size = sizeof text;
  if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
    return std::nullopt;
  return std::wstring(text);
}

bool KeyExists(const wchar_t* path) {
  HKEY key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

bool StartsWith(const std::wstring& text, const std::wstring& start) {
  return text.size() >= start.size() && _wcsnicmp(text.c_str(), start.c_str(), start.size()) == 0;
}

std::vector<char> Bytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

::testing::AssertionResult SameFile(const fs::path& installed, const fs::path& built) {
  if (!fs::exists(installed)) return ::testing::AssertionFailure() << installed << " is missing";
  if (Bytes(installed) != Bytes(built)) return ::testing::AssertionFailure() << installed << " differs from " << built;
  return ::testing::AssertionSuccess();
}

// The file a shortcut starts.
fs::path ShortcutTarget(const fs::path& link) {
  fs::path target;
  IShellLinkW* shellLink = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&shellLink))))
    return target;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    wchar_t path[MAX_PATH] = L"";
    if (SUCCEEDED(file->Load(link.c_str(), STGM_READ)) &&
        SUCCEEDED(shellLink->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH)))
      target = path;
    file->Release();
  }
  shellLink->Release();
  return target;
}

// Runs `program` with `arguments` and waits until its process has ended;
// its exit code, or -1 after a reported failure.
int RunToEnd(const std::wstring& program, const std::wstring& arguments) {
  HANDLE process = Start(program, arguments);
  if (!process) return -1;
  DWORD code = static_cast<DWORD>(-1);
  if (!Ended(process, kInstallSeconds))
    ADD_FAILURE() << "still running after " << kInstallSeconds << " s: " << Utf8(arguments);
  else
    GetExitCodeProcess(process, &code);
  CloseHandle(process);
  return static_cast<int>(code);
}

int Install(const std::wstring& arguments) { return RunToEnd(kSetup, arguments); }

// A run of the installed uninstaller. It hands over to a copy of itself in
// the temporary folder and ends at once, as NSIS uninstallers do; a job
// object sees that copy and everything it starts too.
class UninstallerRun {
 public:
  explicit UninstallerRun(const std::wstring& arguments) : job_(CreateJobObjectW(nullptr, nullptr)) {
    std::wstring command = Quoted(Uninstaller()) + L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(Uninstaller().c_str(), command.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                        nullptr, &startup, &process)) {
      ADD_FAILURE() << "cannot start the uninstaller: " << GetLastError();
      return;
    }
    EXPECT_TRUE(AssignProcessToJobObject(job_, process.hProcess));
    ResumeThread(process.hThread);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  ~UninstallerRun() { CloseHandle(job_); }
  UninstallerRun(const UninstallerRun&) = delete;
  UninstallerRun& operator=(const UninstallerRun&) = delete;
  // True when every process of the run has ended within `seconds`.
  bool Ended(double seconds) {
    return PumpUntil(
        [&] {
          JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
          return QueryInformationJobObject(job_, JobObjectBasicAccountingInformation, &accounting,
                                           sizeof accounting, nullptr) &&
                 accounting.ActiveProcesses == 0;
        },
        seconds);
  }

 private:
  HANDLE job_;
};

void Uninstall(const std::wstring& arguments) {
  UninstallerRun run(arguments);
  EXPECT_TRUE(run.Ended(kInstallSeconds)) << "the uninstaller still runs after " << kInstallSeconds << " s";
}

// A visible top-level window of the installer or the uninstaller, by the
// start of its title ("Velloform Setup", "Velloform Uninstall"), that has a
// control `id`: its wizard (IDOK, the button that goes on) or a question box
// (IDYES).
HWND WizardWindow(const wchar_t* title, int id) {
  struct Search {
    const wchar_t* title;
    int id;
    HWND found;
  } search{title, id, nullptr};
  EnumWindows(
      [](HWND window, LPARAM parameter) -> BOOL {
        auto* s = reinterpret_cast<Search*>(parameter);
        wchar_t title[64] = L"";
        GetWindowTextW(window, title, 64);
        // (NSIS ends the title with a blank.)
        if (!StartsWith(title, s->title) || !IsWindowVisible(window)) return TRUE;
        if (!GetDlgItem(window, s->id) || (s->id != IDYES && GetDlgItem(window, IDYES))) return TRUE;
        s->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Whether the wizard's button that goes on is enabled and says `label`.
bool NextButtonSays(HWND wizard, const std::wstring& label) {
  wchar_t text[32] = L"";
  GetDlgItemTextW(wizard, IDOK, text, 32);
  return IsWindowEnabled(GetDlgItem(wizard, IDOK)) && text == label;
}

// Whether the screen shows a dark pixel, as text is, within `window`.
bool ShowsDarkPixels(HWND window) {
  RECT area;
  if (!GetWindowRect(window, &area)) return false;
  HDC screen = GetDC(nullptr);
  bool dark = false;
  for (int y = area.top; y < area.bottom && !dark; ++y)
    for (int x = area.left; x < area.right && !dark; ++x) {
      const COLORREF pixel = GetPixel(screen, x, y);
      dark = pixel != CLR_INVALID && GetRValue(pixel) < 64 && GetGValue(pixel) < 64 && GetBValue(pixel) < 64;
    }
  ReleaseDC(nullptr, screen);
  return dark;
}

// Keeps a picture of `window` once the screen shows the text of its part
// `shown` (Wine shows a window on the screen a little after it exists).
void SavePicture(HWND window, HWND shown, const wchar_t* name) {
  EXPECT_TRUE(PumpUntil([&] { return ShowsDarkPixels(shown); }, 10)) << "the window shows no text within 10 s";
  RECT place;
  GetWindowRect(window, &place);
  SaveScreenArea(place, 10, kArtifacts / name);
}

// The prefix as files and registry entries, each with what it holds, to
// compare before and after.
struct PrefixState {
  std::map<std::wstring, std::wstring> files;     // path -> size and time of the last write
  std::map<std::wstring, std::wstring> registry;  // key, or key\@value name -> type and data
};

std::wstring Hex(const BYTE* bytes, size_t size) {
  std::wstring text;
  for (size_t i = 0; i < size; ++i) {
    text += L"0123456789abcdef"[bytes[i] >> 4];
    text += L"0123456789abcdef"[bytes[i] & 15];
  }
  return text;
}

void ListRegistry(HKEY root, const std::wstring& path, std::map<std::wstring, std::wstring>& into) {
  HKEY key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  into[path] = L"";
  DWORD longestKeyName = 0, longestValueName = 0, largestData = 0;
  RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, &longestKeyName, nullptr, nullptr, &longestValueName,
                   &largestData, nullptr, nullptr);
  std::vector<wchar_t> name(std::max(longestKeyName, longestValueName) + 1);
  std::vector<std::wstring> children;
  for (DWORD i = 0;; ++i) {
    DWORD length = static_cast<DWORD>(name.size());
    if (RegEnumKeyExW(key, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    children.emplace_back(name.data());
  }
  std::vector<BYTE> data(largestData + 1);
  for (DWORD i = 0;; ++i) {
    DWORD length = static_cast<DWORD>(name.size()), size = static_cast<DWORD>(data.size()), type = 0;
    if (RegEnumValueW(key, i, name.data(), &length, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) break;
    into[path + L"\\@" + name.data()] = std::to_wstring(type) + L":" + Hex(data.data(), size);
  }
  RegCloseKey(key);
  for (const std::wstring& child : children) ListRegistry(root, path.empty() ? child : path + L"\\" + child, into);
}

PrefixState Snapshot() {
  PrefixState state;
  // Temporary files come and go: the uninstaller runs from a copy there.
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::vector<std::wstring> skippedFolders = {temp, L"C:\\windows\\temp\\"};
  std::error_code error;
  for (fs::recursive_directory_iterator it(L"C:\\", fs::directory_options::skip_permission_denied, error), end;
       it != end; it.increment(error)) {
    const std::wstring path = it->path().wstring();
    if (std::any_of(skippedFolders.begin(), skippedFolders.end(),
                    [&](const std::wstring& skipped) { return StartsWith(path, skipped); }))
      continue;
    std::wstring held;
    if (it->is_regular_file(error))
      held = std::to_wstring(it->file_size(error)) + L" bytes, written " +
             std::to_wstring(it->last_write_time(error).time_since_epoch().count());
    state.files[path] = held;
  }
  std::map<std::wstring, std::wstring> user, machine;
  ListRegistry(HKEY_CURRENT_USER, L"", user);
  ListRegistry(HKEY_LOCAL_MACHINE, L"Software", machine);
  for (auto& [name, data] : user) state.registry[L"HKCU\\" + name] = data;
  for (auto& [name, data] : machine) state.registry[L"HKLM\\" + name] = data;
  // Left out: the program's own settings, written while it ran (whether they
  // stay is checked on its own), and Wine's own state, which Wine changes as
  // programs run.
  std::erase_if(state.registry, [](const auto& entry) {
    return StartsWith(entry.first, L"HKCU\\Software\\Tornvik\\Velloform") ||
           StartsWith(entry.first, L"HKCU\\Software\\Wine\\");
  });
  return state;
}

// What was added, is gone or holds something else afterwards, one a line.
std::string Changes(const std::map<std::wstring, std::wstring>& before,
                    const std::map<std::wstring, std::wstring>& after) {
  std::string text;
  for (const auto& [name, held] : after) {
    const auto earlier = before.find(name);
    if (earlier == before.end()) text += "  added: " + Utf8(name) + "\n";
    else if (earlier->second != held) text += "  changed: " + Utf8(name) + "\n";
  }
  for (const auto& [name, held] : before)
    if (!after.contains(name)) text += "  gone: " + Utf8(name) + "\n";
  return text;
}

// Each test starts with nothing installed, nothing running, an empty
// clipboard and quiet start-up choices, and leaves nothing installed.
class Installer : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  static void TearDownTestSuite() { CoUninitialize(); }
  void SetUp() override {
    RemoveInstall();
    EmptyTheClipboard(owner_.Handle());
    QuietSettings();
  }
  void TearDown() override {
    RemoveInstall();
    if (process_) CloseHandle(process_);
  }
  void RemoveInstall() {
    Unload(InstalledProgram(), process_);
    if (fs::exists(Uninstaller())) Uninstall(L"/S");
  }
  // Puts a CAD picture on the clipboard and waits for the running program to
  // improve it.
  ::testing::AssertionResult PictureIsModified(const std::vector<const wchar_t*>& names) {
    const DWORD sequence = PutPicture(owner_.Handle(), SmallCadPicture(), names);
    if (SecondsUntilModified(sequence, Clock::now(), 10) < 0)
      return ::testing::AssertionFailure() << "the picture was not modified within 10 s";
    return ::testing::AssertionSuccess();
  }
  Viewer owner_;
  HANDLE process_ = nullptr;
};

TEST_F(Installer, SilentInstallPutsEverythingInPlaceAndTheProgramWorks) {
  ASSERT_EQ(Install(L"/S"), 0);
  const fs::path folder = InstallFolder();
  EXPECT_TRUE(SameFile(folder / L"Clipmend.exe", kBuiltClipmend));
  EXPECT_TRUE(SameFile(folder / L"wmfmend.exe", kBuiltWmfmend));
  EXPECT_TRUE(SameFile(folder / L"Velloform.chm", kBuiltHelp));
  EXPECT_TRUE(fs::exists(Uninstaller()));
  EXPECT_EQ(ShortcutTarget(Shortcut()), InstalledProgram()) << "the Start-menu entry";

  // Listed under the user's installed programs, with its uninstaller.
  EXPECT_EQ(RegString(kUninstallKey, L"DisplayName"), L"Velloform");
  EXPECT_EQ(RegString(kUninstallKey, L"DisplayVersion"), kVersion);
  EXPECT_EQ(RegString(kUninstallKey, L"InstallLocation"), folder.wstring());
  EXPECT_EQ(RegString(kUninstallKey, L"UninstallString"), Quoted(Uninstaller()));
  EXPECT_EQ(RegString(kUninstallKey, L"QuietUninstallString"), Quoted(Uninstaller()) + L" /S");
  // A new install starts with Windows unless told otherwise.
  EXPECT_EQ(RegString(kRunKey, L"Velloform"), Quoted(InstalledProgram()));
  // A silent install starts the program only when asked to.
  EXPECT_EQ(MainWindow(), nullptr);

  ASSERT_TRUE(Launch(InstalledProgram(), process_));
  EXPECT_TRUE(PictureIsModified({L"AutoCAD"}));
}

TEST_F(Installer, InstallWithItsPagesStartsTheProgramAtTheEnd) {
  HANDLE setup = Start(kSetup);
  ASSERT_NE(setup, nullptr);
  HWND wizard = nullptr;
  ASSERT_TRUE(PumpUntil([&] { return (wizard = WizardWindow(L"Velloform Setup", IDOK)) != nullptr; }, 30))
      << "no installer window within 30 s";
  // The choices, with "Start Velloform when Windows starts" ticked.
  ASSERT_TRUE(PumpUntil([&] { return NextButtonSays(wizard, L"&Next >"); }, 30)) << "no first page within 30 s";
  SavePicture(wizard, FindDescendantOfClass(wizard, L"SysTreeView32"), L"install-choices.bmp");
  PostMessageW(wizard, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(PumpUntil([&] { return NextButtonSays(wizard, L"&Install"); }, 30)) << "no folder page within 30 s";
  SavePicture(wizard, FindDescendantOfClass(wizard, L"Edit"), L"install-folder.bmp");
  PostMessageW(wizard, WM_COMMAND, IDOK, 0);
  // The last page offers "Start Velloform now", ticked.
  ASSERT_TRUE(PumpUntil([&] { return NextButtonSays(wizard, L"&Finish"); }, 60)) << "no last page within 60 s";
  SavePicture(wizard, FindDescendantOfClass(FindDescendantOfClass(wizard, L"#32770"), L"Button"), L"install-finished.bmp");
  PostMessageW(wizard, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(Ended(setup, 30)) << "the installer did not end within 30 s of \"Finish\"";
  CloseHandle(setup);

  EXPECT_TRUE(PumpUntil([] { return MainWindow() != nullptr; }, 20)) << "the program did not start within 20 s";
  EXPECT_TRUE(SameFile(InstalledProgram(), kBuiltClipmend));
  EXPECT_EQ(RegString(kRunKey, L"Velloform"), Quoted(InstalledProgram()));
}

TEST_F(Installer, RunKeyFollowsTheChoice) {
  struct Case {
    const wchar_t* firstInstall;
    const wchar_t* secondInstall;  // an upgrade, or none
    bool startsWithWindows;
  } cases[] = {
      {L"/S /AUTOSTART=1", nullptr, true},
      {L"/S /AUTOSTART=0", nullptr, false},
      {L"/S /AUTOSTART=0", L"/S", false},  // an upgrade keeps the choice
      {L"/S", L"/S", true},
      {L"/S", L"/S /AUTOSTART=0", false},  // unless told otherwise
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "install " << Utf8(c.firstInstall) << ", then "
                                      << (c.secondInstall ? Utf8(c.secondInstall) : "nothing"));
    ASSERT_EQ(Install(c.firstInstall), 0);
    if (c.secondInstall) {
      ASSERT_EQ(Install(c.secondInstall), 0);
    }
    if (c.startsWithWindows)
      EXPECT_EQ(RegString(kRunKey, L"Velloform"), Quoted(InstalledProgram()));
    else
      EXPECT_EQ(RegString(kRunKey, L"Velloform"), std::nullopt);
    Uninstall(L"/S");
    EXPECT_EQ(RegString(kRunKey, L"Velloform"), std::nullopt) << "the uninstall left the Run entry";
  }
}

TEST_F(Installer, UnknownChoiceIsRefusedAndInstallsNothing) {
  EXPECT_EQ(Install(L"/S /AUTOSTART=yes"), 2);
  EXPECT_FALSE(fs::exists(InstallFolder()));
  EXPECT_FALSE(KeyExists(kUninstallKey));
}

// A window of the program's class that ignores WM_CLOSE, as a program that
// hangs would.
class ProgramThatDoesNotEnd {
 public:
  ProgramThatDoesNotEnd() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
      return message == WM_CLOSE ? 0 : DefWindowProcW(window, message, wParam, lParam);
    };
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"VelloformClass";
    RegisterClassW(&windowClass);
    window_ = CreateWindowExW(0, L"VelloformClass", L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  }
  ~ProgramThatDoesNotEnd() {
    DestroyWindow(window_);
    UnregisterClassW(L"VelloformClass", GetModuleHandleW(nullptr));
  }
  ProgramThatDoesNotEnd(const ProgramThatDoesNotEnd&) = delete;
  ProgramThatDoesNotEnd& operator=(const ProgramThatDoesNotEnd&) = delete;

 private:
  HWND window_;
};

TEST_F(Installer, ProgramThatDoesNotEndStopsTheInstallBeforeItChangesAnything) {
  {
    ProgramThatDoesNotEnd hanging;
    EXPECT_EQ(Install(L"/S"), 3);
  }
  EXPECT_FALSE(fs::exists(InstallFolder()));
  EXPECT_FALSE(KeyExists(kUninstallKey));
  EXPECT_EQ(RegString(kRunKey, L"Velloform"), std::nullopt);
}

TEST_F(Installer, SilentUpgradeOverTheRunningProgramKeepsTheSettings) {
  ASSERT_EQ(Install(L"/S"), 0);
  // The user's choices, and an older install: an older tool and version.
  SetPreference(L"Preferences", L"AutoModify", 3);
  SetPreference(L"Options", L"Rotation", 90);
  std::ofstream(InstallFolder() / L"wmfmend.exe", std::ios::binary | std::ios::trunc) << "an older wmfmend";
  HKEY key;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kUninstallKey, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
  const wchar_t older[] = L"7.29.0.0";
  RegSetValueExW(key, L"DisplayVersion", 0, REG_SZ, reinterpret_cast<const BYTE*>(older), sizeof older);
  RegCloseKey(key);
  ASSERT_TRUE(Launch(InstalledProgram(), process_));
  const HWND oldWindow = MainWindow();

  ASSERT_EQ(Install(L"/S"), 0);
  EXPECT_EQ(WaitForSingleObject(process_, 0), WAIT_OBJECT_0) << "the old program still runs";
  HWND newWindow = nullptr;
  ASSERT_TRUE(PumpUntil([&] { return (newWindow = MainWindow()) != nullptr && newWindow != oldWindow; }, 20))
      << "the new program did not start within 20 s";
  DWORD processId = 0;
  GetWindowThreadProcessId(newWindow, &processId);
  CloseHandle(process_);
  process_ = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, processId);
  ASSERT_NE(process_, nullptr);
  wchar_t image[MAX_PATH];
  DWORD length = MAX_PATH;
  ASSERT_TRUE(QueryFullProcessImageNameW(process_, 0, image, &length));
  EXPECT_TRUE(fs::equivalent(image, InstalledProgram())) << fs::path(image);
  EXPECT_EQ(WaitForInputIdle(process_, 20000), 0u) << "the new program's start did not finish within 20 s";

  EXPECT_TRUE(SameFile(InstallFolder() / L"wmfmend.exe", kBuiltWmfmend));
  EXPECT_EQ(RegString(kUninstallKey, L"DisplayVersion"), kVersion);
  EXPECT_EQ(StoredNumber(L"Preferences", L"AutoModify"), 3u);
  EXPECT_EQ(StoredNumber(L"Options", L"Rotation"), 90u);
  // The new program works with them: in mode 3 it modifies a picture that
  // names no CAD program.
  EXPECT_TRUE(PictureIsModified({}));
}

TEST_F(Installer, SilentUninstallRemovesWhatTheInstallMadeAndNothingElse) {
  const PrefixState before = Snapshot();
  ASSERT_EQ(Install(L"/S /AUTOSTART=1 /START"), 0);
  EXPECT_TRUE(PumpUntil([] { return MainWindow() != nullptr; }, 20)) << "/START did not start the program within 20 s";
  EXPECT_TRUE(PictureIsModified({L"AutoCAD"}));

  Uninstall(L"/S");
  EXPECT_EQ(MainWindow(), nullptr) << "the uninstall left the program running";
  const PrefixState after = Snapshot();
  EXPECT_EQ(Changes(before.files, after.files), "") << "files";
  EXPECT_EQ(Changes(before.registry, after.registry), "") << "registry";
  // A silent uninstall keeps the settings.
  EXPECT_EQ(StoredNumber(L"Preferences", L"StartWithOptions"), 0u);
  EXPECT_TRUE(StoredNumber(L"Statistics", L"Jobs").has_value()) << "the program did not store its settings at its end";
}

TEST_F(Installer, UninstallKeepsTheUsersOwnFilesAndTheirFolder) {
  ASSERT_EQ(Install(L"/S"), 0);
  const fs::path own = InstallFolder() / L"my notes.txt";
  std::ofstream(own) << "mine";
  Uninstall(L"/S");
  EXPECT_TRUE(fs::exists(own));
  EXPECT_FALSE(fs::exists(InstalledProgram()));
  EXPECT_FALSE(fs::exists(Uninstaller()));
  EXPECT_FALSE(KeyExists(kUninstallKey));
  fs::remove_all(InstallFolder());
}

TEST_F(Installer, UninstallSwitchRemovesTheSettings) {
  struct Case {
    bool anotherProductOfTheMaker;
    bool makersKeyStays;
  } cases[] = {{false, false}, {true, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.anotherProductOfTheMaker ? "another product's settings beside" : "no other settings");
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tornvik");
    QuietSettings();
    HKEY other;
    if (c.anotherProductOfTheMaker) {
      ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, L"Software\\Tornvik\\Another", &other), ERROR_SUCCESS);
      RegCloseKey(other);
    }
    ASSERT_EQ(Install(L"/S"), 0);
    Uninstall(L"/S /REMOVESETTINGS");
    EXPECT_FALSE(KeyExists(kSettingsKey));
    EXPECT_EQ(KeyExists(L"Software\\Tornvik"), c.makersKeyStays);
    EXPECT_EQ(KeyExists(L"Software\\Tornvik\\Another"), c.anotherProductOfTheMaker);
  }
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tornvik");
}

TEST_F(Installer, UninstallAsksBeforeRemovingTheSettings) {
  struct Case {
    int answer;
    bool settingsStay;
  } cases[] = {{IDNO, true}, {IDYES, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer == IDYES ? "answered Yes" : "answered No");
    QuietSettings();
    ASSERT_EQ(Install(L"/S"), 0);
    UninstallerRun run(L"");
    HWND wizard = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (wizard = WizardWindow(L"Velloform Uninstall", IDOK)) != nullptr; }, 30))
        << "no uninstaller window within 30 s";
    PostMessageW(wizard, WM_COMMAND, IDOK, 0);  // "Uninstall"

    HWND question = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (question = WizardWindow(L"Velloform Uninstall", IDYES)) != nullptr; }, 30))
        << "no question about the settings within 30 s";
    wchar_t text[512] = L"";
    GetDlgItemTextW(question, 0xFFFF, text, 512);
    EXPECT_EQ(std::wstring(text), L"Remove your Velloform settings as well?\r\n\r\nKeep them to use them again "
                                  L"after a new install, or with the AutoCAD plug-in KLAROUT.ARX.");
    EXPECT_EQ(GetWindowLongW(GetDlgItem(question, IDNO), GWL_STYLE) & BS_DEFPUSHBUTTON, BS_DEFPUSHBUTTON)
        << "\"No\" is not the default answer";
    if (c.answer == IDNO) SavePicture(question, GetDlgItem(question, IDNO), L"uninstall-question.bmp");
    PostMessageW(question, WM_COMMAND, c.answer, 0);

    // Then "Close" on the finished wizard.
    ASSERT_TRUE(PumpUntil([&] { return NextButtonSays(wizard, L"&Close"); }, 60))
        << "the uninstall did not finish within 60 s";
    PostMessageW(wizard, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(run.Ended(30)) << "the uninstaller did not end within 30 s of \"Close\"";
    EXPECT_FALSE(KeyExists(kUninstallKey));
    EXPECT_EQ(KeyExists(kSettingsKey), c.settingsStay);
  }
}

}  // namespace
