#include "extent_analysis.h"

#include <algorithm>
#include <cmath>

#include "emf_conversion.h"
#include "gdi_styles.h"
#include "record_views.h"
#include "text_box.h"

namespace wmf {
namespace {

int32_t ClampToInt32(int64_t value) { return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX)); }

// `p` moved by `d`, held within 64 bits: moves that add up (the current
// position along texts, the clip region's offsets) can pass any limit.
Point64 Moved(Point64 p, Point64 d) {
  const auto add = [](int64_t a, int64_t b) {
    int64_t sum;
    return __builtin_add_overflow(a, b, &sum) ? (b > 0 ? INT64_MAX : INT64_MIN) : sum;
  };
  return Point64{add(p.x, d.x), add(p.y, d.y)};
}

// A pen or brush record as the analysis keeps it.
ObjectInfo DrawingObjectOf(RecordView r) {
  ObjectInfo info;
  if (r.function == MetaCreatePenIndirect && Has(r, PenFields::kWords)) {
    info.visible = (r.params[PenFields::kStyle] & kPsStyleMask) != kPsNull;
    info.color = DoubleWordAt(r, PenFields::kColor) & 0x00FFFFFF;
  } else if (r.function == MetaCreateBrushIndirect && Has(r, BrushFields::kWords)) {
    info.visible = r.params[BrushFields::kStyle] != kBsNull;
    info.solid = r.params[BrushFields::kStyle] == kBsSolid;
    info.color = DoubleWordAt(r, BrushFields::kColor) & 0x00FFFFFF;
  }
  return info;
}

Box64 Intersection(const Box64& a, const Box64& b) {
  return Box64{std::max(a.minX, b.minX), std::max(a.minY, b.minY), std::min(a.maxX, b.maxX), std::min(a.maxY, b.maxY)};
}

// AutoCAD and its kin draw their background first: a rectangle from the
// origin of a window at (0, 0), with a pen and a solid brush of one colour.
bool LooksLikeCadBackground(const RecordList& records, const Mapping& reference) {
  if (reference.windowOrgX != 0 || reference.windowOrgY != 0 || reference.windowExtX <= 0 ||
      reference.windowExtY <= 0 || reference.viewportOrgX != 0 || reference.viewportOrgY != 0 ||
      reference.viewportExtX != 1 || reference.viewportExtY != 1)
    return false;
  ObjectTable table;
  std::vector<ObjectInfo> info;
  ObjectInfo pen, brush;
  brush.color = 0xFFFFFF;
  brush.solid = true;
  for (RecordView r : records) {
    if (IsDrawingRecord(r.function)) {
      const std::optional<GeometryView> g = GeometryView::Of(r);
      return r.function == MetaRectangle && g && X(r, g->BoxMin()) == 0 && Y(r, g->BoxMin()) == 0 && pen.visible &&
             brush.solid && pen.color == brush.color;
    }
    const std::optional<uint16_t> slot = FirstWord(r);
    if (const ObjectKind kind = CreatedObject(r.function); kind != ObjectKind::None) {
      const int created = table.Create(kind);
      if (static_cast<size_t>(created) >= info.size()) info.resize(created + 1);
      info[created] = DrawingObjectOf(r);
    } else if (r.function == MetaSelectObject && slot) {
      const ObjectKind kind = table.KindAt(*slot);
      if (kind == ObjectKind::Pen) pen = info[*slot];
      if (kind == ObjectKind::Brush) brush = info[*slot];
    } else if (r.function == MetaDeleteObject && slot) {
      table.Delete(*slot);
    }
  }
  return false;
}

}  // namespace

ExtentAnalysis::ExtentAnalysis(PassState& pass, int& palette, TextMeasurer& measurer, const PictureFrame& frame)
    : pass_(pass), palette_(palette), measurer_(measurer), frame_(frame) {
  pen_.color = 0;
  brush_.color = 0xFFFFFF;
  brush_.solid = true;
}

void ExtentAnalysis::Begin() {
  pass_.bounds = Rect{32767, 32767, -32767, -32767};
  pass_.BeginBlocks();
  mapping_.Begin(frame_);
  drawn_ = Box64{};
}

// What is drawn, clipped to the picture's frame, widens the extent.
void ExtentAnalysis::Measure(Box64 box) {
  if (box.Empty()) return;
  // In CAD pictures the blocks drawn with a window origin of their own are
  // left out. Nothing outside the frame or the clip shows in any picture.
  if (frame_.cad && pass_.inNested) return;
  if (frame_.frameKnown) box = Intersection(box, Box64{0, 0, frame_.size.x, frame_.size.y});
  if (clip_) box = Intersection(box, *clip_);
  if (box.Empty()) return;
  drawn_.Add(Point64{box.minX, box.minY});
  drawn_.Add(Point64{box.maxX, box.maxY});
  pass_.bounds = Rect{ClampToInt32(drawn_.minX), ClampToInt32(drawn_.minY), ClampToInt32(drawn_.maxX),
                      ClampToInt32(drawn_.maxY)};
}

// The points of a poly record's run, when they draw.
void ExtentAnalysis::MeasureRun(RecordView record, const GeometryView& g, bool visible) {
  if (!visible) return;
  Box64 box;
  g.ForEachPoint([&](PointAt p) { box.Add(mapping_.ToPicture(X(record, p), Y(record, p))); });
  Measure(box);
}

// The box between two pairs of a record.
void ExtentAnalysis::MeasureBetween(RecordView record, PointAt a, PointAt b) {
  Box64 box;
  box.Add(mapping_.ToPicture(X(record, a), Y(record, a)));
  box.Add(mapping_.ToPicture(X(record, b), Y(record, b)));
  Measure(box);
}

void ExtentAnalysis::MeasureCorners(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  Box64 box;
  box.Add(mapping_.ToPicture(x0, y0));
  box.Add(mapping_.ToPicture(x1, y1));
  Measure(box);
}

// A raster operation without a bitmap paints with the brush, or without it
// (black, white, the inverse of what is there); with a null brush, one that
// needs the brush paints nothing, and one that keeps what is there never does.
bool ExtentAnalysis::FillsWithoutBitmap(uint32_t rasterOperation) const {
  const uint8_t op = static_cast<uint8_t>(rasterOperation >> 16);  // bit (P S D) is the result for P, S, D
  const bool usesBrush = (op >> 4) != (op & 0x0F);
  const bool changesDestination = op != 0xAA;
  return changesDestination && (!usesBrush || brush_.visible);
}

bool ExtentAnalysis::PenDraws() const { return pen_.visible; }
bool ExtentAnalysis::FillDraws() const { return pen_.visible || brush_.visible; }

void ExtentAnalysis::CreateObject(RecordView record, ObjectKind kind) {
  // Every object-creating record takes a slot, as in playback on a device,
  // so that later selections find the right objects.
  const int slot = objects_.Create(kind);
  if (static_cast<size_t>(slot) >= info_.size()) info_.resize(slot + 1);
  ObjectInfo info = DrawingObjectOf(record);
  if (kind == ObjectKind::Font) info.font = FontOf(record);
  if (kind == ObjectKind::Region)
    RegionView::ForEachRect(record, [&](RegionRect rect) {
      info.region.Add(mapping_.ToPicture(rect.left, rect.top));
      info.region.Add(mapping_.ToPicture(rect.right, rect.bottom));
    });
  info_[slot] = std::move(info);
}

void ExtentAnalysis::AnalyseRecord(RecordView record) {
  mapping_.Apply(record);
  const std::optional<GeometryView> g = GeometryView::Of(record);
  const std::optional<uint16_t> first = FirstWord(record);
  switch (record.function) {
    case MetaSaveDC:
      pass_.SaveDC();
      savedClips_.push_back(clip_);
      return;
    case MetaRestoreDC: {
      pass_.RestoreDC();
      // -k restores the clip saved k saves ago, +k the k-th saved one.
      const int32_t level = first ? static_cast<int16_t>(*first) : -1;
      const int64_t keep = level < 0 ? static_cast<int64_t>(savedClips_.size()) + level : level - 1;
      if (level != 0 && keep >= 0 && keep < static_cast<int64_t>(savedClips_.size())) {
        clip_ = savedClips_[static_cast<size_t>(keep)];
        savedClips_.resize(static_cast<size_t>(keep));
      }
      return;
    }
    case MetaIntersectClipRect:
      if (g) {
        Box64 box;
        box.Add(mapping_.ToPicture(X(record, g->BoxMin()), Y(record, g->BoxMin())));
        box.Add(mapping_.ToPicture(X(record, g->BoxMax()), Y(record, g->BoxMax())));
        clip_ = clip_ ? Intersection(*clip_, box) : box;
      }
      return;
    case MetaOffsetClipRgn:
      if (g && clip_) {
        const Point64 d = mapping_.DistanceToPicture(X(record, g->First()), Y(record, g->First()));
        const Point64 low = Moved({clip_->minX, clip_->minY}, d), high = Moved({clip_->maxX, clip_->maxY}, d);
        *clip_ = Box64{low.x, low.y, high.x, high.y};
      }
      return;
    case MetaSetWindowOrg:
      if (g) pass_.WindowOrigin(X(record, g->First()), Y(record, g->First()));
      return;
    case MetaSetWindowExt:
      if (pass_.awaitFirstWindowExt && g) {
        const PointAt p = g->First();
        pass_.firstWindowExt = Size{record.params[p.x], record.params[p.y]};  // unsigned here
        pass_.awaitFirstWindowExt = false;
      }
      return;
    case MetaSelectObject:
      if (first) {
        switch (objects_.KindAt(*first)) {
          case ObjectKind::Font: currentFont_ = info_[*first].font; break;
          case ObjectKind::Pen: pen_ = info_[*first]; break;
          case ObjectKind::Brush: brush_ = info_[*first]; break;
          default: break;
        }
      }
      return;
    case MetaDeleteObject:
      if (first) objects_.Delete(*first);
      return;
    case MetaSetTextAlign:
      if (first) textAlign_ = *first;
      return;
    case MetaCreatePenIndirect:
      if (Has(record, PenFields::kWords)) pass_.lastPenColor = DoubleWordAt(record, PenFields::kColor);
      break;
    case MetaFillRegion:
    case MetaPaintRegion:
    case MetaInvertRegion:
    case MetaFrameRegion:
      if (first && objects_.KindAt(*first) == ObjectKind::Region) Measure(info_[*first].region);
      return;
    default:
      break;
  }
  if (const ObjectKind kind = CreatedObject(record.function); kind != ObjectKind::None) {
    CreateObject(record, kind);
    return;
  }
  if (g) MeasureDrawing(record, *g);
}

// What a drawing record draws, by its shape.
void ExtentAnalysis::MeasureDrawing(RecordView record, const GeometryView& g) {
  switch (g.shape()) {
    case Shape::Point: {
      const Point64 to = mapping_.ToPicture(X(record, g.First()), Y(record, g.First()));
      if (record.function == MetaMoveTo) {
        lineStart_ = position_ = to;
        return;
      }
      // A line reaches from the point a move set (a chain of lines from the
      // end of the one before, already measured) to its own end.
      if (PenDraws()) {
        Box64 box;
        if (lineStart_) box.Add(*lineStart_);
        box.Add(to);
        Measure(box);
      }
      position_ = to;
      lineStart_.reset();
      return;
    }
    case Shape::Points:
      MeasureRun(record, g, record.function == MetaPolygon ? FillDraws() : PenDraws());
      return;
    case Shape::PolyPolygon:
      if (g.RunCount() > 0) MeasureRun(record, g, FillDraws());
      return;
    case Shape::Box:
      if (record.function == MetaRectangle && frame_.cad &&
          (X(record, g.BoxMin()) == 0 || Y(record, g.BoxMin()) == 0)) {
        BackgroundRectangle();
      } else if (FillDraws()) {
        MeasureBetween(record, g.BoxMin(), g.BoxMax());
      }
      return;
    case Shape::RoundBox:
    case Shape::ArcBox:
      // The box of the figure; an arc's start and end only aim its ends.
      if (record.function == MetaArc ? PenDraws() : FillDraws()) MeasureBetween(record, g.BoxMin(), g.BoxMax());
      return;
    case Shape::ColorPoint:
    case Shape::ExtFloodPoint:
      MeasureBetween(record, g.First(), g.First());
      return;
    case Shape::TextOut:
    case Shape::ExtTextOut:
      TextBox(record, g);
      return;
    case Shape::Blit: {
      const BlitView& blit = *g.Blit();
      if (blit.bitmap || FillsWithoutBitmap(DoubleWordAt(record, BlitView::kRasterOperation)))
        MeasureCorners(blit.x, blit.y, blit.x + blit.width, blit.y + blit.height);
      return;
    }
    default:
      return;
  }
}

// A rectangle at the picture's left or top edge is the CAD program's
// background, drawn with a pen of its own colour: it is not measured.
void ExtentAnalysis::BackgroundRectangle() {
  pass_.backgroundColor = pass_.lastPenColor;
  const uint32_t red = pass_.backgroundColor & 0xFF;
  const uint32_t green = (pass_.backgroundColor >> 8) & 0xFF;
  if ((red > 128 || green > 128) && (palette_ == 0 || palette_ == 2 || palette_ == 4 || palette_ == 6)) ++palette_;
}

void ExtentAnalysis::TextBox(RecordView record, const GeometryView& g) {
  const int32_t x = X(record, g.First()), y = Y(record, g.First());
  if (record.function == MetaTextOut) {
    TextAt(x, y, TextOutView::Of(record)->String(record, text_), nullptr);
    return;
  }
  const ExtTextLayout& layout = *g.ExtText();
  // An opaque rectangle paints its background; an empty one paints nothing
  // (the system's conversion of an EMF writes one with every text).
  if (layout.options & kEtoOpaque) {
    const PointAt low = ExtTextLayout::kRectMin, high = ExtTextLayout::kRectMax;
    if (X(record, low) != X(record, high) && Y(record, low) != Y(record, high)) MeasureBetween(record, low, high);
  }
  int64_t advances = 0;
  // The advances, where the record has them, are what the text is drawn with.
  if (layout.hasDx)
    for (size_t i = 0; i < layout.count; ++i) advances += record.params[layout.dxWord + i];
  TextAt(x, y, ExtTextString(record, layout, text_), layout.hasDx ? &advances : nullptr);
}

// The box of a text at (x, y) in logical units, by the text alignment and the
// font's angle; its corners are measured in picture space.
void ExtentAnalysis::TextAt(int32_t x0, int32_t y0, std::string_view text, const int64_t* advanceSum) {
  const TextExtent measured = measurer_.Measure(currentFont_, text);
  const int64_t cx = advanceSum ? *advanceSum : measured.cx;
  const int angleTenths = currentFont_.orientation != 0 ? currentFont_.orientation : currentFont_.escapement;
  // The corners in logical units can lie beyond 16 bits; they are taken into
  // picture space as offsets from the reference point.
  // With TA_UPDATECP the text stands at the current position, which it
  // then moves along its baseline.
  const bool atCurrentPosition = (textAlign_ & kTaUpdateCp) != 0;
  const Point64 origin = atCurrentPosition ? position_ : mapping_.ToPicture(x0, y0);
  if (atCurrentPosition) {
    const auto [dx, dy] = TextAdvance(cx, textAlign_, angleTenths);
    position_ = Moved(position_, mapping_.DistanceToPicture(dx, dy));
  }
  Box64 box;
  for (const auto& [dx, dy] : TextCellCorners(cx, measured.cy, measured.ascent, textAlign_, angleTenths))
    box.Add(Moved(origin, mapping_.DistanceToPicture(dx, dy)));
  Measure(box);
}

PictureFrame FindPictureFrame(const WmfPicture& picture, const MetafilePict& header, bool declaredCad) {
  PictureFrame frame;
  if (picture.placeable) {
    // A program that places the picture sets its window to the header's box.
    const PlaceableHeader& box = *picture.placeable;
    frame.initial.windowOrgX = box.left;
    frame.initial.windowOrgY = box.top;
    const int32_t w = box.right - box.left, h = box.bottom - box.top;
    if (w != 0 && h != 0) {
      frame.initial.windowExtX = w;
      frame.initial.windowExtY = h;
      frame.initial.windowExtSet = true;
    }
  }
  frame.reference = MappingModel::FindReference(picture.records, frame.initial, declaredCad);
  frame.size = MappingModel::FrameSize(frame.reference);
  frame.frameKnown = frame.size.x > 0 && frame.size.y > 0;
  if (!frame.frameKnown && header.mm == kMmText && header.xExt > 0 && header.yExt > 0) {
    frame.size = Point64{header.xExt, header.yExt};
    frame.frameKnown = true;
  } else if (frame.frameKnown) {
    // Programs show a placeable picture in its box, and an MM_ANISOTROPIC
    // clipboard picture at the clipboard's size: a window of other
    // proportions is shown stretched to them, and keeps them in picture space.
    double aspect = 0;
    if (picture.placeable) {
      const double w = std::abs(picture.placeable->right - picture.placeable->left);
      const double h = std::abs(picture.placeable->bottom - picture.placeable->top);
      if (w > 0 && h > 0) aspect = h / w;
    } else if (header.mm == kMmAnisotropic && header.xExt > 0 && header.yExt > 0) {
      aspect = static_cast<double>(header.yExt) / header.xExt;
    }
    const int64_t height = std::llround(static_cast<double>(frame.size.x) * aspect);
    if (aspect > 0 && height > 0 && std::abs(height - frame.size.y) * 200 > frame.size.y)
      frame.units = frame.size = Point64{frame.size.x, height};
  }
  // A conversion of an enhanced metafile whose drawing does not stand where
  // its window says is placed by the enhanced metafile it carries.
  constexpr double kClearlyBetterFit = 4;
  if (std::optional<PictureFrame> converted = EmbeddedEmfFrame(picture);
      converted && FrameFit(picture.records, *converted) > kClearlyBetterFit * FrameFit(picture.records, frame))
    frame = *converted;
  frame.cad = declaredCad || LooksLikeCadBackground(picture.records, frame.reference);
  return frame;
}

}  // namespace wmf
