#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "preview_layout.h"

namespace {

constexpr int kLine = 16, kGap = 8;

bool Inside(const PreviewBox& box, int width, int height) {
  return box.left >= 0 && box.top >= 0 && box.width >= 0 && box.height >= 0 && box.Right() <= width &&
         box.Bottom() <= height;
}
bool Apart(const PreviewBox& a, const PreviewBox& b) {
  return a.Right() <= b.left || b.Right() <= a.left || a.Bottom() <= b.top || b.Bottom() <= a.top;
}

struct LayoutCase {
  const char* name;
  int width, height;
  double originalAspect, improvedAspect;
  bool sideBySide;
};

TEST(PreviewLayout, ChoosesTheArrangementThatShowsBothLarger) {
  const LayoutCase cases[] = {
      {"wide window, square pictures", 800, 400, 1, 1, true},
      {"tall window, square pictures", 400, 800, 1, 1, false},
      {"square window, wide pictures", 600, 600, 4, 4, false},
      {"square window, tall pictures", 600, 600, 0.25, 0.25, true},
      {"a wide picture turned upright, wide window", 900, 500, 2, 0.5, true},
      {"a wide picture cropped wider, tall window", 500, 900, 1.4, 3, false},
  };
  for (const LayoutCase& c : cases) {
    SCOPED_TRACE(c.name);
    const PreviewLayout layout = LayOutPreview(c.width, c.height, c.originalAspect, c.improvedAspect, kLine, kGap);
    EXPECT_EQ(layout.sideBySide, c.sideBySide);
    for (const PreviewBox* box : {&layout.original, &layout.improved, &layout.originalCaption, &layout.improvedCaption})
      EXPECT_TRUE(Inside(*box, c.width, c.height));
    EXPECT_TRUE(Apart(layout.original, layout.improved));
    EXPECT_TRUE(Apart(layout.original, layout.improvedCaption));
    EXPECT_TRUE(Apart(layout.improved, layout.originalCaption));
    // Each keeps its proportions, to the pixel, with its line right under it.
    EXPECT_NEAR(layout.original.width, layout.original.height * c.originalAspect, 1 + c.originalAspect);
    EXPECT_NEAR(layout.improved.width, layout.improved.height * c.improvedAspect, 1 + c.improvedAspect);
    EXPECT_EQ(layout.originalCaption.top, layout.original.Bottom());
    EXPECT_EQ(layout.improvedCaption.top, layout.improved.Bottom());
    EXPECT_EQ(layout.improvedCaption.height, kLine);
  }
}

TEST(PreviewLayout, SmallWindowsAndOddProportionsStayInside) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const struct {
    int width, height;
    double aspect;
  } cases[] = {{0, 0, 1}, {10, 10, 1}, {30, 200, 1}, {300, 200, 0}, {300, 200, -2}, {300, 200, nan}, {300, 200, 1e9}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << ", aspect " << c.aspect);
    const PreviewLayout layout = LayOutPreview(c.width, c.height, c.aspect, c.aspect, kLine, kGap);
    for (const PreviewBox* box : {&layout.original, &layout.improved})
      EXPECT_TRUE(Inside(*box, std::max(c.width, 0), std::max(c.height, 0)) || box->width == 0 || box->height == 0);
    if (!(c.aspect > 0) || std::isnan(c.aspect)) {
      EXPECT_EQ(layout.original.width, layout.original.height) << "counted as square";
    }
  }
}

}  // namespace
