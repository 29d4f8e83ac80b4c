// Placeholder measurer until the platform measurers exist: every character
// is half as wide as the font is high.
#include <cstdlib>

#include "text_measurer_factory.h"

namespace wmf {
namespace {

class ApproximateTextMeasurer : public TextMeasurer {
 public:
  TextExtent Measure(const LogFont& font, std::string_view text) override {
    const int32_t height = font.height == 0 ? 16 : std::abs(font.height);
    return TextExtent{static_cast<int32_t>(text.size()) * height / 2, height, height * 4 / 5};
  }
};

}  // namespace

std::unique_ptr<TextMeasurer> MakeTextMeasurer() { return std::make_unique<ApproximateTextMeasurer>(); }

}  // namespace wmf
