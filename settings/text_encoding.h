// Conversion between the program's wide texts and UTF-8 (UTF-16 on Windows,
// UTF-32 elsewhere, as wchar_t is).
#pragma once

#include <string>

std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);

// Conversion between the program's wide texts and UTF-16 code units, the
// form of Unicode INI files.
std::u16string ToUtf16(const std::wstring& text);
std::wstring FromUtf16(const std::u16string& text);
