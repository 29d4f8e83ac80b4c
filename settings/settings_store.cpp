#include "settings_store.h"

#include <algorithm>
#include <cwchar>

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
  std::wstring swapped = text;
  size_t comma = swapped.find(L',');
  size_t point = swapped.find(L'.');
  if (comma != std::wstring::npos) {
    swapped[comma] = L'.';
    std::swscanf(swapped.c_str(), L"%lf", &b);
  } else if (point != std::wstring::npos) {
    swapped[point] = L',';
    std::swscanf(swapped.c_str(), L"%lf", &b);
  }
  return std::max(a, b);
}

std::wstring FormatReal(double value) {
  wchar_t text[400];
  std::swprintf(text, std::size(text), L"%f", value);
  return text;
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
  wchar_t text[128];
  std::swprintf(text, std::size(text), L"%04d-%ls-%02d", local.tm_year + 1900,
                kMonths[std::clamp(local.tm_mon, 0, 11)], local.tm_mday);
  return text;
}

std::wstring FormatSettingsDate() { return FormatSettingsDate(std::time(nullptr)); }

int ParseProfileInt(const std::wstring& text) {
  size_t at = 0;
  while (at < text.size() && (text[at] == L' ' || text[at] == L'\t')) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == L'-' || text[at] == L'+')) negative = text[at++] == L'-';
  uint32_t value = 0;
  for (; at < text.size() && text[at] >= L'0' && text[at] <= L'9'; ++at)
    value = value * 10 + static_cast<uint32_t>(text[at] - L'0');
  return static_cast<int>(negative ? 0u - value : value);
}
