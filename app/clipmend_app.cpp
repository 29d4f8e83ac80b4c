#include "clipmend_app.h"

#include <cwchar>
#include <cstdlib>

#include "about_dialog.h"
#include "help.h"
#include "main_frame.h"
#include "options_dialog.h"
#include "preferences_dialog.h"
#include "resource.h"
#include "splash_screen.h"
#include "text_measurer_factory.h"
#include "tip_window.h"
#include "win/display_caps.h"

namespace {

constexpr wchar_t kPlugInWindowClass[] = L"VelloformAcadClass";
constexpr wchar_t kSingleInstanceMutex[] = L"Velloform_CLIPMEND";

}  // namespace

ClipmendApp::ClipmendApp(WmfSettings& settings, UserMessages& messages)
    : settings_(settings),
      measurer_(wmf::MakeTextMeasurer()),
      engine_{messages, *measurer_, wmf::DisplayBitsPerPixel()},
      intake_(settings, engine_, *this, GetModuleHandleW(nullptr)) {}

ClipmendApp::~ClipmendApp() {
  if (classRegistered_) UnregisterClassW(kMainWindowClass, instance_);
}

const MessageMap& ClipmendApp::ClassMap() {
  static const CommandEntry commands[] = {
      OnCommand<&ClipmendApp::OnModifyNow>(ID_MODIFY_NOW),
      OnCommand<&ClipmendApp::OnCopyLast>(ID_COPY_LAST_TO_CLIPBOARD),
      OnCommand<&ClipmendApp::OnPutOriginalBack>(ID_PUT_ORIGINAL_BACK),
      OnCommand<&ClipmendApp::OnSaveLast>(ID_SAVE_LAST_AS_FILE),
      OnCommand<&ClipmendApp::OnMainOptions>(ID_MAIN_OPTIONS),
      OnCommand<&ClipmendApp::OnUserPreferences>(ID_USER_PREFERENCES),
      OnCommand<&ClipmendApp::OnAbout>(ID_APP_ABOUT),
  };
  static const MessageMap map{&CCopyClipApp::ClassMap(), {}, commands};
  return map;
}

int ClipmendApp::Start(HINSTANCE instance, const std::wstring& arguments) {
  instance_ = instance;
  if (_wcsicmp(arguments.c_str(), L"/unload") == 0) {
    if (HWND running = FindWindowW(kMainWindowClass, nullptr)) SendMessageW(running, WM_CLOSE, 0, 0);
    return 0;
  }
  if (!CheckSingleInstance()) return 0;
  if (!RegisterMainWindowClass(kMainWindowClass)) return 0;
  ComputeProgramFolder();
  // The main window does not exist yet: the splash has no owner.
  ShowSplashScreen(nullptr, settings_.ShowSplash != 0);

  auto frame = std::make_unique<CMainFrame>(MainFrameContext{settings_, intake_, programFolder_}, *this);
  CMainFrame* window = frame.get();
  SetMainWindow(std::move(frame));
  dialogs_ = std::make_unique<DialogContext>(
      DialogContext{settings_, intake_, *window, programFolder_, optionsFileUi_, &OpenHelp, &OpenAddressWithShell});
  if (!window->Create()) return 0;
  UpdateWindow(window->Handle());

  // From here on this is the one running instance: its settings are stored
  // when it ends. A start that ended above never writes them, so it cannot
  // overwrite what the running instance stored meanwhile.
  settings_.saveAtExit = true;
  if (settings_.StartWithOptions) OpenOptionsDialog(*dialogs_);
  return Run();
}

bool ClipmendApp::CheckSingleInstance() {
  singleInstanceMutex_.Reset(CreateMutexW(nullptr, FALSE, kSingleInstanceMutex));
  if (FindWindowW(kMainWindowClass, nullptr)) {
    PostMessageW(HWND_BROADCAST, settings_.InstanceMessage, 0, 0);
    return false;
  }
  if (FindWindowW(kPlugInWindowClass, nullptr)) {
    ErrorBox(nullptr,
             L"Unable to start Velloform through CLIPMEND.EXE.\nProbably KLAROUT.ARX is already loaded in AutoCAD.\n"
             L"You do not need both at the same time.\nIn AutoCAD enter command KLAROPT to access the options.");
    return false;
  }
  return true;
}

bool ClipmendApp::RegisterMainWindowClass(const wchar_t* name) {
  WNDCLASSW windowClass{};
  windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_GLOBALCLASS;
  windowClass.hInstance = instance_;
  windowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = name;
  classRegistered_ = CWnd::RegisterWindowClass(windowClass);
  return classRegistered_;
}

void ClipmendApp::ComputeProgramFolder() {
  // The program's path may be longer than MAX_PATH; the buffer grows until
  // the whole path fits.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(instance_, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) {
      path.clear();
      break;
    }
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  programFolder_ = path.substr(0, path.find_last_of(L"\\/") + 1);
}

void ClipmendApp::OnModifyNow() { intake_.ModifyClipboardPicture(true); }
void ClipmendApp::OnCopyLast() { intake_.CopyLastToClipboard(); }
void ClipmendApp::OnPutOriginalBack() { intake_.PutOriginalBack(); }
void ClipmendApp::OnSaveLast() { intake_.SaveLastAsFile(); }
void ClipmendApp::OnMainOptions() { OpenOptionsDialog(*dialogs_); }
void ClipmendApp::OnUserPreferences() { OpenPreferencesDialog(*dialogs_); }
void ClipmendApp::OnAbout() { ShowAboutDialog(*dialogs_); }

HWND ClipmendApp::MainWindow() {
  CWnd* window = CCopyClipApp::MainWindow();
  return window ? window->Handle() : nullptr;
}

void ClipmendApp::BringToForeground(HWND window) { ForceForeground(window); }

void ClipmendApp::ShowNotice(const std::wstring& text) {
  auto* tip = new TFXDataTip;  // owns itself from ShowTip on
  tip->CreateTip(CCopyClipApp::MainWindow());
  POINT cursor;
  if (GetCursorPos(&cursor)) {
    tip->ShowTip(cursor, text);
  } else if (!tip->DestroyWindow()) {
    tip->ShowTip(POINT{}, text);  // a tip without a window releases itself here
  }
}
