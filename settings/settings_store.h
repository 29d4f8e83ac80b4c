// The store through which every persistent value is read and written. An
// empty path selects the registry (the root key and the section below it), a
// non-empty path selects that INI file. Reads never fail: every problem gives
// the caller's default.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;

  virtual void SetRegistryRoot(const std::wstring& root) = 0;
  virtual std::wstring ReadString(const std::wstring& section, const std::wstring& name,
                                  const std::wstring& path, const std::wstring& defaultText) = 0;
  virtual int ReadInt(const std::wstring& section, const std::wstring& name,
                      const std::wstring& path, int defaultValue) = 0;
  virtual bool WriteString(const std::wstring& section, const std::wstring& name,
                           const std::wstring& path, const std::wstring& text) = 0;
  virtual bool WriteInt(const std::wstring& section, const std::wstring& name,
                        const std::wstring& path, int value) = 0;

  // Around the reads or the writes of one whole file: a store may read the
  // file once and write it once, instead of once per value. A write failure
  // found at the end is reported then, and EndFileTransfer returns false.
  // Values of other paths pass as usual in between.
  virtual void BeginFileTransfer(const std::wstring& /*path*/) {}
  virtual bool EndFileTransfer() { return true; }

  // Reals are text in both places, written with "%f".
  double ReadReal(const std::wstring& section, const std::wstring& name, const std::wstring& path,
                  double defaultValue);
  bool WriteReal(const std::wstring& section, const std::wstring& name, const std::wstring& path,
                 double value);
};

// Reads a real written with a point or a comma as decimal separator: the
// larger of the two readings; the default for an empty text and for a text
// that reads as infinity or as not a number.
double ParseReal(const std::wstring& text, double defaultValue);

// A real as "%f" writes it in the C locale (0.01 gives 0.010000).
std::wstring FormatReal(double value);

// The current local date as "%Y-%b-%d" with English month names (2017-Dec-08).
std::wstring FormatSettingsDate();
std::wstring FormatSettingsDate(std::time_t when);

// A date in the user's short form: on Windows the user's short date format,
// elsewhere the locale-independent 2017-12-08. A time before 1970 or beyond
// what the platform converts gives kUnknownDate.
std::wstring FormatShortDate(std::time_t when);
inline constexpr wchar_t kUnknownDate[] = L"an unknown date";

// An INI value read as GetPrivateProfileIntW reads it: after optional blanks
// a sign and a number, decimal or with a prefix 0x (hexadecimal), 0o (octal)
// or 0b (binary); the digits end at the first other character; 0 when
// nothing converts; wraps around at 32 bits.
int ParseProfileInt(std::wstring_view text);

// The message of a file that cannot be written, with the system's reason.
std::wstring UnableToWriteMessage(const std::wstring& path, const std::wstring& reason);
