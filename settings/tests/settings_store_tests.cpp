#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "memory_store.h"
#include "settings_store.h"
#include "text_encoding.h"

namespace {

TEST(ParseReal, AcceptsPointOrComma) {
  const struct {
    const wchar_t* text;
    double expected;
  } cases[] = {{L"0.25", 0.25}, {L"0,25", 0.25}, {L"6", 6}, {L"abc", 0}, {L"", 7.5},
               {L"0,75", 0.75}, {L"100.000000", 100},
               // A reading that is no finite number is refused as a whole.
               {L"1e999", 7.5}, {L"-1e999", 7.5}, {L"1.5e999", 7.5}, {L"1,5e999", 7.5},
               {L"inf", 7.5}, {L"nan", 7.5}, {L"1e308", 1e308}};
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(ParseReal(c.text, 7.5), c.expected) << ToUtf8(c.text);
}

TEST(FormatReal, WritesSixDecimals) {
  EXPECT_EQ(FormatReal(0.01), L"0.010000");
  EXPECT_EQ(FormatReal(100), L"100.000000");
  EXPECT_EQ(FormatReal(0.0000004), L"0.000000");
  EXPECT_DOUBLE_EQ(ParseReal(FormatReal(0.01), 1), 0.01);
}

TEST(FormatSettingsDate, UsesEnglishMonthNames) {
  std::tm noon{};
  noon.tm_year = 2017 - 1900;
  noon.tm_mon = 11;
  noon.tm_mday = 8;
  noon.tm_hour = 12;
  noon.tm_isdst = -1;
  EXPECT_EQ(FormatSettingsDate(std::mktime(&noon)), L"2017-Dec-08");
}

#ifndef _WIN32
// Off Windows the short date is the same in every time zone and language.
TEST(FormatShortDate, IsTheLocalYearMonthDay) {
  const char* const saved = std::getenv("TZ");
  const std::string restore = saved ? saved : "";
  for (const char* zone : {"UTC", "UTC+11", "UTC-11", "America/New_York", "Asia/Tokyo", "Pacific/Pago_Pago"}) {
    setenv("TZ", zone, 1);
    tzset();
    EXPECT_EQ(FormatShortDate(1512734400), L"2017-12-08") << zone;  // 2017-12-08 12:00 UTC
  }
  if (saved) setenv("TZ", restore.c_str(), 1);
  else unsetenv("TZ");
  tzset();
  EXPECT_EQ(FormatShortDate(-1), kUnknownDate);
}
#endif

TEST(ParseProfileInt, ReadsLikeThePrivateProfileFunctions) {
  const struct {
    const wchar_t* text;
    int expected;
  } cases[] = {{L"42", 42},         {L"-1", -1},          {L"  7", 7},        {L"12abc", 12},
               {L"abc", 0},          {L"+5", 5},           {L"16711680", 16711680},
               {L"0x10", 16},        {L"-0x10", -16},      {L"0X1F", 0},       {L"0o17", 15},
               {L"0b101", 5},        {L"010", 10},         {L"- 5", 0},        {L"1e3", 1},
               {L"4294967295", -1},  {L"99999999999", 1215752191},             {L"0xFFFFFFFF", -1}};
  for (const auto& c : cases) EXPECT_EQ(ParseProfileInt(c.text), c.expected) << ToUtf8(c.text);
}

TEST(MemorySettingsStore, ValueKindsFollowTheRegistryRules) {
  MemorySettingsStore store;
  store.SetRegistryRoot(L"Software\\Test");
  store.WriteString(L"Options", L"Text", L"", L"1");
  store.WriteInt(L"Options", L"Number", L"", 5);
  EXPECT_EQ(store.ReadInt(L"Options", L"Text", L"", 9), 9);            // REG_SZ where an int is expected
  EXPECT_EQ(store.ReadString(L"Options", L"Number", L"", L"d"), L"d");  // REG_DWORD where text is expected
  EXPECT_EQ(store.ReadInt(L"OPTIONS", L"number", L"", 9), 5);           // names ignore case
  EXPECT_DOUBLE_EQ(store.ReadReal(L"Options", L"Number", L"", 2.5), 2.5);
  store.WriteString(L"Options", L"Long", L"", std::wstring(1024, L'x'));
  EXPECT_EQ(store.ReadString(L"Options", L"Long", L"", L"d"), L"d");    // longer than the buffer
}

TEST(TextEncoding, RoundTripsThroughUtf8) {
  const std::wstring text = L"Zeichnung \u00e4\u00f6 \u20ac \U0001F600";
  EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
  EXPECT_EQ(ToUtf8(L"\u00e4"), "\xC3\xA4");
}

// Only the shortest form of a character is that character: every overlong
// form, encoded surrogate, code point beyond U+10FFFF, stray or missing
// continuation byte gives U+FFFD, one for each maximal broken part.
TEST(TextEncoding, Utf8DecodingIsStrict) {
  const struct {
    const char* bytes;
    std::wstring text;
  } cases[] = {
      {"a\xFF" "b", L"a\uFFFDb"},
      {"\xC0\x8A", L"\uFFFD\uFFFD"},  // an overlong line feed is no line break
      {"\xC1\xBF", L"\uFFFD\uFFFD"},
      {"\xE0\x80\x8A", L"\uFFFD\uFFFD\uFFFD"},
      {"\xF0\x80\x80\x8A", L"\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"\xED\xA0\x80", L"\uFFFD\uFFFD\uFFFD"},  // a surrogate
      {"\xF4\x90\x80\x80", L"\uFFFD\uFFFD\uFFFD\uFFFD"},  // beyond U+10FFFF
      {"\xF5\x80", L"\uFFFD\uFFFD"},
      {"\x80=", L"\uFFFD="},
      {"\xE2\x82", L"\uFFFD"},  // cut short
      {"\xE2\x82=", L"\uFFFD="},
      {"\xDF\xBF\xEF\xBF\xBD\xF4\x8F\xBF\xBF", L"\u07FF\uFFFD\U0010FFFF"},
  };
  for (const auto& c : cases) EXPECT_EQ(FromUtf8(c.bytes), c.text) << c.bytes;
}

TEST(TextEncoding, RoundTripsThroughUtf16) {
  const std::wstring text = L"Zeichnung \u00e4 \u20ac \U0001F600";
  EXPECT_EQ(FromUtf16(ToUtf16(text)), text);
  EXPECT_EQ(ToUtf16(L"\U0001F600"), u"\xD83D\xDE00");
  // A lone surrogate has no code point; UTF-16 wide text keeps it as it is.
  if constexpr (sizeof(wchar_t) == 4) {
    EXPECT_EQ(FromUtf16(u"a\xD800" "b"), L"a\uFFFDb");
  }
}

}  // namespace
