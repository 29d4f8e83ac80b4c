#include "extent_analysis.h"

#include <algorithm>
#include <cmath>

#include "record_access.h"

namespace wmf {
namespace {

// Conversion of a double to a 32-bit integer, truncating towards zero.
int32_t Trunc(double value) {
  if (!(value > -2147483648.0 && value < 2147483648.0)) return 0;
  return static_cast<int32_t>(value);
}

constexpr uint16_t kTaVertical = 0x18;
constexpr uint16_t kTaBaseline = 0x18;
constexpr uint16_t kTaBottom = 0x08;
constexpr uint16_t kTaHorizontal = 0x06;
constexpr uint16_t kTaCenter = 0x06;
constexpr uint16_t kTaRight = 0x02;

}  // namespace

ExtentAnalysis::ExtentAnalysis(PassState& pass, WmfSettings& settings, TextMeasurer& measurer)
    : pass_(pass), settings_(settings), measurer_(measurer) {}

void ExtentAnalysis::Begin() {
  pass_.bounds = Rect{32767, 32767, -32767, -32767};
  pass_.saveDepth = 0;
  pass_.nestedEndDepth = 0;
  pass_.inNested = false;
  pass_.awaitFirstWindowExt = true;
  pass_.awaitFirstWindowOrg = true;
}

void ExtentAnalysis::ExtendBounds(int32_t x, int32_t y) {
  if (pass_.inNested) return;
  Rect& b = pass_.bounds;
  b.minX = std::min(b.minX, x);
  b.maxX = std::max(b.maxX, x);
  b.minY = std::min(b.minY, y);
  b.maxY = std::max(b.maxY, y);
}

// Points as x, y pairs from parameter `first`; never past the record's end.
void ExtentAnalysis::ExtendPoints(const WmfRecord& record, size_t first, size_t count) {
  const size_t available = record.params.size() > first ? (record.params.size() - first) / 2 : 0;
  count = std::min(count, available);
  for (size_t i = 0; i < count; ++i) ExtendBounds(Signed(record, first + 2 * i), Signed(record, first + 2 * i + 1));
}

void ExtentAnalysis::CreateObject(const WmfRecord& record, ObjectKind kind) {
  // Every object-creating record takes a slot, as in playback on a device,
  // so that later selections find the right objects.
  const int slot = objects_.Create(kind);
  if (kind != ObjectKind::Font) return;
  if (static_cast<size_t>(slot) >= fonts_.size()) fonts_.resize(slot + 1);
  fonts_[slot] = FontOf(record);
}

void ExtentAnalysis::AnalyseRecord(const WmfRecord& record) {
  const size_t n = record.params.size();
  switch (record.function) {
    case META_SAVEDC:
      pass_.SaveDC();
      break;
    case META_RESTOREDC:
      pass_.RestoreDC();
      break;
    case META_SETWINDOWORG:
      if (n >= 2 && (record.params[0] != 0 || record.params[1] != 0)) {
        pass_.nestedEndDepth = pass_.saveDepth - 1;
        pass_.inNested = true;
      }
      pass_.awaitFirstWindowOrg = false;
      break;
    case META_SETWINDOWEXT:
      if (pass_.awaitFirstWindowExt && n >= 2) {
        pass_.firstWindowExt = Size{record.params[1], record.params[0]};  // unsigned here
        pass_.awaitFirstWindowExt = false;
      }
      break;
    case META_SELECTOBJECT:
      if (n >= 1 && objects_.KindAt(record.params[0]) == ObjectKind::Font) currentFont_ = fonts_[record.params[0]];
      break;
    case META_DELETEOBJECT:
      if (n >= 1) objects_.Delete(record.params[0]);
      break;
    case META_SETTEXTALIGN:
      if (n >= 1) textAlign_ = record.params[0];
      break;
    case META_CREATEPENINDIRECT:
      if (n >= 5) pass_.lastPenColor = DoubleWordAt(record, 3);
      CreateObject(record, ObjectKind::Pen);
      break;
    case META_LINETO:
    case META_MOVETO:
      if (n >= 2) ExtendBounds(Signed(record, 1), Signed(record, 0));
      break;
    case META_POLYGON:
    case META_POLYLINE:
      if (n >= 1) ExtendPoints(record, 1, record.params[0]);
      break;
    case META_ELLIPSE:
      if (n >= 4) {
        ExtendBounds(Signed(record, 1), Signed(record, 0));
        ExtendBounds(Signed(record, 3), Signed(record, 2));
      }
      break;
    case META_RECTANGLE:
      if (n < 4) break;
      if (Signed(record, 3) == 0 || Signed(record, 2) == 0) {
        BackgroundRectangle();
      } else {
        ExtendBounds(Signed(record, 1), Signed(record, 0));
        ExtendBounds(Signed(record, 3), Signed(record, 2));
      }
      break;
    case META_SETPIXEL:
      if (n >= 4) ExtendBounds(Signed(record, 3), Signed(record, 2));
      break;
    case META_POLYPOLYGON: {
      if (n < 1) break;
      const size_t polygons = record.params[0];
      if (n < 1 + polygons) break;
      size_t points = 0;
      for (size_t i = 0; i < polygons; ++i) points += record.params[1 + i];
      if (points > 0) ExtendPoints(record, 1 + polygons, points);
      break;
    }
    case META_ARC:
      if (n >= 8)
        for (size_t i = 0; i < 8; i += 2) ExtendBounds(Signed(record, i + 1), Signed(record, i));
      break;
    case META_EXTTEXTOUT:
      TextBox(record);
      break;
    case META_DIBSTRETCHBLT:
      if (n >= 10) {
        const int32_t x = Signed(record, 9), y = Signed(record, 8);
        ExtendBounds(x, y);
        ExtendBounds(x + Signed(record, 7), y + Signed(record, 6));
      }
      break;
    case META_STRETCHDIB:
      if (n >= 11) {
        const int32_t x = Signed(record, 10), y = Signed(record, 9);
        ExtendBounds(x, y);
        ExtendBounds(x + Signed(record, 8), y + Signed(record, 7));
      }
      break;
    default:
      if (const ObjectKind kind = CreatedObject(record.function); kind != ObjectKind::None) CreateObject(record, kind);
      break;
  }
}

// A rectangle at the picture's left or top edge is the CAD program's
// background, drawn with a pen of its own colour: it is not measured.
void ExtentAnalysis::BackgroundRectangle() {
  pass_.backgroundColor = pass_.lastPenColor;
  const uint32_t red = pass_.backgroundColor & 0xFF;
  const uint32_t green = (pass_.backgroundColor >> 8) & 0xFF;
  int& palette = settings_.oPalette;
  if ((red > 128 || green > 128) && (palette == 0 || palette == 2 || palette == 4 || palette == 6)) ++palette;
}

void ExtentAnalysis::TextBox(const WmfRecord& record) {
  ExtTextLayout layout;
  if (!ReadExtTextLayout(record, layout)) return;
  const TextExtent measured = measurer_.Measure(currentFont_, ExtTextString(record, layout, text_));
  int32_t cx = measured.cx;
  const int32_t cy = measured.cy;
  if (layout.options == 0 && record.params.size() == 4 + (layout.count + 1) / 2 + layout.count) {
    cx = 0;
    for (size_t i = 0; i < layout.count; ++i) cx += record.params[layout.dxWord + i];
  }
  const int angleTenths = currentFont_.orientation != 0 ? currentFont_.orientation : currentFont_.escapement;
  const double a = angleTenths / 1800.0 * 3.14159265;
  const double s = std::sin(a), c = std::cos(a);
  int32_t x = Signed(record, 1);
  int32_t y = Signed(record, 0);

  const uint16_t vertical = textAlign_ & kTaVertical;
  if (vertical == kTaBaseline || vertical == kTaBottom) {
    const int32_t v = vertical == kTaBaseline ? measured.ascent : cy;
    x -= Trunc(s * v);
    y -= Trunc(c * v);
  }
  const uint16_t horizontal = textAlign_ & kTaHorizontal;
  if (horizontal == kTaCenter) {
    x += Trunc(c * cx * -0.5);
    y += Trunc(s * cx * 0.5);
  } else if (horizontal == kTaRight) {
    x -= Trunc(c * cx);
    y += Trunc(s * cx);
  }
  const int32_t p = Trunc(s * cy), q = Trunc(c * cy), r = Trunc(c * cx), t = Trunc(s * cx);
  ExtendBounds(x, y);
  ExtendBounds(x + p, y + q);
  ExtendBounds(x + r, y - t);
  ExtendBounds(x + p + r, y + q - t);
}

}  // namespace wmf
