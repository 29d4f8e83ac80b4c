#include "freetype_text_measurer.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H
#include FT_TRUETYPE_TABLES_H
#include <fontconfig/fontconfig.h>
#include <iconv.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <map>
#include <tuple>
#include <unordered_map>
#include <utility>

#include "text_encoding.h"
#include "text_measurer_factory.h"

namespace wmf {
namespace {

constexpr uint8_t kAnsiCharset = 0;
constexpr uint8_t kSymbolCharset = 2;
constexpr int kDefaultCellHeight = 16;  // lfHeight 0, as GDI's default font
constexpr char32_t kSymbolArea = 0xF000;

using CodeTable = std::array<char32_t, 256>;
using Advances = std::array<int32_t, 256>;

struct FtLibraryDeleter {
  void operator()(FT_Library library) const { FT_Done_FreeType(library); }
};
using FtLibrary = std::unique_ptr<FT_LibraryRec_, FtLibraryDeleter>;

struct FtFaceDeleter {
  void operator()(FT_Face face) const { FT_Done_Face(face); }
};
using FtFace = std::unique_ptr<FT_FaceRec_, FtFaceDeleter>;

struct FcPatternDeleter {
  void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
using FcPatternOwner = std::unique_ptr<FcPattern, FcPatternDeleter>;

struct IconvCloser {
  using pointer = iconv_t;
  void operator()(iconv_t cd) const { iconv_close(cd); }
};

// Unicode of the bytes 0x80..0x9F in Windows-1252; its five undefined bytes
// keep their own value, as Windows maps them.
constexpr char32_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

CodeTable Windows1252() {
  CodeTable table;
  for (size_t c = 0; c < 256; ++c) table[c] = c >= 0x80 && c < 0xA0 ? kWindows1252High[c - 0x80] : char32_t(c);
  return table;
}

// A LOGFONT face name, whose 8-bit characters are in the ANSI code page, as
// the UTF-8 family name fontconfig takes.
std::string FamilyName(const std::string& face) {
  static const CodeTable ansi = Windows1252();
  std::wstring wide;
  for (const char c : face) wide.push_back(static_cast<wchar_t>(ansi[static_cast<uint8_t>(c)]));
  return ToUtf8(wide);
}

// The code page GDI decodes 8-bit text with for a LOGFONT charset, named as
// iconv knows it; null for Windows-1252.
const char* CodePageOf(uint8_t charSet) {
  switch (charSet) {
    case 77: return "MACINTOSH";  // MAC_CHARSET
    case 161: return "CP1253";    // GREEK_CHARSET
    case 162: return "CP1254";    // TURKISH_CHARSET
    case 163: return "CP1258";    // VIETNAMESE_CHARSET
    case 177: return "CP1255";    // HEBREW_CHARSET
    case 178: return "CP1256";    // ARABIC_CHARSET
    case 186: return "CP1257";    // BALTIC_CHARSET
    case 204: return "CP1251";    // RUSSIAN_CHARSET
    case 222: return "CP874";     // THAI_CHARSET
    case 238: return "CP1250";    // EASTEUROPE_CHARSET
    case 255: return "CP437";     // OEM_CHARSET
    default: return nullptr;
  }
}

// Charsets that decode alike share one table of advances.
uint8_t TableCharset(uint8_t charSet) {
  return charSet == kSymbolCharset || CodePageOf(charSet) ? charSet : kAnsiCharset;
}

// Each byte decoded on its own; a byte the code page leaves undefined keeps
// its own value.
CodeTable DecodeTable(uint8_t charSet) {
  CodeTable table = Windows1252();
  const char* codePage = CodePageOf(charSet);
  if (!codePage) return table;
  const iconv_t cd = iconv_open("UTF-32LE", codePage);
  if (cd == reinterpret_cast<iconv_t>(-1)) return table;
  const std::unique_ptr<void, IconvCloser> closer(cd);
  for (size_t c = 0; c < 256; ++c) {
    char in = static_cast<char>(c);
    uint8_t out[8] = {};
    char* inPtr = &in;
    char* outPtr = reinterpret_cast<char*>(out);
    size_t inLeft = 1, outLeft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    const bool converted = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1) &&
                           iconv(cd, nullptr, nullptr, &outPtr, &outLeft) != static_cast<size_t>(-1);
    // Stateful code pages hold back a base letter until the flush above.
    if (converted && sizeof out - outLeft >= 4)
      table[c] = out[0] | (out[1] << 8) | (out[2] << 16) | (char32_t(out[3]) << 24);
    else
      table[c] = char32_t(c);
  }
  return table;
}

FT_UInt GlyphIn(FT_Face face, FT_Encoding encoding, FT_ULong code) {
  if (FT_Select_Charmap(face, encoding) != 0) return 0;
  return FT_Get_Char_Index(face, code);
}

// The glyph of byte `c`: for SYMBOL_CHARSET as GDI finds it in a symbol font
// (U+F000 + c first), otherwise the decoded character. 0 is the font's
// missing-character glyph, which is then measured.
FT_UInt GlyphOf(FT_Face face, uint8_t charSet, const CodeTable& decoded, uint8_t c) {
  if (charSet == kSymbolCharset) {
    for (const FT_Encoding encoding : {FT_ENCODING_MS_SYMBOL, FT_ENCODING_UNICODE})
      for (const FT_ULong code : {FT_ULong(kSymbolArea + c), FT_ULong(c)})
        if (const FT_UInt glyph = GlyphIn(face, encoding, code)) return glyph;
    // Type 1 and CFF symbol fonts index their own encoding by the byte.
    if (const FT_UInt glyph = GlyphIn(face, FT_ENCODING_ADOBE_CUSTOM, c)) return glyph;
  }
  return GlyphIn(face, FT_ENCODING_UNICODE, decoded[c]);
}

// A font file opened once: its metrics in font units and, per charset, the
// advances of the 256 8-bit characters.
struct LoadedFace {
  FtFace face;  // null for the estimate used when no font can be loaded
  std::string name;
  FreetypeTextMeasurer::FontFile file;
  double unitsPerEm = 1000;
  int32_t ascent = 800;  // usWinAscent, as GDI's tmAscent
  int32_t descent = 200;  // usWinDescent
  int32_t averageWidth = 500;  // xAvgCharWidth; 0 when the font gives none
  std::map<uint8_t, Advances> advancesByCharset;

  const Advances& AdvancesFor(uint8_t charSet) {
    charSet = TableCharset(charSet);
    auto found = advancesByCharset.find(charSet);
    if (found != advancesByCharset.end()) return found->second;
    Advances advances;
    advances.fill(averageWidth);
    if (face) {
      const CodeTable decoded = DecodeTable(charSet);
      for (size_t c = 0; c < 256; ++c) {
        FT_Fixed advance = 0;
        FT_Get_Advance(face.get(), GlyphOf(face.get(), charSet, decoded, static_cast<uint8_t>(c)),
                       FT_LOAD_NO_SCALE, &advance);
        advances[c] = static_cast<int32_t>(advance);
      }
    }
    return advancesByCharset.emplace(charSet, advances).first->second;
  }
};

std::unique_ptr<LoadedFace> OpenFace(FT_Library library, const char* file, int index) {
  FT_Face raw = nullptr;
  if (FT_New_Face(library, file, index, &raw) != 0) return nullptr;
  auto loaded = std::make_unique<LoadedFace>();
  loaded->face.reset(raw);
  loaded->file = {file, index};
  if (!FT_IS_SCALABLE(raw) || raw->units_per_EM == 0) return nullptr;
  loaded->name = std::string(raw->family_name ? raw->family_name : "") + " " + (raw->style_name ? raw->style_name : "");
  loaded->unitsPerEm = raw->units_per_EM;
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(raw, FT_SFNT_OS2));
  const bool hasOs2 = os2 && os2->version != 0xFFFF;
  if (hasOs2 && os2->usWinAscent + os2->usWinDescent > 0) {
    loaded->ascent = os2->usWinAscent;
    loaded->descent = os2->usWinDescent;
  } else {
    loaded->ascent = raw->ascender;
    loaded->descent = -raw->descender;
  }
  if (loaded->ascent + loaded->descent <= 0) {
    loaded->ascent = raw->units_per_EM;
    loaded->descent = 0;
  }
  loaded->averageWidth = hasOs2 ? os2->xAvgCharWidth : 0;
  return loaded;
}

// What fontconfig is asked for: the parts of a LOGFONT that choose the font.
struct FontRequest {
  std::string face;
  int weight;
  bool italic;
  uint8_t pitchAndFamily;

  auto operator<=>(const FontRequest&) const = default;
};

struct FontChoice {
  LoadedFace* face = nullptr;
  bool embolden = false;  // no bold face: GDI thickens the strokes, one pixel wider
};

// The generic family GDI's font mapper leans to, by lfPitchAndFamily.
const char* GenericFamily(uint8_t pitchAndFamily) {
  constexpr uint8_t kFixedPitch = 1, kFamilyRoman = 0x10, kFamilyModern = 0x30;
  if ((pitchAndFamily & 0x03) == kFixedPitch || (pitchAndFamily & 0xF0) == kFamilyModern) return "monospace";
  if ((pitchAndFamily & 0xF0) == kFamilyRoman) return "serif";
  return "sans-serif";
}

struct SizedFont {
  Advances advances;  // in pixels, per byte
  int32_t height = 0;
  int32_t ascent = 0;
  const LoadedFace* face = nullptr;
};

int32_t RoundToInt(double value) {
  return static_cast<int32_t>(std::clamp(std::round(value), -2147483647.0, 2147483647.0));
}

}  // namespace

class FreetypeTextMeasurer::Impl {
 public:
  Impl() {
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) == 0) library_.reset(library);
  }

  const SizedFont& SizedFontFor(const LogFont& font) {
    if (last_ && font == lastFont_) return *last_;
    auto found = sized_.find(font);
    if (found == sized_.end()) found = sized_.emplace(font, MakeSized(font)).first;
    lastFont_ = font;
    last_ = &found->second;
    return *last_;
  }

 private:
  SizedFont MakeSized(const LogFont& font) {
    const FontChoice choice = Choose(
        FontRequest{font.faceName, std::clamp(font.weight == 0 ? 400 : int(font.weight), 1, 1000),
                    font.italic != 0, font.pitchAndFamily});
    LoadedFace& face = *choice.face;
    const int height = font.height == 0 ? kDefaultCellHeight : font.height;
    // GDI renders TrueType at whole pixels per em; a cell height is met as
    // nearly as that allows.
    const double ppem = height > 0 ? std::max(1.0, std::round(face.unitsPerEm * height / (face.ascent + face.descent)))
                                   : -double(height);
    const double scale = ppem / face.unitsPerEm;
    SizedFont sized;
    sized.face = &face;
    sized.ascent = RoundToInt(face.ascent * scale);
    sized.height = sized.ascent + RoundToInt(face.descent * scale);
    const double xScale = font.width != 0 && face.averageWidth > 0 ? std::abs(font.width) / double(face.averageWidth) : scale;
    const Advances& units = face.AdvancesFor(font.charSet);
    for (size_t c = 0; c < 256; ++c) sized.advances[c] = RoundToInt(units[c] * xScale) + (choice.embolden ? 1 : 0);
    return sized;
  }

  FontChoice Choose(const FontRequest& request) {
    auto found = choices_.find(request);
    if (found != choices_.end()) return found->second;
    FontChoice choice = Match(request);
    if (!choice.face && request.face != "sans-serif") {
      FontRequest fallback = request;
      fallback.face = "sans-serif";
      choice = Choose(fallback);
    }
    if (!choice.face) choice.face = &estimate_;
    choices_.emplace(request, choice);
    return choice;
  }

  // Null face when fontconfig finds nothing that FreeType can scale.
  FontChoice Match(const FontRequest& request) {
    if (!library_) return {};
    FcPatternOwner pattern(FcPatternCreate());
    if (!pattern) return {};
    const auto family = [&](const char* name) {
      FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(name));
    };
    if (!request.face.empty()) family(FamilyName(request.face).c_str());
    family(GenericFamily(request.pitchAndFamily));
    FcPatternAddInteger(pattern.get(), FC_WEIGHT, FcWeightFromOpenType(request.weight));
    FcPatternAddInteger(pattern.get(), FC_SLANT, request.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    const FcPatternOwner match(FcFontMatch(nullptr, pattern.get(), &result));
    FcChar8* file = nullptr;
    if (!match || FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch) return {};
    int index = 0;
    FcPatternGetInteger(match.get(), FC_INDEX, 0, &index);
    FcBool embolden = FcFalse;
    FcPatternGetBool(match.get(), FC_EMBOLDEN, 0, &embolden);
    return FontChoice{Open(reinterpret_cast<const char*>(file), index), embolden == FcTrue};
  }

  LoadedFace* Open(const std::string& file, int index) {
    const auto key = std::make_pair(file, index);
    auto found = faces_.find(key);
    if (found == faces_.end()) found = faces_.emplace(key, OpenFace(library_.get(), file.c_str(), index)).first;
    return found->second.get();
  }

  FtLibrary library_;
  std::map<std::pair<std::string, int>, std::unique_ptr<LoadedFace>> faces_;  // null: cannot be used
  LoadedFace estimate_;
  std::map<FontRequest, FontChoice> choices_;
  std::unordered_map<LogFont, SizedFont, LogFontHash> sized_;
  LogFont lastFont_;
  const SizedFont* last_ = nullptr;
};

FreetypeTextMeasurer::FreetypeTextMeasurer() : impl_(std::make_unique<Impl>()) {}
FreetypeTextMeasurer::~FreetypeTextMeasurer() = default;

TextExtent FreetypeTextMeasurer::Measure(const LogFont& font, std::string_view text) {
  const SizedFont& sized = impl_->SizedFontFor(font);
  int64_t cx = 0;
  for (const char c : text) cx += sized.advances[static_cast<uint8_t>(c)];
  return TextExtent{static_cast<int32_t>(std::min<int64_t>(cx, std::numeric_limits<int32_t>::max())), sized.height,
                    sized.ascent};
}

std::string FreetypeTextMeasurer::FontNameFor(const LogFont& font) { return impl_->SizedFontFor(font).face->name; }

FreetypeTextMeasurer::FontFile FreetypeTextMeasurer::FontFileFor(const LogFont& font) {
  return impl_->SizedFontFor(font).face->file;
}

#if defined(__SANITIZE_ADDRESS__)
// fontconfig loses a few bytes while it parses its configuration, once per
// process; LeakSanitizer is told so, to keep the sanitized programs' reports clean.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
#endif

std::unique_ptr<TextMeasurer> MakeTextMeasurer() { return std::make_unique<FreetypeTextMeasurer>(); }

}  // namespace wmf
