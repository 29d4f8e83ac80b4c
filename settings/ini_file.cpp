#include "ini_file.h"

#include <algorithm>
#include <cstring>
#include <array>
#include <cwctype>
#include <filesystem>
#include <iterator>
#include <optional>
#include <system_error>

#include "text_encoding.h"
#include "whole_file.h"

namespace {

namespace fs = std::filesystem;

// Windows-1252 at 0x80..0x9F; the five bytes it leaves undefined map to the
// control characters of the same number, as Windows maps them.
constexpr char16_t kAnsiHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Each byte's character, and the byte of each character below U+0100 ('?' for
// those the code page lacks, as Windows writes them). Tables, so that a file
// is converted without a test per character.
struct AnsiTables {
  std::array<wchar_t, 0x100> character{};
  std::array<uint8_t, 0x100> byte{};
};
constexpr AnsiTables kAnsi = [] {
  AnsiTables tables;
  for (int b = 0; b < 0x100; ++b) {
    tables.character[b] = b >= 0x80 && b < 0xA0 ? static_cast<wchar_t>(kAnsiHigh[b - 0x80]) : static_cast<wchar_t>(b);
    tables.byte[b] = b >= 0x80 && b < 0xA0 ? '?' : static_cast<uint8_t>(b);
  }
  for (int k = 0; k < 32; ++k)
    if (kAnsiHigh[k] < 0x100) tables.byte[kAnsiHigh[k]] = static_cast<uint8_t>(0x80 + k);
  return tables;
}();

std::wstring DecodeAnsi(const uint8_t* bytes, size_t count) {
  std::wstring text(count, L'\0');
  for (size_t i = 0; i < count; ++i) text[i] = kAnsi.character[bytes[i]];
  return text;
}

// Appends the text in the ANSI code page.
void EncodeAnsi(std::wstring_view text, std::vector<uint8_t>& out) {
  const size_t start = out.size();
  out.resize(start + text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const uint32_t c = static_cast<uint32_t>(text[i]);
    uint8_t b = '?';
    if (c < 0x100) {
      b = kAnsi.byte[c];
    } else {
      for (int k = 0; k < 32; ++k)
        if (kAnsiHigh[k] == c) b = static_cast<uint8_t>(0x80 + k);
    }
    out[start + i] = b;
  }
}

std::wstring DecodeUtf16(const uint8_t* bytes, size_t count, bool bigEndian) {
  std::u16string units;
  units.reserve(count / 2);
  for (size_t i = 0; i + 1 < count; i += 2)
    units.push_back(bigEndian ? static_cast<char16_t>(bytes[i] << 8 | bytes[i + 1])
                              : static_cast<char16_t>(bytes[i + 1] << 8 | bytes[i]));
  return FromUtf16(units);
}

void EncodeUtf16(const std::wstring& text, bool bigEndian, std::vector<uint8_t>& out) {
  for (char16_t unit : ToUtf16(text)) {
    const uint8_t high = static_cast<uint8_t>(unit >> 8), low = static_cast<uint8_t>(unit & 0xFF);
    out.push_back(bigEndian ? high : low);
    out.push_back(bigEndian ? low : high);
  }
}

// The blanks that the private-profile functions trim, the DOS end-of-file
// mark among them.
bool IsBlank(wchar_t c) {
  return c == L' ' || (c >= L'\t' && c <= L'\r') || c == 0x1A;
}

std::wstring_view Trim(std::wstring_view text) {
  size_t first = 0, last = text.size();
  while (first < last && IsBlank(text[first])) ++first;
  while (last > first && IsBlank(text[last - 1])) --last;
  return text.substr(first, last - first);
}

// The name of a section header line, or nullopt for any other line.
std::optional<std::wstring_view> SectionName(std::wstring_view line) {
  const std::wstring_view trimmed = Trim(line);
  if (trimmed.empty() || trimmed[0] != L'[') return std::nullopt;
  const size_t close = trimmed.rfind(L']');
  if (close == std::wstring_view::npos) return std::nullopt;
  return Trim(trimmed.substr(1, close - 1));
}

// The name part of a value line: the text before "=", or the whole line.
std::wstring_view NamePart(std::wstring_view line) {
  const std::wstring_view trimmed = Trim(line);
  return Trim(trimmed.substr(0, trimmed.find(L'=')));
}

// "name=value", made in one piece.
std::wstring ValueLine(const std::wstring& name, const std::wstring& value) {
  std::wstring line;
  line.reserve(name.size() + 1 + value.size());
  line += name;
  line += L'=';
  line += value;
  return line;
}

fs::path FilePath(const std::wstring& path) {
#ifdef _WIN32
  return fs::path(path);
#else
  return fs::path(ToUtf8(path));
#endif
}

constexpr uint8_t kUtf8Mark[] = {0xEF, 0xBB, 0xBF};

}  // namespace

namespace {

// A character as names are compared. ASCII from a table, without a call into
// the C library: the programs keep the C locale, in which towlower does the
// same.
wchar_t Folded(wchar_t c) {
  static constexpr std::array<wchar_t, 0x80> kAscii = [] {
    std::array<wchar_t, 0x80> table{};
    for (wchar_t a = 0; a < 0x80; ++a) table[a] = a >= L'A' && a <= L'Z' ? a + (L'a' - L'A') : a;
    return table;
  }();
  return static_cast<uint32_t>(c) < 0x80 ? kAscii[c] : static_cast<wchar_t>(std::towlower(c));
}

}  // namespace

size_t IniDocument::NoCaseHash::operator()(std::wstring_view text) const {
  size_t hash = 14695981039346656037ull;
  for (wchar_t c : text) hash = (hash ^ static_cast<size_t>(Folded(c))) * 1099511628211ull;
  return hash;
}

bool IniDocument::NoCaseEqual::operator()(std::wstring_view a, std::wstring_view b) const {
  if (a.size() != b.size()) return false;
  if (a == b) return true;  // the usual case, and one comparison of memory
  for (size_t i = 0; i < a.size(); ++i)
    if (Folded(a[i]) != Folded(b[i])) return false;
  return true;
}

template <class NameAt>
std::optional<size_t> IniDocument::FirstPositions::Find(std::wstring_view name, const NameAt& nameAt) const {
  if (slots_.empty()) return std::nullopt;
  const size_t mask = slots_.size() - 1;
  const uint32_t hash = static_cast<uint32_t>(NoCaseHash{}(name));
  for (size_t at = hash & mask;; at = (at + 1) & mask) {
    const Slot& slot = slots_[at];
    if (slot.position == 0) return std::nullopt;
    if (slot.hash == hash && NoCaseEqual{}(nameAt(slot.position - 1), name)) return slot.position - 1;
  }
}

template <class NameAt>
void IniDocument::FirstPositions::Add(size_t position, const NameAt& nameAt) {
  const std::wstring_view name = nameAt(position);
  if (Find(name, nameAt)) return;
  if (2 * (count_ + 1) > slots_.size()) {
    // At most half full, so that a search soon meets a free slot.
    std::vector<Slot> old(std::max<size_t>(16, 2 * slots_.size()));
    old.swap(slots_);
    for (const Slot& slot : old)
      if (slot.position != 0) Put(slot);
  }
  Put(Slot{static_cast<uint32_t>(position + 1), static_cast<uint32_t>(NoCaseHash{}(name))});
  ++count_;
}

void IniDocument::FirstPositions::Put(Slot slot) {
  const size_t mask = slots_.size() - 1;
  size_t at = slot.hash & mask;
  while (slots_[at].position != 0) at = (at + 1) & mask;
  slots_[at] = slot;
}

IniDocument IniDocument::Decode(const std::vector<uint8_t>& bytes) {
  IniDocument document;
  const uint8_t* data = bytes.data();
  const size_t size = bytes.size();
  std::wstring text;
  if (size >= 3 && data[0] == kUtf8Mark[0] && data[1] == kUtf8Mark[1] && data[2] == kUtf8Mark[2]) {
    document.encoding_ = Encoding::Utf8;
    text = FromUtf8(std::string(bytes.begin() + 3, bytes.end()));
  } else if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
    document.encoding_ = Encoding::Utf16Le;
    text = DecodeUtf16(data + 2, size - 2, false);
  } else if (size >= 2 && data[0] == 0xFE && data[1] == 0xFF) {
    document.encoding_ = Encoding::Utf16Be;
    text = DecodeUtf16(data + 2, size - 2, true);
  } else {
    // The usual kind, one byte a character: decoded line by line, without a
    // copy of the whole file in between.
    const auto findNewline = [&](size_t from) {
      const void* newline = std::memchr(data + from, '\n', size - from);
      return newline ? static_cast<size_t>(static_cast<const uint8_t*>(newline) - data) : std::wstring::npos;
    };
    document.AddLines(size, findNewline, [&](size_t at) { return data[at] == '\r'; },
                      [&](size_t from, size_t count) { return DecodeAnsi(data + from, count); });
    return document;
  }
  document.AddLines(
      text.size(), [&](size_t from) { return text.find(L'\n', from); }, [&](size_t at) { return text[at] == L'\r'; },
      [&](size_t from, size_t count) { return text.substr(from, count); });
  return document;
}

template <class FindNewline, class IsCr, class Piece>
void IniDocument::AddLines(size_t size, const FindNewline& findNewline, const IsCr& isCr, const Piece& piece) {
  size_t start = 0;
  while (start < size) {
    const size_t newline = findNewline(start);
    if (newline == std::wstring::npos) {
      AddLine(Line{piece(start, size - start), Ending::None});
      return;
    }
    const bool cr = newline > start && isCr(newline - 1);
    AddLine(Line{piece(start, newline - start - cr), cr ? Ending::CrLf : Ending::Lf});
    start = newline + 1;
  }
}

void IniDocument::AddLine(Line line) {
  const bool header = SectionName(line.text).has_value();
  if (header) blocks_.emplace_back();
  blocks_.back().Add(std::move(line), header);
  if (header) IndexLastSection();
}

std::vector<uint8_t> IniDocument::Encode() const {
  std::vector<uint8_t> bytes;
  if (encoding_ == Encoding::Ansi) {
    // Line by line, without a copy of the whole text in between.
    for (const Block& block : blocks_) {
      for (const Line& line : block.lines) {
        EncodeAnsi(line.text, bytes);
        if (line.end == Ending::CrLf) bytes.push_back('\r');
        if (line.end != Ending::None) bytes.push_back('\n');
      }
    }
    return bytes;
  }
  std::wstring text;
  for (const Block& block : blocks_) {
    for (const Line& line : block.lines) {
      text += line.text;
      if (line.end == Ending::CrLf) text += L"\r\n";
      if (line.end == Ending::Lf) text += L'\n';
    }
  }
  switch (encoding_) {
    case Encoding::Ansi:  // written above
      break;
    case Encoding::Utf8: {
      bytes.assign(std::begin(kUtf8Mark), std::end(kUtf8Mark));
      const std::string utf8 = ToUtf8(text);
      bytes.insert(bytes.end(), utf8.begin(), utf8.end());
      break;
    }
    case Encoding::Utf16Le:
      bytes = {0xFF, 0xFE};
      EncodeUtf16(text, false, bytes);
      break;
    case Encoding::Utf16Be:
      bytes = {0xFE, 0xFF};
      EncodeUtf16(text, true, bytes);
      break;
  }
  return bytes;
}

void IniDocument::Block::Add(Line line, bool header) {
  const size_t at = lines.size();
  const bool blank = !header && Trim(line.text).empty();
  // A header is no value line; the first line of a name is the one that counts.
  const bool valueLine = !blank && !header;
  lines.push_back(std::move(line));
  if (valueLine) names.Add(at, [this](size_t i) { return NamePart(lines[i].text); });
  if (!blank) lastNonBlank = at;
}

std::optional<size_t> IniDocument::Block::Find(std::wstring_view name) const {
  return names.Find(name, [this](size_t i) { return NamePart(lines[i].text); });
}

std::optional<size_t> IniDocument::FindSection(const std::wstring& section) const {
  for (const RecentSection& recent : recentSections_)
    if (recent.block != 0 && recent.section == section) return recent.block;
  const std::optional<size_t> found =
      sections_.Find(Trim(section), [this](size_t b) { return *SectionName(blocks_[b].lines[0].text); });
  if (found) {
    recentSections_[nextRecent_] = RecentSection{section, *found};
    nextRecent_ = (nextRecent_ + 1) % recentSections_.size();
  }
  return found;
}

void IniDocument::IndexLastSection() {
  sections_.Add(blocks_.size() - 1, [this](size_t b) { return *SectionName(blocks_[b].lines[0].text); });
}

IniDocument::Line* IniDocument::LastLine() {
  for (auto block = blocks_.rbegin(); block != blocks_.rend(); ++block)
    if (!block->lines.empty()) return &block->lines.back();
  return nullptr;
}

std::optional<std::wstring> IniDocument::Value(const std::wstring& section, const std::wstring& name,
                                               size_t bufferChars) const {
  const std::optional<std::wstring_view> value = ValueView(section, name, bufferChars);
  if (!value) return std::nullopt;
  return std::wstring(*value);
}

std::optional<std::wstring_view> IniDocument::ValueView(const std::wstring& section, const std::wstring& name,
                                                        size_t bufferChars) const {
  const std::wstring_view trimmedName = Trim(name);
  if (trimmedName.empty() || bufferChars == 0) return std::nullopt;
  const std::optional<size_t> found = FindSection(section);
  if (!found) return std::nullopt;
  const Block* block = &blocks_[*found];
  const std::optional<size_t> at = block->Find(trimmedName);
  if (!at) return std::nullopt;
  const std::wstring_view line = Trim(block->lines[*at].text);
  const size_t equals = line.find(L'=');
  if (equals == std::wstring_view::npos) return std::nullopt;
  std::wstring_view value = Trim(line.substr(equals + 1));
  // A quoted value loses its quotes. The closing one goes with the last
  // character copied, so a value that fills the buffer loses one more.
  const bool quoted = value.size() > 1 && (value[0] == L'"' || value[0] == L'\'') && value.back() == value[0];
  if (quoted) value.remove_prefix(1);
  const size_t fullLength = value.size();
  value = value.substr(0, std::min(value.size(), bufferChars - 1));
  if (quoted && bufferChars >= fullLength && !value.empty()) value.remove_suffix(1);
  return value;
}

void IniDocument::SetValue(const std::wstring& section, const std::wstring& name, const std::wstring& value) {
  const std::optional<size_t> found = FindSection(section);
  if (!found) {
    if (Line* last = LastLine(); last && last->end == Ending::None) last->end = Ending::CrLf;
    Block& added = blocks_.emplace_back();
    added.Add(Line{L"[" + section + L"]", Ending::CrLf}, true);
    IndexLastSection();
    added.Add(Line{ValueLine(name, value), Ending::CrLf}, false);
    return;
  }
  Block* block = &blocks_[*found];
  if (const std::optional<size_t> at = block->Find(Trim(name))) {
    Line& line = block->lines[*at];
    std::wstring text(NamePart(line.text));
    text += L'=';
    text += value;
    line.text = std::move(text);
    return;
  }
  // After the section's last non-blank line; the blank lines that close the
  // section stay after the new value.
  const size_t after = block->lastNonBlank;
  if (block->lines[after].end == Ending::None) block->lines[after].end = Ending::CrLf;
  block->lines.insert(block->lines.begin() + static_cast<std::ptrdiff_t>(after + 1),
                      Line{ValueLine(name, value), Ending::CrLf});
  block->names.Add(after + 1, [block](size_t i) { return NamePart(block->lines[i].text); });
  block->lastNonBlank = after + 1;
}

IniDocument ReadIniFile(const std::wstring& path) {
  std::wstring reason;
  const std::optional<std::vector<uint8_t>> bytes = ReadWholeFile(FilePath(path), reason);
  return bytes ? IniDocument::Decode(*bytes) : IniDocument{};
}

IniFileUpdate::IniFileUpdate(const std::wstring& path) : target_(FilePath(path)) {
  std::error_code ec;
  if (fs::is_symlink(target_, ec)) {
    const fs::path resolved = fs::canonical(target_, ec);
    if (!ec) target_ = resolved;
  }
  if (!fs::exists(target_, ec)) return;
  std::wstring reason;
  if (const std::optional<std::vector<uint8_t>> bytes = ReadWholeFile(target_, reason))
    document_ = IniDocument::Decode(*bytes);
  else
    readFailure_ = reason;
}

std::optional<std::wstring> IniFileUpdate::Commit() {
  // A file that was not read would lose its content.
  if (readFailure_) return readFailure_;
  return ReplaceWholeFile(target_, {document_.Encode()});
}

std::optional<std::wstring> WriteIniValue(const std::wstring& path, const std::wstring& section,
                                          const std::wstring& name, const std::wstring& value) {
  IniFileUpdate update(path);
  update.Document().SetValue(section, name, value);
  return update.Commit();
}
