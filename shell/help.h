// The compiled help file "Velloform.chm" beside the program, opened with the
// system's help viewer, loaded on first use.
#pragma once

#include <string>

// The help file of the program in `programFolder`, with an optional topic
// path (for example "velloform-documentation/options.htm").
std::wstring HelpFilePath(const std::wstring& programFolder, const std::wstring& topic = L"");

// Shows the help file or topic; nothing happens when the viewer is missing.
void OpenHelp(const std::wstring& path);
