#include "help.h"

#include <windows.h>

namespace {

using HtmlHelpFunction = HWND(WINAPI*)(HWND, const wchar_t*, UINT, DWORD_PTR);
constexpr UINT kDisplayTopic = 0;  // HH_DISPLAY_TOPIC

HtmlHelpFunction HtmlHelp() {
  static const HtmlHelpFunction function = [] {
    // From the system folder only: a bare name would search the program's
    // folder first, where anyone who can write there could plant a library.
    HMODULE library = LoadLibraryExW(L"hhctrl.ocx", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Through a generic function pointer, as GetProcAddress's results must be.
    return library ? reinterpret_cast<HtmlHelpFunction>(reinterpret_cast<void (*)()>(GetProcAddress(library, "HtmlHelpW")))
                   : nullptr;
  }();
  return function;
}

}  // namespace

std::wstring HelpFilePath(const std::wstring& programFolder, const std::wstring& topic) {
  std::wstring path = programFolder + L"Velloform.chm";
  if (!topic.empty()) path += L"::/" + topic;
  return path;
}

void OpenHelp(const std::wstring& path) {
  if (HtmlHelpFunction function = HtmlHelp()) function(nullptr, path.c_str(), kDisplayTopic, 0);
}
