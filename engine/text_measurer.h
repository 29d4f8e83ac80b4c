// Text measurement for the extent analysis: the size of a string in a font
// given as the picture's LOGFONT, in the picture's logical units.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace wmf {

// The LOGFONT of a MetaCreateFontIndirect record.
struct LogFont {
  int16_t height = 0;  // > 0 cell height, < 0 character height, 0 default
  int16_t width = 0;
  int16_t escapement = 0;   // tenths of a degree
  int16_t orientation = 0;  // tenths of a degree
  int16_t weight = 0;
  uint8_t italic = 0;
  uint8_t underline = 0;
  uint8_t strikeOut = 0;
  uint8_t charSet = 0;
  uint8_t outPrecision = 0;
  uint8_t clipPrecision = 0;
  uint8_t quality = 0;
  uint8_t pitchAndFamily = 0;
  std::string faceName;  // 8-bit characters as stored, without the terminating zero

  bool operator==(const LogFont&) const = default;
};

// For caches keyed by LOGFONT: hashes the fields that choose and size a font.
struct LogFontHash {
  size_t operator()(const LogFont& font) const {
    size_t hash = std::hash<std::string>{}(font.faceName);
    for (const int field : {int(font.height), int(font.width), int(font.weight), int(font.italic),
                            int(font.charSet), int(font.pitchAndFamily)})
      hash = hash * 1000003u ^ std::hash<int>{}(field);
    return hash;
  }
};

struct TextExtent {
  int32_t cx = 0;      // advance width of the string
  int32_t cy = 0;      // height of the font's cell
  int32_t ascent = 0;  // tmAscent
};

class TextMeasurer {
 public:
  virtual ~TextMeasurer() = default;
  // `text` holds the record's 8-bit characters.
  virtual TextExtent Measure(const LogFont& font, std::string_view text) = 0;
  // `text` in UTF-16, as enhanced metafiles hold it. By default its
  // characters beyond Latin-1 are measured as '?'.
  virtual TextExtent MeasureWide(const LogFont& font, std::u16string_view text) {
    std::string narrow;
    narrow.reserve(text.size());
    for (const char16_t c : text) narrow.push_back(c < 256 ? static_cast<char>(c) : '?');
    return Measure(font, narrow);
  }
};

}  // namespace wmf
