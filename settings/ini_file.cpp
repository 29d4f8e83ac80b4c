#include "ini_file.h"

#include <algorithm>
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

std::wstring DecodeAnsi(const uint8_t* bytes, size_t count) {
  std::wstring text(count, L'\0');
  for (size_t i = 0; i < count; ++i) {
    const uint8_t b = bytes[i];
    text[i] = b >= 0x80 && b < 0xA0 ? static_cast<wchar_t>(kAnsiHigh[b - 0x80]) : static_cast<wchar_t>(b);
  }
  return text;
}

void EncodeAnsi(const std::wstring& text, std::vector<uint8_t>& out) {
  out.resize(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const uint32_t c = static_cast<uint32_t>(text[i]);
    uint8_t b = '?';  // not in the code page, as Windows writes it
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
      b = static_cast<uint8_t>(c);
    } else {
      for (int k = 0; k < 32; ++k)
        if (kAnsiHigh[k] == c) b = static_cast<uint8_t>(0x80 + k);
    }
    out[i] = b;
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

fs::path FilePath(const std::wstring& path) {
#ifdef _WIN32
  return fs::path(path);
#else
  return fs::path(ToUtf8(path));
#endif
}

constexpr uint8_t kUtf8Mark[] = {0xEF, 0xBB, 0xBF};

}  // namespace

size_t IniDocument::NoCaseHash::operator()(std::wstring_view text) const {
  size_t hash = 14695981039346656037ull;
  for (wchar_t c : text) hash = (hash ^ static_cast<size_t>(std::towlower(c))) * 1099511628211ull;
  return hash;
}

bool IniDocument::NoCaseEqual::operator()(std::wstring_view a, std::wstring_view b) const {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::towlower(a[i]) != std::towlower(b[i])) return false;
  return true;
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
    text = DecodeAnsi(data, size);
  }
  size_t start = 0;
  while (start < text.size()) {
    const size_t newline = text.find(L'\n', start);
    Line line = newline == std::wstring::npos
                    ? Line{text.substr(start), Ending::None}
                    : Line{text.substr(start, newline - start - (newline > start && text[newline - 1] == L'\r')),
                           newline > start && text[newline - 1] == L'\r' ? Ending::CrLf : Ending::Lf};
    if (const std::optional<std::wstring_view> section = SectionName(line.text)) {
      document.sections_.emplace(*section, document.blocks_.size());
      document.blocks_.emplace_back();
    }
    document.blocks_.back().Add(std::move(line));
    if (newline == std::wstring::npos) break;
    start = newline + 1;
  }
  return document;
}

std::vector<uint8_t> IniDocument::Encode() const {
  std::wstring text;
  for (const Block& block : blocks_) {
    for (const Line& line : block.lines) {
      text += line.text;
      if (line.end == Ending::CrLf) text += L"\r\n";
      if (line.end == Ending::Lf) text += L'\n';
    }
  }
  std::vector<uint8_t> bytes;
  switch (encoding_) {
    case Encoding::Ansi:
      EncodeAnsi(text, bytes);
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

void IniDocument::Block::Add(Line line) {
  const size_t at = lines.size();
  // A header is no value line; the first line of a name is the one that counts.
  if (at > 0 || !SectionName(line.text)) {
    if (Trim(line.text).empty()) {
      lines.push_back(std::move(line));
      return;
    }
    names.emplace(NamePart(line.text), at);
  }
  lastNonBlank = at;
  lines.push_back(std::move(line));
}

std::optional<size_t> IniDocument::FindSection(const std::wstring& section) const {
  const auto found = sections_.find(Trim(section));
  return found == sections_.end() ? std::nullopt : std::optional<size_t>(found->second);
}

IniDocument::Line* IniDocument::LastLine() {
  for (auto block = blocks_.rbegin(); block != blocks_.rend(); ++block)
    if (!block->lines.empty()) return &block->lines.back();
  return nullptr;
}

std::optional<std::wstring> IniDocument::Value(const std::wstring& section, const std::wstring& name,
                                               size_t bufferChars) const {
  if (Trim(name).empty() || bufferChars == 0) return std::nullopt;
  const std::optional<size_t> found = FindSection(section);
  if (!found) return std::nullopt;
  const Block* block = &blocks_[*found];
  const auto at = block->names.find(Trim(name));
  if (at == block->names.end()) return std::nullopt;
  const std::wstring_view line = Trim(block->lines[at->second].text);
  const size_t equals = line.find(L'=');
  if (equals == std::wstring_view::npos) return std::nullopt;
  std::wstring value(Trim(line.substr(equals + 1)));
  // A quoted value loses its quotes. The closing one goes with the last
  // character copied, so a value that fills the buffer loses one more.
  const bool quoted = value.size() > 1 && (value[0] == L'"' || value[0] == L'\'') && value.back() == value[0];
  if (quoted) value.erase(0, 1);
  const size_t fullLength = value.size();
  value.resize(std::min(value.size(), bufferChars - 1));
  if (quoted && bufferChars >= fullLength && !value.empty()) value.pop_back();
  return value;
}

void IniDocument::SetValue(const std::wstring& section, const std::wstring& name, const std::wstring& value) {
  const std::optional<size_t> found = FindSection(section);
  if (!found) {
    if (Line* last = LastLine(); last && last->end == Ending::None) last->end = Ending::CrLf;
    Line header{L"[" + section + L"]", Ending::CrLf};
    sections_.emplace(SectionName(header.text).value_or(L""), blocks_.size());
    Block& added = blocks_.emplace_back();
    added.Add(std::move(header));
    added.Add(Line{name + L"=" + value, Ending::CrLf});
    return;
  }
  Block* block = &blocks_[*found];
  const auto at = block->names.find(Trim(name));
  if (at != block->names.end()) {
    Line& line = block->lines[at->second];
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
                      Line{name + L"=" + value, Ending::CrLf});
  block->names.emplace(NamePart(block->lines[after + 1].text), after + 1);
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
