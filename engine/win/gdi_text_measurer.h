// Text measurement with GDI on a display device context in MM_TEXT, so that a
// font whose height is in the picture's logical units measures in them too.
#pragma once

#include <memory>

#include "text_measurer.h"

namespace wmf {

// One font per distinct LOGFONT is created and kept for the measurer's life;
// the text is measured unrotated (the extent analysis turns the box by the
// font's angle itself), so escapement and orientation do not make new fonts.
class GdiTextMeasurer : public TextMeasurer {
 public:
  GdiTextMeasurer();
  ~GdiTextMeasurer() override;
  GdiTextMeasurer(const GdiTextMeasurer&) = delete;
  GdiTextMeasurer& operator=(const GdiTextMeasurer&) = delete;

  TextExtent Measure(const LogFont& font, std::string_view text) override;

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace wmf
