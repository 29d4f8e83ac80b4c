// INI files read and updated by the rules of the Windows private-profile
// functions (GetPrivateProfileStringW, GetPrivateProfileIntW,
// WritePrivateProfileStringW), so that options files pass unchanged between
// this code, the Windows program and the sibling plug-in.
//
// Reading: lines are trimmed; "[name]" opens a section (text after the last
// "]" is ignored); "name=value" is a value, with blanks around the name and
// before the value dropped; a line without "=" is a name without a value.
// Section and value names match without regard to case and surrounding
// blanks; only the first section of a name is searched, and in it the first
// value of a name. A value enclosed in matching quotes loses them.
//
// Updating: every other line stays as it was, byte for byte; a changed value
// is rewritten in place as "name=value"; a new value goes after the last
// non-blank line of its section, a new section at the end of the file; new
// lines end with CR LF. A file keeps its encoding (UTF-16 or UTF-8 with a byte
// order mark, otherwise the Windows-1252 "ANSI" code page, in which every byte
// survives a round trip); a new file is ANSI.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class IniDocument {
 public:
  static IniDocument Decode(const std::vector<uint8_t>& bytes);
  std::vector<uint8_t> Encode() const;

  // The value as GetPrivateProfileStringW copies it into a buffer of
  // `bufferChars` characters (at most bufferChars - 1 of them); nullopt when
  // the section has no value of that name.
  std::optional<std::wstring> Value(const std::wstring& section, const std::wstring& name,
                                    size_t bufferChars) const;
  void SetValue(const std::wstring& section, const std::wstring& name, const std::wstring& value);

 private:
  enum class Encoding { Ansi, Utf8, Utf16Le, Utf16Be };
  enum class Ending : uint8_t { None, Lf, CrLf };  // None only for the last line
  struct Line {
    std::wstring text;  // without its line ending
    Ending end;
  };
  // Where a section's lines are: the header and the line after its last.
  struct SectionSpan {
    size_t header;
    size_t end;
  };

  std::optional<SectionSpan> FindSection(const std::wstring& section) const;
  std::optional<size_t> FindName(const SectionSpan& span, const std::wstring& name) const;

  Encoding encoding_ = Encoding::Ansi;
  std::vector<Line> lines_;
};

// Buffer sizes of the reads: a string value and the text of an integer.
inline constexpr size_t kIniStringBuffer = 1024;
inline constexpr size_t kIniIntBuffer = 30;

// The INI file at `path`; an absent or unreadable file reads as empty.
IniDocument ReadIniFile(const std::wstring& path);

// Sets one value in the INI file at `path`, creating the file when it does
// not exist. The new content goes to a temporary file that then replaces the
// old one, so a failure leaves the old file whole. A read-only file is not
// replaced. On failure returns the system's reason.
std::optional<std::wstring> WriteIniValue(const std::wstring& path, const std::wstring& section,
                                          const std::wstring& name, const std::wstring& value);
