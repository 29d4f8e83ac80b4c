// FormatShortDate on Windows: the user's short date format.
#include <windows.h>

#include "settings_store.h"

std::wstring FormatShortDate(std::time_t when) {
  std::tm local{};
  if (when < 0 || localtime_s(&local, &when) != 0) return kUnknownDate;
  SYSTEMTIME time{};
  time.wYear = static_cast<WORD>(local.tm_year + 1900);
  time.wMonth = static_cast<WORD>(local.tm_mon + 1);
  time.wDayOfWeek = static_cast<WORD>(local.tm_wday);
  time.wDay = static_cast<WORD>(local.tm_mday);
  time.wHour = static_cast<WORD>(local.tm_hour);
  time.wMinute = static_cast<WORD>(local.tm_min);
  time.wSecond = static_cast<WORD>(local.tm_sec);
  wchar_t text[50];
  if (GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, text, 50) == 0) return kUnknownDate;
  return text;
}
