#include "options_file_dialogs.h"

#include <windows.h>
#include <commdlg.h>

#include <string>
#include <vector>

#include "dialog.h"

namespace {

// Long paths are allowed; the dialog says when a name does not fit.
constexpr DWORD kPathCapacity = 32768;

// "Description|*.EXT|" becomes the system's "Description\0*.EXT\0\0".
std::wstring SystemFilter(const wchar_t* filter) {
  std::wstring text(filter);
  for (wchar_t& c : text)
    if (c == L'|') c = L'\0';
  text.push_back(L'\0');
  return text;
}

}  // namespace

std::wstring SystemOptionsFileUi::ChooseFile(const OptionsFileDialog& dialog) {
  std::vector<wchar_t> path(kPathCapacity, L'\0');
  const std::wstring initial(dialog.initialName);
  initial.copy(path.data(), path.size() - 1);
  const std::wstring filter = SystemFilter(dialog.filter);
  // Strip the point of ".vf3": the system adds its own.
  std::wstring extension(dialog.defaultExtension);
  if (!extension.empty() && extension.front() == L'.') extension.erase(0, 1);

  OPENFILENAMEW request{};
  request.lStructSize = sizeof request;
  CDialog* running = CDialog::Innermost();
  request.hwndOwner = running ? running->Handle() : nullptr;
  request.lpstrFilter = filter.c_str();
  request.nFilterIndex = 1;
  request.lpstrFile = path.data();
  request.nMaxFile = kPathCapacity;
  request.lpstrDefExt = extension.c_str();
  request.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_EXPLORER | OFN_ENABLESIZING | OFN_PATHMUSTEXIST;
  const BOOL chosen = dialog.save ? GetSaveFileNameW(&request) : GetOpenFileNameW(&request);
  return chosen ? std::wstring(path.data()) : std::wstring();
}

void SystemOptionsFileUi::BeginWaitCursor() { previousCursor_ = SetCursor(LoadCursorW(nullptr, IDC_WAIT)); }

void SystemOptionsFileUi::EndWaitCursor() { SetCursor(static_cast<HCURSOR>(previousCursor_)); }
