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

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
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
  // The same value where it stands in the document, valid until the document
  // changes: a read that converts it at once needs no copy.
  std::optional<std::wstring_view> ValueView(const std::wstring& section, const std::wstring& name,
                                             size_t bufferChars) const;
  void SetValue(const std::wstring& section, const std::wstring& name, const std::wstring& value);

 private:
  enum class Encoding { Ansi, Utf8, Utf16Le, Utf16Be };
  enum class Ending : uint8_t { None, Lf, CrLf };  // None only for the last line
  struct Line {
    std::wstring text;  // without its line ending
    Ending end;
  };
  // Section and value names match without regard to case.
  struct NoCaseHash {
    size_t operator()(std::wstring_view text) const;
  };
  struct NoCaseEqual {
    bool operator()(std::wstring_view a, std::wstring_view b) const;
  };
  // The first position (of a line, of a block) of each name, found without
  // regard to case. It keeps positions only and reads the names where they
  // stand, through `nameAt(position)`, so that it copies no name: a load
  // and a save pass 800 of them.
  class FirstPositions {
   public:
    template <class NameAt>
    std::optional<size_t> Find(std::wstring_view name, const NameAt& nameAt) const;
    // Adds `position` unless its name has a position already.
    template <class NameAt>
    void Add(size_t position, const NameAt& nameAt);

   private:
    // Open addressing; a slot keeps its name's hash, so that a search reads
    // only the names whose hash matches and growing reads none.
    struct Slot {
      uint32_t position = 0;  // position + 1; 0 for a free slot
      uint32_t hash = 0;
    };
    void Put(Slot slot);
    std::vector<Slot> slots_;
    size_t count_ = 0;
  };
  // A section header and the lines up to the next one; the first block holds
  // the lines before the first header and has no header. Each block knows
  // where the first line of each name is, so that a lookup or an update does
  // not scan the file: an options file makes 800 of them.
  struct Block {
    std::vector<Line> lines;
    FirstPositions names;       // each name's first line
    size_t lastNonBlank = 0;    // where a new value goes after
    // Adds a line; a header only as the block's first.
    void Add(Line line, bool header);
    std::optional<size_t> Find(std::wstring_view name) const;
  };

  // Splits a text of `size` characters into lines and adds them: `findNewline(from)`
  // gives the next line feed's position or npos, `isCr(at)` whether a
  // character is a carriage return, `piece(from, count)` the text of a line.
  template <class FindNewline, class IsCr, class Piece>
  void AddLines(size_t size, const FindNewline& findNewline, const IsCr& isCr, const Piece& piece);
  // Adds a line at the end: to the last block, or as a new block's header.
  void AddLine(Line line);
  // The first block of a section.
  std::optional<size_t> FindSection(const std::wstring& section) const;
  // Makes the last block, whose first line is its header, findable.
  void IndexLastSection();
  Line* LastLine();

  Encoding encoding_ = Encoding::Ansi;
  std::vector<Block> blocks_{1};
  FirstPositions sections_;  // each section's first block
  // The sections found last, by their exact text: a load or a save asks for
  // the same few sections hundreds of times in turn. A section's first block
  // never changes, so what is kept stays right.
  struct RecentSection {
    std::wstring section;
    size_t block = 0;
  };
  mutable std::array<RecentSection, 4> recentSections_;
  mutable size_t nextRecent_ = 0;
};

// Buffer sizes of the reads: a string value and the text of an integer.
inline constexpr size_t kIniStringBuffer = 1024;
inline constexpr size_t kIniIntBuffer = 30;

// The INI file at `path`; an absent or unreadable file reads as empty.
IniDocument ReadIniFile(const std::wstring& path);

// An INI file read once, changed in memory and written back in one piece:
// the new content goes to a temporary file that then replaces the old one,
// so a failure leaves the old file whole. A link is followed, so that the
// file it names is updated and the link stays. A read-only file is not
// replaced, and neither is a file that exists but cannot be read.
class IniFileUpdate {
 public:
  explicit IniFileUpdate(const std::wstring& path);

  IniDocument& Document() { return document_; }
  // Writes the document; on failure returns the system's reason.
  std::optional<std::wstring> Commit();

 private:
  std::filesystem::path target_;
  std::optional<std::wstring> readFailure_;
  IniDocument document_;
};

// Sets one value in the INI file at `path`, creating the file when it does
// not exist (an IniFileUpdate of one value). On failure returns the system's
// reason.
std::optional<std::wstring> WriteIniValue(const std::wstring& path, const std::wstring& section,
                                          const std::wstring& name, const std::wstring& value);
