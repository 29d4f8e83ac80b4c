// A measurer with simple, predictable sizes: every character is `advance`
// wide, the cell is the font's height (16 when unset), the ascent 3/4 of it.
#pragma once

#include <cstdlib>

#include "text_measurer.h"

namespace wmf::test {

class FakeTextMeasurer : public TextMeasurer {
 public:
  int advance = 5;
  int calls = 0;
  LogFont lastFont;

  TextExtent Measure(const LogFont& font, std::string_view text) override {
    ++calls;
    lastFont = font;
    const int32_t height = font.height == 0 ? 16 : std::abs(font.height);
    return TextExtent{static_cast<int32_t>(text.size()) * advance, height, height * 3 / 4};
  }
};

}  // namespace wmf::test
