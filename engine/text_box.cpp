#include "text_box.h"

#include <cmath>

namespace wmf {
namespace {

constexpr uint16_t kTaVertical = 0x18;
constexpr uint16_t kTaBottom = 0x08;
constexpr uint16_t kTaHorizontal = 0x06;
constexpr uint16_t kTaCenter = 0x06;
constexpr uint16_t kTaRight = 0x02;

struct Angle {
  double s, c;
};

Angle AngleOf(int angleTenths) {
  const double a = angleTenths / 1800.0 * 3.14159265;
  return Angle{std::sin(a), std::cos(a)};
}

}  // namespace

int64_t TruncateClamped(double value) {
  constexpr double kLimit = 4.0e15;
  if (!(value > -kLimit && value < kLimit)) return value > 0 ? static_cast<int64_t>(kLimit) : value < 0 ? -static_cast<int64_t>(kLimit) : 0;
  return static_cast<int64_t>(value);
}

std::array<TextOffset, 4> TextCellCorners(int64_t cx, int64_t cy, int64_t ascent, uint16_t align, int angleTenths) {
  const auto [s, c] = AngleOf(angleTenths);
  const auto trunc = TruncateClamped;
  int64_t x = 0, y = 0;
  const uint16_t vertical = align & kTaVertical;
  if (vertical == kTaBaseline || vertical == kTaBottom) {
    const int64_t v = vertical == kTaBaseline ? ascent : cy;
    x -= trunc(s * static_cast<double>(v));
    y -= trunc(c * static_cast<double>(v));
  }
  const uint16_t horizontal = align & kTaHorizontal;
  if (horizontal == kTaCenter) {
    x += trunc(c * static_cast<double>(cx) * -0.5);
    y += trunc(s * static_cast<double>(cx) * 0.5);
  } else if (horizontal == kTaRight) {
    x -= trunc(c * static_cast<double>(cx));
    y += trunc(s * static_cast<double>(cx));
  }
  const int64_t p = trunc(s * static_cast<double>(cy)), q = trunc(c * static_cast<double>(cy)),
                r = trunc(c * static_cast<double>(cx)), t = trunc(s * static_cast<double>(cx));
  return {TextOffset{x, y}, TextOffset{x + p, y + q}, TextOffset{x + r, y - t}, TextOffset{x + p + r, y + q - t}};
}

TextOffset TextBaselineStart(int64_t cx, int64_t cy, int64_t ascent, uint16_t align, int angleTenths) {
  // The cell's first corner is its top left; the baseline lies the ascent
  // below it, "below" turned with the text.
  const auto [s, c] = AngleOf(angleTenths);
  const TextOffset topLeft = TextCellCorners(cx, cy, ascent, align, angleTenths)[0];
  return TextOffset{topLeft.first + TruncateClamped(s * static_cast<double>(ascent)),
                    topLeft.second + TruncateClamped(c * static_cast<double>(ascent))};
}

TextOffset TextAdvance(int64_t cx, uint16_t align, int angleTenths) {
  const uint16_t horizontal = align & kTaHorizontal;
  if (horizontal == kTaCenter) return TextOffset{0, 0};
  const auto [s, c] = AngleOf(angleTenths);
  const int64_t advance = horizontal == kTaRight ? -cx : cx;
  return TextOffset{TruncateClamped(c * static_cast<double>(advance)), -TruncateClamped(s * static_cast<double>(advance))};
}

}  // namespace wmf
