#include "help_drawings.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <numbers>
#include <string_view>
#include <utility>

#include "acad_palettes.h"
#include "object_table.h"
#include "test_pictures.h"
#include "wmf_file.h"
#include "wmf_record_kinds.h"

namespace help {
namespace {

using wmf::ObjectKind;
using wmf::WmfRecord;
using wmf::test::Rec;

// AutoCAD colour numbers. Colour 7 is drawn black on the white drawing area.
enum Color { kRed = 1, kYellow = 2, kGreen = 3, kCyan = 4, kBlue = 5, kMagenta = 6, kBlackOrWhite = 7 };

// The engine looks colours up in palette 1 when the background is white.
constexpr int kWhiteBackgroundPalette = 1;
constexpr uint32_t kWhite = 0xFFFFFF;

constexpr uint16_t kSolid = 0, kDash = 1, kDashDot = 3;  // pen styles
constexpr uint16_t kSolidBrush = 0, kNullBrush = 1;       // brush styles
constexpr uint16_t kTransparent = 1;                      // background mode
constexpr uint16_t kLeft = 0, kRight = 2, kCenter = 6, kBaseline = 24;  // text alignment
constexpr int kUnitsPerMm = 100;

struct Point {
  double x, y;
};

uint32_t ColorRef(int number) {
  return number == kBlackOrWhite ? 0 : AcadPalettes()[number][kWhiteBackgroundPalette];
}

// A sheet as a CAD program copies it: the window over the whole sheet at the
// origin (y downwards), a background rectangle in the drawing area's colour
// first, then pens, a brush and fonts as the drawing needs them. Drawings are
// given in units of their own, y upwards, placed on the sheet by Place.
class CadSheet {
 public:
  // A sheet of `width` × `height` mm.
  CadSheet(double width, double height)
      : width_(static_cast<int>(width * kUnitsPerMm)), height_(static_cast<int>(height * kUnitsPerMm)) {
    records_.push_back(Rec(wmf::MetaSetWindowOrg, {0, 0}));
    records_.push_back(Rec(wmf::MetaSetWindowExt, {height_, width_}));
    records_.push_back(Rec(wmf::MetaSetBkMode, {kTransparent}));
    records_.push_back(Rec(wmf::MetaSetTextAlign, {kBaseline}));
    int background = -1;
    SelectNew(pen_, ObjectKind::Pen, wmf::test::Pen(kWhite));
    SelectNew(background, ObjectKind::Brush, wmf::test::Brush(kWhite, kSolidBrush));
    records_.push_back(Rec(wmf::MetaRectangle, {height_, width_, 0, 0}));
    SelectNew(nullBrush_, ObjectKind::Brush, wmf::test::Brush(0, kNullBrush));
    Drop(background);
  }

  // The drawing's origin lies at (x, y) mm from the sheet's lower left corner,
  // and one of its units is `mmPerUnit` on paper.
  void Place(double x, double y, double mmPerUnit) {
    origin_ = {x, y};
    mmPerUnit_ = mmPerUnit;
  }

  // Lines and text from here on are in this colour.
  void Pen(int color, uint16_t style = kSolid) {
    color_ = ColorRef(color);
    const int old = pen_;
    SelectNew(pen_, ObjectKind::Pen, wmf::test::Pen(color_, 0, style));
    Drop(old);
  }

  void Line(std::initializer_list<Point> points) { Polyline(std::vector<Point>(points)); }

  void Polyline(const std::vector<Point>& points) {
    WmfRecord record{wmf::MetaPolyline, {static_cast<uint16_t>(points.size())}};
    for (const Point p : points) AddPoint(record, p);
    records_.push_back(std::move(record));
  }

  // A closed outline, filled with the pen's colour.
  void FilledPolygon(std::initializer_list<Point> points) {
    int brush = -1;
    SelectNew(brush, ObjectKind::Brush, wmf::test::Brush(color_, kSolidBrush));
    WmfRecord record{wmf::MetaPolygon, {static_cast<uint16_t>(points.size())}};
    for (const Point p : points) AddPoint(record, p);
    records_.push_back(std::move(record));
    Select(nullBrush_);
    Drop(brush);
  }

  void Circle(Point centre, double radius) {
    const auto [left, top] = Sheet({centre.x - radius, centre.y + radius});
    const auto [right, bottom] = Sheet({centre.x + radius, centre.y - radius});
    records_.push_back(Rec(wmf::MetaEllipse, {bottom, right, top, left}));
  }

  // Counter-clockwise from `fromDegrees` to `toDegrees`, in short chords.
  void Arc(Point centre, double radius, double fromDegrees, double toDegrees) {
    std::vector<Point> points;
    const int steps = std::max(2, static_cast<int>(std::abs(toDegrees - fromDegrees) / 5));
    for (int i = 0; i <= steps; ++i) {
      const double a = (fromDegrees + (toDegrees - fromDegrees) * i / steps) * std::numbers::pi / 180;
      points.push_back({centre.x + radius * std::cos(a), centre.y + radius * std::sin(a)});
    }
    Polyline(points);
  }

  // An open arrowhead at `tip` on a line coming from `from`, 2.5 mm long.
  void Arrowhead(Point tip, Point from) {
    const double length = 2.5 / mmPerUnit_, halfWidth = 0.8 / mmPerUnit_;
    const double dx = from.x - tip.x, dy = from.y - tip.y, d = std::hypot(dx, dy);
    const Point back{tip.x + dx / d * length, tip.y + dy / d * length};
    const Point side{-dy / d * halfWidth, dx / d * halfWidth};
    Line({{back.x + side.x, back.y + side.y}, tip, {back.x - side.x, back.y - side.y}});
  }

  // A dimension from `a` to `b`, its line `offset` to the left of a→b,
  // with extension lines, arrowheads and the measure written beside it.
  void Dimension(Point a, Point b, double offset, std::string_view measure) {
    const double dx = b.x - a.x, dy = b.y - a.y, d = std::hypot(dx, dy);
    const Point normal{-dy / d, dx / d};
    const double gap = 1 / mmPerUnit_, beyond = 1.5 / mmPerUnit_;
    const auto along = [&](Point p, double by) { return Point{p.x + normal.x * by, p.y + normal.y * by}; };
    const Point lineA = along(a, offset), lineB = along(b, offset);
    Line({along(a, offset > 0 ? gap : -gap), along(a, offset + (offset > 0 ? beyond : -beyond))});
    Line({along(b, offset > 0 ? gap : -gap), along(b, offset + (offset > 0 ? beyond : -beyond))});
    Line({lineA, lineB});
    Arrowhead(lineA, lineB);
    Arrowhead(lineB, lineA);
    const Point middle{(lineA.x + lineB.x) / 2, (lineA.y + lineB.y) / 2};
    if (std::abs(dy) > std::abs(dx))  // upright: the measure reads across, on the outer side
      Text({middle.x + (normal.x > 0 ? 1 : -1) * gap, middle.y - 1.25 / mmPerUnit_}, 3.5, measure,
           normal.x > 0 ? kLeft : kRight);
    else
      Text({middle.x, middle.y + gap}, 3.5, measure, kCenter);
  }

  // Text `heightMm` high on paper (the height of its capitals), in the pen's
  // colour, standing on its baseline at `at`.
  void Text(Point at, double heightMm, std::string_view text, uint16_t align = kLeft) {
    // Arial's em is about 1.4 times its capitals.
    const int em = static_cast<int>(std::lround(heightMm * 1.4 * kUnitsPerMm));
    if (em != fontEm_) {
      const int old = font_;
      SelectNew(font_, ObjectKind::Font, FontRecord(em));
      Drop(old);
      fontEm_ = em;
    }
    if (color_ != textColor_) {
      records_.push_back(Rec(wmf::MetaSetTextColor, {static_cast<int>(color_ & 0xFFFF), static_cast<int>(color_ >> 16)}));
      textColor_ = color_;
    }
    if (align != textAlign_) {
      records_.push_back(Rec(wmf::MetaSetTextAlign, {kBaseline | align}));
      textAlign_ = align;
    }
    const auto [x, y] = Sheet(at);
    WmfRecord record = Rec(wmf::MetaExtTextOut, {y, x, static_cast<int>(text.size()), 0});
    for (size_t i = 0; i < text.size(); i += 2)
      record.params.push_back(static_cast<uint16_t>(static_cast<uint8_t>(text[i]) |
                                                    (i + 1 < text.size() ? static_cast<uint8_t>(text[i + 1]) << 8 : 0)));
    records_.push_back(std::move(record));
  }

  // The placeable file: the whole sheet as its frame.
  std::vector<uint8_t> File() const {
    constexpr uint16_t kUnitsPerInch = 2540;
    return wmf::WritePlaceableWmf(
        wmf::PlaceableHeader{0, 0, static_cast<int16_t>(width_), static_cast<int16_t>(height_), kUnitsPerInch},
        wmf::WriteWmf(records_));
  }

 private:
  // Arial, regular, of an em `em` units high.
  static WmfRecord FontRecord(int em) {
    WmfRecord record = Rec(wmf::MetaCreateFontIndirect, {-em, 0, 0, 0, 400, 0, 0, 0, 0});
    const std::string_view face("Arial\0", 6);
    for (size_t i = 0; i < face.size(); i += 2)
      record.params.push_back(static_cast<uint16_t>(face[i] | face[i + 1] << 8));
    return record;
  }

  // Creates the object, selects it and keeps its slot in `slot`.
  void SelectNew(int& slot, ObjectKind kind, WmfRecord create) {
    records_.push_back(std::move(create));
    slot = objects_.Create(kind);
    Select(slot);
  }
  void Select(int slot) { records_.push_back(Rec(wmf::MetaSelectObject, {slot})); }
  void Drop(int slot) {
    if (slot < 0) return;
    records_.push_back(Rec(wmf::MetaDeleteObject, {slot}));
    objects_.Delete(slot);
  }

  std::pair<int, int> Sheet(Point p) const {
    const double x = (origin_.x + p.x * mmPerUnit_) * kUnitsPerMm;
    const double y = height_ - (origin_.y + p.y * mmPerUnit_) * kUnitsPerMm;
    return {static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y))};
  }
  void AddPoint(WmfRecord& record, Point p) const {
    const auto [x, y] = Sheet(p);
    record.params.push_back(static_cast<uint16_t>(x));
    record.params.push_back(static_cast<uint16_t>(y));
  }

  int width_, height_;
  Point origin_{0, 0};
  double mmPerUnit_ = 1;
  std::vector<WmfRecord> records_;
  wmf::ObjectTable objects_;
  int pen_ = -1, nullBrush_ = -1, font_ = -1;
  uint32_t color_ = 0;
  uint32_t textColor_ = 0;  // GDI's default
  uint16_t textAlign_ = kLeft;
  int fontEm_ = 0;
};

// A bracket 70 × 45 mm at full size with its dimensions, in the lower left
// corner of an A4 sheet.
std::vector<uint8_t> BracketSheet() {
  CadSheet sheet(210, 297);
  sheet.Place(34, 40, 1);
  sheet.Pen(kBlackOrWhite);
  sheet.Line({{0, 0}, {70, 0}, {70, 30}, {55, 45}, {0, 45}, {0, 0}});
  const Point bore{25, 22.5};
  const Point holes[] = {{8, 8}, {8, 37}, {62, 8}};
  sheet.Circle(bore, 9);
  for (const Point hole : holes) sheet.Circle(hole, 3);
  sheet.Pen(kRed, kDashDot);
  sheet.Line({{bore.x - 12, bore.y}, {bore.x + 12, bore.y}});
  sheet.Line({{bore.x, bore.y - 12}, {bore.x, bore.y + 12}});
  for (const Point hole : holes) {
    sheet.Line({{hole.x - 5, hole.y}, {hole.x + 5, hole.y}});
    sheet.Line({{hole.x, hole.y - 5}, {hole.x, hole.y + 5}});
  }
  sheet.Pen(kGreen);
  sheet.Dimension({70, 0}, {0, 0}, 9, "70");
  sheet.Dimension({0, 0}, {0, 45}, 9, "45");
  // The bore's diameter on a leader at 45 degrees.
  const Point rim{bore.x + 9 * std::cos(std::numbers::pi / 4), bore.y + 9 * std::sin(std::numbers::pi / 4)};
  sheet.Line({rim, {40, 53}, {47, 53}});
  sheet.Arrowhead(rim, {40, 53});
  sheet.Text({41, 54.5}, 3.5, "\xD8" "18");
  sheet.Pen(kBlackOrWhite);
  sheet.Text({0, -22}, 5, "BRACKET  1:1");
  return sheet.File();
}

// Walls of 0.3 m around an L-shaped flat of 14 × 11 m, at 1:200 on an A4
// sheet; inner walls with doors, windows, furniture, room names, the overall
// dimensions and a north arrow in the free corner.
std::vector<uint8_t> FloorPlan() {
  CadSheet sheet(297, 210);
  sheet.Place(100, 60, 5);  // metres
  sheet.Pen(kBlackOrWhite);
  sheet.Line({{0, 0}, {14, 0}, {14, 6}, {8, 6}, {8, 11}, {0, 11}, {0, 0}});
  sheet.Line({{0.3, 0.3}, {13.7, 0.3}, {13.7, 5.7}, {7.7, 5.7}, {7.7, 10.7}, {0.3, 10.7}, {0.3, 0.3}});
  // Inner walls, 0.12 m, each with a door: a leaf standing open and its swing.
  sheet.Line({{7.94, 0.3}, {7.94, 2}, {8.06, 2}, {8.06, 0.3}});
  sheet.Line({{7.94, 5.7}, {7.94, 3}, {8.06, 3}, {8.06, 5.7}});
  sheet.Line({{8.06, 2}, {9.06, 2}});
  sheet.Arc({8.06, 2}, 1, 0, 90);
  sheet.Line({{0.3, 5.94}, {2.5, 5.94}, {2.5, 6.06}, {0.3, 6.06}});
  sheet.Line({{7.7, 5.94}, {3.5, 5.94}, {3.5, 6.06}, {4.44, 6.06}});
  sheet.Line({{4.56, 6.06}, {7.7, 6.06}});
  sheet.Line({{2.5, 6.06}, {2.5, 7.06}});
  sheet.Arc({2.5, 6.06}, 1, 0, 90);
  sheet.Line({{4.44, 6.06}, {4.44, 7}, {4.56, 7}, {4.56, 6.06}});
  sheet.Line({{4.44, 10.7}, {4.44, 7.8}, {4.56, 7.8}, {4.56, 10.7}});
  sheet.Line({{4.56, 7}, {5.36, 7}});
  sheet.Arc({4.56, 7}, 0.8, 0, 90);
  // Furniture: a bed, a bath, the kitchen's worktop and sink.
  sheet.Line({{11.6, 0.3}, {11.6, 2.4}, {13.7, 2.4}});
  sheet.Line({{13.2, 0.5}, {13.2, 2.2}});
  sheet.Line({{5.4, 10.7}, {5.4, 9.1}, {7.7, 9.1}});
  sheet.Circle({7.2, 9.9}, 0.12);
  sheet.Line({{0.3, 10.1}, {4.44, 10.1}});
  sheet.Circle({2, 10.4}, 0.2);
  sheet.Text({4, 2.6}, 2.5, "LIVING", kCenter);
  sheet.Text({10.7, 4.3}, 2.5, "BEDROOM", kCenter);
  sheet.Text({2.2, 8.2}, 2.5, "KITCHEN", kCenter);
  sheet.Text({6.1, 7.8}, 2.5, "BATH", kCenter);
  // North arrow.
  sheet.Circle({12, 9}, 0.9);
  sheet.FilledPolygon({{12, 10.2}, {11.55, 8.1}, {12, 8.5}, {12, 10.2}});
  sheet.Line({{12, 10.2}, {12.45, 8.1}, {12, 8.5}});
  sheet.Text({12, 10.6}, 3, "N", kCenter);
  // Windows in the outer walls.
  sheet.Pen(kBlue);
  const std::pair<Point, Point> windows[] = {
      {{2, 0}, {5, 0}}, {{9.5, 0}, {12.5, 0}}, {{14, 1.5}, {14, 4.5}}, {{0, 7.5}, {0, 9.5}}, {{5.6, 11}, {7.2, 11}}};
  for (const auto& [from, to] : windows) {
    const bool across = from.y == to.y;  // a wall along x
    const double inward = (across ? (from.y == 0 ? 1 : -1) : (from.x == 0 ? 1 : -1)) * 0.3;
    const auto shifted = [&](Point p, double by) {
      return across ? Point{p.x, p.y + by} : Point{p.x + by, p.y};
    };
    sheet.Line({from, shifted(from, inward)});
    sheet.Line({to, shifted(to, inward)});
    sheet.Line({shifted(from, inward / 2), shifted(to, inward / 2)});
  }
  sheet.Pen(kGreen);
  sheet.Dimension({14, 0}, {0, 0}, 1.8, "14.00");
  sheet.Dimension({0, 0}, {0, 11}, 1.8, "11.00");
  return sheet.File();
}

// A plot of 45 × 30 m at 1:1000 on an A4 sheet: its boundary, the house, the
// road and the services to the house, each in its AutoCAD colour and
// labelled in it.
std::vector<uint8_t> SitePlan() {
  CadSheet sheet(297, 210);
  sheet.Place(110, 80, 1);  // metres
  sheet.Pen(kYellow);
  sheet.Line({{-4, -3}, {49, -3}});
  sheet.Line({{-4, -12}, {49, -12}});
  sheet.Text({22.5, -8.9}, 2, "MILL ROAD", kCenter);
  sheet.Pen(kRed);
  sheet.Line({{0, 0}, {45, 0}, {45, 27}, {6, 30}, {0, 24}, {0, 0}});
  sheet.Text({43.5, 24}, 2, "PLOT 7", kRight);
  sheet.Pen(kBlackOrWhite);
  sheet.Line({{12, 8}, {30, 8}, {30, 20}, {12, 20}, {12, 8}});
  sheet.Line({{12, 8}, {16, 14}, {12, 20}});
  sheet.Line({{30, 8}, {26, 14}, {30, 20}});
  sheet.Line({{16, 14}, {26, 14}});
  sheet.Text({21, 9.8}, 2, "HOUSE", kCenter);
  sheet.Pen(kGreen);
  for (const Point tree : {Point{4.5, 6}, Point{4, 16}, Point{38, 22}, Point{40, 9}}) {
    sheet.Circle(tree, 2.2);
    sheet.Line({{tree.x - 0.6, tree.y}, {tree.x + 0.6, tree.y}});
    sheet.Line({{tree.x, tree.y - 0.6}, {tree.x, tree.y + 0.6}});
  }
  sheet.Text({1.8, 20.4}, 2, "TREES");
  sheet.Pen(kBlue);
  sheet.Line({{8, -7.5}, {8, 12}, {12, 12}});
  sheet.Circle({8, -7.5}, 0.8);
  sheet.Circle({8, 3}, 0.8);
  sheet.Text({8.8, 0.8}, 2, "WATER");
  sheet.Pen(kCyan);
  sheet.Line({{24, -7.5}, {24, 8}});
  sheet.Text({24.8, 2}, 2, "GAS");
  sheet.Pen(kMagenta, kDash);
  sheet.Line({{34, -7.5}, {34, 14}, {30, 14}});
  sheet.Pen(kMagenta);
  sheet.Text({34.8, 2}, 2, "POWER");
  sheet.Pen(kBlackOrWhite);
  sheet.Text({0, -18}, 3, "SITE PLAN  1:1000");
  return sheet.File();
}

}  // namespace

std::vector<HelpDrawing> HelpDrawings() {
  return {{"bracket-sheet.wmf", BracketSheet()}, {"floor-plan.wmf", FloorPlan()}, {"site-plan.wmf", SitePlan()}};
}

}  // namespace help
