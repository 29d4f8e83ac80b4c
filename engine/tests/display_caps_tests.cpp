#include <gtest/gtest.h>

#include "win/display_caps.h"

namespace wmf {
namespace {

TEST(DisplayCaps, DisplayReportsItsColourDepth) {
  const int bits = DisplayBitsPerPixel();
  EXPECT_GE(bits, 1);
  EXPECT_LE(bits, 32);
}

}  // namespace
}  // namespace wmf
