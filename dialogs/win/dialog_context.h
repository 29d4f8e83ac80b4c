// What the program's dialogs need of the program around them.
#pragma once

#include <string>

#include "clipboard_intake.h"

#include "options_files.h"
#include "window.h"

// What the advanced options remember from one opening to the next while
// the program runs: the colour chooser's custom colours and the colours the
// two colour buttons show.
struct RememberedColors {
  COLORREF custom[16] = {};
  COLORREF shownLine = 0;
  COLORREF shownFill = 0;
};

struct DialogContext {
  WmfSettings& settings;
  ClipboardIntake& intake;
  // The main frame: it gets the commands a dialog does not handle, and owns
  // a dialog that nothing else owns.
  CWnd& frame;
  const std::wstring& programFolder;
  // The file dialogs and wait cursor of "&Load Options" and "&Save Options".
  OptionsFileUi& fileUi;
  // Shows a help file or topic (a path as HelpFilePath makes it).
  void (*openHelp)(const std::wstring& path);
  // Opens a web or mail address with the user's program for it.
  void (*openAddress)(const std::wstring& address);
  RememberedColors colors{};
};

// The maker's addresses.
inline constexpr wchar_t kWebSite[] = L"https://www.tornvik.com/velloform/";
inline constexpr wchar_t kMailAddress[] = L"mailto:velloform@tornvik.com";
