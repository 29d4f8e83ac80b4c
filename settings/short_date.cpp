// FormatShortDate off Windows: there is no user's short date format to follow,
// so the date is written in the locale-independent year-month-day form.

#include "settings_store.h"
#include "text_format.h"

std::wstring FormatShortDate(std::time_t when) {
  std::tm local{};
  if (when < 0 || !localtime_r(&when, &local)) return kUnknownDate;
  return FormatText(L"%04d-%02d-%02d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}
