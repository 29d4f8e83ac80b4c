// Options files: the whole settings record in an INI file of the product's
// own format (ending ".VF3"), and the import of pen widths and greys from an
// AutoCAD R14 plotter configuration file (PC2).
#pragma once

#include <string>

#include "wmf_settings.h"

// A standard open or save dialog for options files. Both hide the read-only
// box and ask before overwriting. In a filter, "|" separates the description
// and the pattern of each entry and ends the list.
struct OptionsFileDialog {
  bool save;
  const wchar_t* defaultExtension;
  const wchar_t* initialName;
  const wchar_t* filter;
};

inline constexpr OptionsFileDialog kLoadOptionsDialog{
    false, L"VF3", L"Klarout.VF3",
    L"Velloform VF3 file (*.VF3)|*.VF3|Autodesk R14 PC2 file (*.PC2)|*.PC2|"};
inline constexpr OptionsFileDialog kSaveOptionsDialog{true, L".vf3", L"Klarout.vf3",
                                                      L"Velloform VF3 file (*.VF3)|*.VF3|"};

// What loading and saving need of the user interface.
class OptionsFileUi {
 public:
  virtual ~OptionsFileUi() = default;
  // The full path the user chose, or empty when the dialog was cancelled.
  virtual std::wstring ChooseFile(const OptionsFileDialog& dialog) = 0;
  virtual void BeginWaitCursor() = 0;
  virtual void EndWaitCursor() = 0;
};

// "&Load Options": reads an options file, or imports a PC2 file for any other
// ending. Without a path (empty) the user chooses one first. False only when
// the user cancelled the dialog; reading itself never fails.
bool LoadOptionsFile(WmfSettings& settings, OptionsFileUi& ui, const std::wstring& path);

// "&Save Options": writes the whole record into an options file. Without a
// path (empty) the user chooses one first. A failure has been shown by the
// store.
void SaveOptionsFile(WmfSettings& settings, OptionsFileUi& ui, const std::wstring& path);

// The reading step of LoadOptionsFile, without dialog and cursor.
void ReadOptionsFile(WmfSettings& settings, const std::wstring& path);

// Whether a path names an own options file: its last four characters,
// upper-cased, are ".VF3".
bool IsOptionsFilePath(const std::wstring& path);

// Takes the pen width, the palette colour as line colour and the pen table's
// grey as fill colour for every colour number that no lower number shadows.
void ImportPc2(WmfSettings& settings, const std::wstring& path);
