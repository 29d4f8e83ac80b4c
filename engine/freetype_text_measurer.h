// Text measurement with FreeType and fontconfig, for builds without GDI. It
// sizes text as GDI does on a display in MM_TEXT, one unit per pixel.
#pragma once

#include <memory>
#include <string>

#include "text_measurer.h"

namespace wmf {

// Maps a LOGFONT to an installed font through fontconfig: the face name as
// family (an empty face asks for the generic family of lfPitchAndFamily; an
// unknown one falls back to sans-serif), lfWeight (0 counts as 400) and
// lfItalic. Heights as GDI: lfHeight > 0 is the cell height (ascent +
// descent), < 0 the em height, 0 a cell height of 16. lfWidth != 0 scales the
// advances so that the font's average character width becomes |lfWidth|.
// 8-bit characters are decoded with the code page of lfCharSet (Windows-1252
// for ANSI, DEFAULT and the double-byte sets, which are measured byte by
// byte); SYMBOL_CHARSET looks characters up at U+F000 + c first.
// Font lookups and the advances of all 256 characters are cached per LOGFONT,
// so that measuring a string costs one table lookup per character.
class FreetypeTextMeasurer : public TextMeasurer {
 public:
  FreetypeTextMeasurer();
  ~FreetypeTextMeasurer() override;
  FreetypeTextMeasurer(const FreetypeTextMeasurer&) = delete;
  FreetypeTextMeasurer& operator=(const FreetypeTextMeasurer&) = delete;

  TextExtent Measure(const LogFont& font, std::string_view text) override;

  // Family and style of the installed font that `font` is measured in; empty
  // when no font could be loaded and sizes are estimated from the height.
  std::string FontNameFor(const LogFont& font);

  // The file and face index of that font; an empty path for the estimate.
  struct FontFile {
    std::string path;
    int index = 0;
  };
  FontFile FontFileFor(const LogFont& font);

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace wmf
