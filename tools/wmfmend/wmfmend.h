// wmfmend: the command-line face of the picture engine. Improves metafile
// pictures in files with the same options and the same result as the
// program's "save as WMF file".
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// Exit codes.
inline constexpr int kWmfmendOk = 0;
inline constexpr int kWmfmendFailed = 1;  // input unreadable or output not written
inline constexpr int kWmfmendUsage = 2;

// Runs wmfmend with the arguments after the program name (UTF-8).
int RunWmfmend(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
