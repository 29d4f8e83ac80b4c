#include "sizing.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace wmf {
namespace {

bool IsUsableScale(double scale) { return std::isfinite(scale) && scale > 0; }

}  // namespace

int32_t MulDiv(int32_t a, int32_t b, int32_t c) {
  if (c == 0) return -1;
  const int64_t product = static_cast<int64_t>(a) * b;
  const int64_t half = std::llabs(c) / 2;
  const bool negative = (product < 0) != (c < 0);
  const int64_t magnitude = (std::llabs(product) + half) / std::llabs(c);
  const int64_t result = negative ? -magnitude : magnitude;
  if (result > INT32_MAX || result < INT32_MIN) return -1;
  return static_cast<int32_t>(result);
}

Size ChooseRegion(const WmfSettings& settings, const Rect& extents, const Rect& fullRect, Rect& bounds) {
  const bool measured = extents.minX <= extents.maxX && extents.minY <= extents.maxY;
  if (settings.Crop && measured) {
    // What is measured may reach far beyond 16 bits (a text measured at its
    // limit): the region is held within a quarter of the 32-bit range, where
    // its sums and differences stay exact.
    static constexpr int32_t kLimit = 1 << 29;
    const auto held = [](int32_t v) { return std::clamp(v, -kLimit, kLimit); };
    bounds = Rect{held(extents.minX), held(extents.minY), held(extents.maxX), held(extents.maxY)};
    if (settings.LeaveMargin) {
      const double margin = (static_cast<double>(bounds.maxX) - bounds.minX) * settings.Margin / 100.0;
      const int32_t m = static_cast<int32_t>(std::clamp(margin, 0.0, 32767.0));
      bounds.minX = std::max(bounds.minX - m, 0);
      bounds.minY = std::max(bounds.minY - m, 0);
      bounds.maxX = std::min(bounds.maxX + m, 32760);
      bounds.maxY = std::min(bounds.maxY + m, 32760);
    }
  } else {
    // Without cropping, or when nothing was measured, the whole picture.
    bounds = fullRect;
  }
  bounds.maxX = std::max(bounds.maxX, bounds.minX + 1);
  bounds.maxY = std::max(bounds.maxY, bounds.minY + 1);
  Size output{bounds.maxX - bounds.minX, bounds.maxY - bounds.minY};
  if (settings.Rotation == 90 || settings.Rotation == 270) std::swap(output.x, output.y);
  return output;
}

double ChooseScale(const WmfSettings& settings, Size output, double unitsPerInch, const Rect& fullRect,
                   double drawingHeight) {
  const double percentageScale = unitsPerInch * 100 / settings.Percentage;
  double scale = percentageScale;
  switch (settings.Widthoptions) {
    case 1: {
      const double inches = settings.IsMetric ? settings.PictureWidth / 2.54 : settings.PictureWidth;
      scale = output.x / inches;
      break;
    }
    case 2: {
      const double inches = settings.IsMetric ? settings.PictureHeight / 2.54 : settings.PictureHeight;
      scale = output.y / inches;
      break;
    }
    case 3: {
      // The height of the whole picture against the same height in drawing
      // units; without a drawing height this mode is the percentage mode.
      if (drawingHeight > 0) {
        const double inches =
            settings.IsMetric ? settings.WMFScale / static_cast<double>(25.4f) : settings.WMFScale;
        scale = (static_cast<double>(fullRect.maxY) - fullRect.minY) / (inches / settings.DrawingScale * drawingHeight);
      }
      break;
    }
    default:
      break;
  }
  if (IsUsableScale(scale)) return scale;
  return IsUsableScale(percentageScale) ? percentageScale : 1440.0;
}

Size WithFarEdgeRoom(const WmfSettings& settings, const Rect& extents, const Rect& bounds, Size output) {
  const bool measured = extents.minX <= extents.maxX && extents.minY <= extents.maxY;
  if (!settings.Crop || !measured || bounds != extents) return output;
  const int64_t longest = std::max(output.x, output.y);
  const int32_t room = static_cast<int32_t>(std::max<int64_t>(1, (longest + 399) / 400));
  return Size{output.x + room, output.y + room};
}

int64_t OutputDivisor(Size output, double unitsPerInchOut) {
  constexpr double kMaxInch = 65535;
  constexpr int64_t kMaxSide = 32767;
  int64_t divisor = 1;
  if (unitsPerInchOut > kMaxInch) divisor = static_cast<int64_t>(std::ceil(std::min(unitsPerInchOut, 1e15) / kMaxInch));
  const int64_t side = std::max(output.x, output.y);
  divisor = std::max(divisor, (side + kMaxSide - 1) / kMaxSide);
  return std::max<int64_t>(divisor, 1);
}

Size ShrinkSize(Size output, int64_t divisor) {
  if (divisor <= 1) return output;
  const auto shrink = [divisor](int32_t v) {
    return static_cast<int32_t>(std::max<int64_t>(1, (static_cast<int64_t>(v) + divisor / 2) / divisor));
  };
  return Size{shrink(output.x), shrink(output.y)};
}

Size PhysicalSize(Size output, double unitsPerInchOut) {
  const double width = output.x * 2540.0 / unitsPerInchOut;
  const int32_t xExt = width >= 1 ? static_cast<int32_t>(std::min(width, 2147483647.0)) : 1;
  const int32_t yExt = MulDiv(xExt, output.y, output.x);
  return Size{xExt, std::max(yExt, 1)};
}

}  // namespace wmf
