// printf-style formatting into a string, as the program writes its messages,
// names and numbers: FormatText(L"Color %d", c), FormatText("0x%04X", f).
#pragma once

#include <cstdio>
#include <cwchar>
#include <string>

template <typename... Args>
std::string FormatText(const char* format, Args... args) {
  const int length = std::snprintf(nullptr, 0, format, args...);
  if (length <= 0) return {};
  std::string text(static_cast<size_t>(length), '\0');
  std::snprintf(text.data(), text.size() + 1, format, args...);
  return text;
}

template <typename... Args>
std::wstring FormatText(const wchar_t* format, Args... args) {
  // swprintf does not say how long a text it needs, only that it did not
  // fit: the buffer grows until it does.
  std::wstring text(128, L'\0');
  for (;;) {
    const int length = std::swprintf(text.data(), text.size(), format, args...);
    if (length >= 0) {
      text.resize(static_cast<size_t>(length));
      return text;
    }
    if (text.size() >= (size_t{1} << 20)) return {};  // a malformed format
    text.resize(text.size() * 2);
  }
}
