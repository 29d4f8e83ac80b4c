#include "settings_store.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <iterator>

#include "text_format.h"

double SettingsStore::ReadReal(const std::wstring& section, const std::wstring& name,
                               const std::wstring& path, double defaultValue) {
  return ParseReal(ReadString(section, name, path, L""), defaultValue);
}

bool SettingsStore::WriteReal(const std::wstring& section, const std::wstring& name,
                              const std::wstring& path, double value) {
  return WriteString(section, name, path, FormatReal(value));
}

double ParseReal(const std::wstring& text, double defaultValue) {
  if (text.empty()) return defaultValue;
  double a = 0;
  std::swscanf(text.c_str(), L"%lf", &a);
  double b = -1;
  const size_t comma = text.find(L',');
  const size_t point = text.find(L'.');
  if (comma != std::wstring::npos || point != std::wstring::npos) {
    // The other reading, with the separator swapped; a copy on the stack when
    // the text is short, as settings are.
    wchar_t shortCopy[64];
    std::wstring longCopy;
    wchar_t* swapped = shortCopy;
    if (text.size() < std::size(shortCopy)) {
      std::wmemcpy(shortCopy, text.c_str(), text.size() + 1);
    } else {
      longCopy = text;
      swapped = longCopy.data();
    }
    if (comma != std::wstring::npos) swapped[comma] = L'.';
    else swapped[point] = L',';
    std::swscanf(swapped, L"%lf", &b);
  }
  // "1e999" reads as infinity and "nan" as no number at all; neither is a
  // setting anyone wrote, and either would reach the picture's arithmetic.
  if (!std::isfinite(a) || !std::isfinite(b)) return defaultValue;
  return std::max(a, b);
}

std::wstring FormatReal(double value) {
  return FormatText(L"%f", value);
}

std::wstring FormatSettingsDate(std::time_t when) {
  static const wchar_t* const kMonths[] = {L"Jan", L"Feb", L"Mar", L"Apr", L"May", L"Jun",
                                           L"Jul", L"Aug", L"Sep", L"Oct", L"Nov", L"Dec"};
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &when);
#else
  localtime_r(&when, &local);
#endif
  return FormatText(L"%04d-%ls-%02d", local.tm_year + 1900, kMonths[std::clamp(local.tm_mon, 0, 11)],
                    local.tm_mday);
}

std::wstring FormatSettingsDate() { return FormatSettingsDate(std::time(nullptr)); }

int ParseProfileInt(std::wstring_view text) {
  size_t at = 0;
  while (at < text.size() && text[at] <= L' ') ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == L'-' || text[at] == L'+')) negative = text[at++] == L'-';
  uint32_t base = 10;
  if (at + 1 < text.size() && text[at] == L'0') {
    const wchar_t prefix = text[at + 1];
    base = prefix == L'x' ? 16 : prefix == L'o' ? 8 : prefix == L'b' ? 2 : 10;
    if (base != 10) at += 2;
  }
  uint32_t value = 0;
  for (; at < text.size(); ++at) {
    const wchar_t c = text[at];
    const uint32_t digit = c >= L'0' && c <= L'9'   ? static_cast<uint32_t>(c - L'0')
                           : c >= L'a' && c <= L'z' ? static_cast<uint32_t>(c - L'a' + 10)
                           : c >= L'A' && c <= L'Z' ? static_cast<uint32_t>(c - L'A' + 10)
                                                    : 99;
    if (digit >= base) break;
    value = value * base + digit;
  }
  return static_cast<int>(negative ? 0u - value : value);
}

std::wstring UnableToWriteMessage(const std::wstring& path, const std::wstring& reason) {
  return L"Unable to write " + path + L":\n" + reason;
}
