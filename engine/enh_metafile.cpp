#include "enh_metafile.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <optional>
#include <span>

#include "color_rules.h"
#include "emf_blits.h"
#include "emf_mapping.h"
#include "emf_record_kinds.h"
#include "emf_records.h"
#include "emf_writer.h"
#include "gdi_styles.h"
#include "region_bands.h"
#include "sizing.h"
#include "text_box.h"

namespace wmf {
namespace {

constexpr uint32_t kEmfPlusIdentifier = 0x2B464D45;  // "EMF+"
constexpr uint16_t kEmfPlusHeader = 0x4001;
constexpr uint16_t kEmfPlusDual = 0x0001;  // the picture is drawn by its GDI records too
constexpr uint32_t kRgnAnd = 1, kRgnCopy = 5;
constexpr uint32_t kStockNullBrush = 5, kStockNullPen = 8, kStockWhiteBrush = 0, kStockBlackPen = 7;

int32_t HeldInt32(double v) {
  if (!(v > -2147483647.0)) return -2147483647;
  if (!(v < 2147483647.0)) return 2147483647;
  return static_cast<int32_t>(std::lround(v));
}

// Text drawn the compatible way stands upright on the device whatever the
// picture's mapping: an offset measured with y down, in the picture's
// logical units, goes the device's way.
TextOffset UprightOffset(const Affine& device, TextOffset offset) {
  return TextOffset{device.m11 < 0 ? -offset.first : offset.first, device.m22 < 0 ? -offset.second : offset.second};
}

// A blit whose raster operation keeps the destination as it is (office
// programs write them to mark a place) draws nothing.
bool LeavesTheDestination(const EmfRecordView& r) {
  constexpr uint32_t kDestinationKept = 0x00AA0029;
  if (r.type == EmrBitBlt || r.type == EmrStretchBlt) return r.U32(32).value_or(0) == kDestinationKept;
  if (r.type == EmrStretchDIBits) return r.U32(60).value_or(0) == kDestinationKept;
  return false;
}

Box64 Intersection(const Box64& a, const Box64& b) {
  return Box64{std::max(a.minX, b.minX), std::max(a.minY, b.minY), std::min(a.maxX, b.maxX), std::min(a.maxY, b.maxY)};
}

bool DrawsLine(uint32_t type) {
  switch (type) {
    case EmrPolyline: case EmrPolyline16: case EmrPolyBezier: case EmrPolyBezier16: case EmrPolylineTo:
    case EmrPolylineTo16: case EmrPolyBezierTo: case EmrPolyBezierTo16: case EmrPolyPolyline: case EmrPolyPolyline16:
    case EmrLineTo: case EmrArc: case EmrArcTo: case EmrAngleArc: case EmrPolyDraw: case EmrPolyDraw16:
      return true;
    default:
      return false;
  }
}

bool DrawsFill(uint32_t type) {
  switch (type) {
    case EmrPolygon: case EmrPolygon16: case EmrPolyPolygon: case EmrPolyPolygon16: case EmrRectangle:
    case EmrEllipse: case EmrRoundRect: case EmrChord: case EmrPie:
      return true;
    default:
      return false;
  }
}

// Records that draw on from the current position.
bool StartsAtCurrentPosition(uint32_t type) {
  switch (type) {
    case EmrPolylineTo: case EmrPolylineTo16: case EmrPolyBezierTo: case EmrPolyBezierTo16: case EmrLineTo:
    case EmrArcTo:
      return true;
    default:
      return false;
  }
}

// A pen, brush or font as the passes keep them.
struct EmfObject {
  enum class Kind { Pen, Brush, Font, Other } kind = Kind::Other;
  bool visible = true;
  uint32_t color = 0;
  LogFont font;
  std::span<const uint8_t> record;  // a font's EMR_EXTCREATEFONTINDIRECTW body, in the picture
};

EmfObject ObjectOf(const EmfRecordView& r) {
  using F = EmfObjectFields;
  EmfObject o;
  switch (r.type) {
    case EmrCreatePen:
      o.kind = EmfObject::Kind::Pen;
      o.visible = (r.U32(F::kPenStyle).value_or(0) & kPsStyleMask) != kPsNull;
      o.color = r.U32(F::kPenColor).value_or(0) & 0x00FFFFFF;
      break;
    case EmrExtCreatePen:
      o.kind = EmfObject::Kind::Pen;
      o.visible = (r.U32(F::kExtPenStyle).value_or(0) & kPsStyleMask) != kPsNull;
      o.color = r.U32(F::kExtPenColor).value_or(0) & 0x00FFFFFF;
      break;
    case EmrCreateBrushIndirect:
      o.kind = EmfObject::Kind::Brush;
      o.visible = r.U32(F::kBrushStyle).value_or(0) != kBsNull;
      o.color = r.U32(F::kBrushColor).value_or(0) & 0x00FFFFFF;
      break;
    case EmrCreateMonoBrush:
    case EmrCreateDibPatternBrushPt:
      o.kind = EmfObject::Kind::Brush;
      break;
    case EmrExtCreateFontIndirectW:
      o.kind = EmfObject::Kind::Font;
      o.font = EmfFontOf(r);
      if (r.Has(F::kFontEnd)) o.record = r.body;
      break;
    default:
      break;
  }
  return o;
}

EmfObject StockObject(uint32_t index) {
  EmfObject o;
  const uint32_t stock = index & ~kEmfStockObject;
  if (stock <= 5 || stock == 18) {
    o.kind = EmfObject::Kind::Brush;
    o.visible = stock != kStockNullBrush;
    o.color = stock == kStockWhiteBrush ? 0xFFFFFF : 0;
  } else if ((stock >= 6 && stock <= 8) || stock == 19) {
    o.kind = EmfObject::Kind::Pen;
    o.visible = stock != kStockNullPen;
    o.color = stock == 6 ? 0xFFFFFF : 0;
  } else {
    o.kind = EmfObject::Kind::Font;
  }
  return o;
}

// What a picture has selected: the objects by their kinds.
class Selection {
 public:
  Selection() {
    pen_ = StockObject(kEmfStockObject | kStockBlackPen);
    brush_ = StockObject(kEmfStockObject | kStockWhiteBrush);
  }
  void Follow(const EmfRecordView& r) {
    if (const EmfObject o = ObjectOf(r); o.kind != EmfObject::Kind::Other) {
      if (const auto index = r.U32(EmfObjectFields::kIndex)) objects_[*index] = o;
    } else if (r.type == EmrSelectObject) {
      if (const auto index = r.U32(0)) Select(*index);
    } else if (r.type == EmrDeleteObject) {
      if (const auto index = r.U32(0)) objects_.erase(*index);
    }
  }
  const EmfObject& Pen() const { return pen_; }
  const EmfObject& Brush() const { return brush_; }
  const EmfObject& Font() const { return font_; }

 private:
  void Select(uint32_t index) {
    EmfObject o;
    if (index & kEmfStockObject) {
      o = StockObject(index);
    } else {
      const auto found = objects_.find(index);
      if (found == objects_.end()) return;
      o = found->second;
    }
    if (o.kind == EmfObject::Kind::Pen) pen_ = o;
    if (o.kind == EmfObject::Kind::Brush) brush_ = o;
    if (o.kind == EmfObject::Kind::Font) font_ = o;
  }
  std::map<uint32_t, EmfObject> objects_;
  EmfObject pen_, brush_, font_;
};

// The picture's header with its EMF+ facts.
// Whether the picture draws with EMF+ records alone: its EMF+ header says
// so, or (whatever the header says) no record but EMF+ ones draws.
bool IsEmfPlusOnly(const EmfPicture& picture) {
  bool emfPlus = false, gdiDraws = false;
  for (size_t i = 0; i < picture.size(); ++i) {
    const EmfRecordView r = picture[i];
    if (EmfRecordDraws(r.type)) gdiDraws = true;
    if (!IsEmfPlusComment(r) || emfPlus) continue;
    emfPlus = true;
    // The first EMF+ record is its header: Type, Flags, ...
    uint16_t type = 0, flags = 0;
    if (!r.Has(12)) continue;
    std::memcpy(&type, r.body.data() + 8, 2);
    std::memcpy(&flags, r.body.data() + 10, 2);
    if (type == kEmfPlusHeader && (flags & kEmfPlusDual) == 0) return true;
  }
  return emfPlus && !gdiDraws;
}

// Points into picture space: logical, through the picture's mapping, to the
// reference device's pixels, to 0.01 mm from the frame's corner.
class PictureSpace {
 public:
  explicit PictureSpace(const EmfHeader& h) : scale_(h.HimetricPerPixel()), frame_(h.frame) {}
  Point64 FromDevice(double x, double y) const {
    return Point64{HeldInt32(x * scale_.x - frame_.left), HeldInt32(y * scale_.y - frame_.top)};
  }
  Point64 FromLogical(const Affine& device, double x, double y) const {
    const Affine::Point p = device.Apply(x, y);
    return FromDevice(p.x, p.y);
  }
  // Device pixels from picture space, as an affine transform.
  Affine ToDevice() const { return Affine{1 / scale_.x, 0, 0, 1 / scale_.y, frame_.left / scale_.x, frame_.top / scale_.y}; }
  Affine FromDeviceTransform() const { return Affine{scale_.x, 0, 0, scale_.y, -double(frame_.left), -double(frame_.top)}; }
  const EmfHeader::Scale& Scale() const { return scale_; }

 private:
  EmfHeader::Scale scale_;
  EmfRect frame_;
};

}  // namespace

bool IsEmfPlusComment(const EmfRecordView& r) {
  return r.type == EmrComment && r.U32(4).value_or(0) == kEmfPlusIdentifier;
}

CEnhMetafile::CEnhMetafile(EmfPicture picture, int fromIntelliCad_, EngineContext& context, bool fromCadProgram)
    : fromIntelliCad(fromIntelliCad_), fromCad(fromCadProgram || fromIntelliCad_ != 0), picture_(std::move(picture)),
      context_(context) {
  const EmfRect& f = picture_.header.frame;
  fullRect = Rect{0, 0, HeldInt32(static_cast<double>(f.right) - f.left), HeldInt32(static_cast<double>(f.bottom) - f.top)};
  if (fullRect.maxX <= 0 || fullRect.maxY <= 0) unimprovable_ = "its frame has no size";
  else if (IsEmfPlusOnly(picture_)) unimprovable_ = "it draws with EMF+ records only, which the program does not improve";
  Analyse();
}

void CEnhMetafile::Analyse() {
  constexpr uint32_t kMostObjectSlots = 0xFFFF - 2;
  objectSlots = std::clamp<uint32_t>(picture_.header.handles, 1, kMostObjectSlots);
  palette = fromIntelliCad ? 8 : context_.displayBitsPerPixel > 8 ? 4 : 6;
  const PictureSpace space(picture_.header);
  EmfMappingModel mapping(picture_.header);
  Selection selection;
  Box64 drawn;
  std::optional<Box64> clip;
  SavedStates<std::optional<Box64>> savedClips;
  bool inPath = false;  // while a path is being defined, its points go to `path`
  Box64 path;
  Box64 lastPath;
  EmfPoint position;
  uint32_t lastPenColor = 0;
  const Box64 frame{0, 0, fullRect.maxX, fullRect.maxY};

  const auto measure = [&](Box64 box) {
    if (box.Empty()) return;
    box = Intersection(box, frame);
    if (clip) box = Intersection(box, *clip);
    if (box.Empty()) return;
    drawn.Add(Point64{box.minX, box.minY});
    drawn.Add(Point64{box.maxX, box.maxY});
  };
  Affine device = mapping.Device();  // taken anew at each record that may change it, not at every point
  const auto toPicture = [&](double x, double y) { return space.FromLogical(device, x, y); };

  for (size_t i = 0; i < picture_.size(); ++i) {
    const EmfRecordView r = picture_[i];
    if (!EmfRecordHoldsItsData(r)) continue;  // left out of every output
    if (mapping.Follow(r)) {
      if (r.type == EmrSaveDC) savedClips.Save(clip);
      if (r.type == EmrRestoreDC) savedClips.Restore(r.I32(0).value_or(-1), clip);
      device = mapping.Device();
      continue;
    }
    selection.Follow(r);
    if (const EmfRecordKind* kind = FindEmfRecordKind(r.type); kind && (kind->flags & kEmfCreatesObject))
      if (const std::optional<uint32_t> index = r.U32(EmfObjectFields::kIndex); index && *index < kMostObjectSlots)
        objectSlots = std::max(objectSlots, *index + 1);
    switch (r.type) {
      case EmrCreatePen:
        lastPenColor = r.U32(EmfObjectFields::kPenColor).value_or(0);
        continue;
      case EmrExtCreatePen:
        lastPenColor = r.U32(EmfObjectFields::kExtPenColor).value_or(0);
        continue;
      case EmrMoveToEx:
        if (r.Has(8)) position = EmfPoint{*r.I32(0), *r.I32(4)};
        if (inPath) path.Add(toPicture(position.x, position.y));
        continue;
      case EmrIntersectClipRect:
        if (r.Has(16)) {
          Box64 box;
          ForEachEmfPoint(EmfRecordView{EmrRectangle, r.body}, [&](EmfPoint p) { box.Add(toPicture(p.x, p.y)); });
          clip = clip ? Intersection(*clip, box) : box;
        }
        continue;
      case EmrExtSelectClipRgn: {
        const std::optional<EmfRegionView> region = EmfRegionView::Of(r);
        const uint32_t mode = r.U32(4).value_or(0);
        if (!region) {
          if (mode == kRgnCopy) clip.reset();  // no region: the clip is taken away
          continue;
        }
        Box64 box;
        for (size_t k = 0; k < region->rectCount; ++k) {
          const size_t at = region->rectsAt + 16 * k;
          box.Add(space.FromDevice(*r.I32(at), *r.I32(at + 4)));
          box.Add(space.FromDevice(*r.I32(at + 8), *r.I32(at + 12)));
        }
        if (mode == kRgnCopy) clip = box;
        else if (mode == kRgnAnd) clip = clip ? Intersection(*clip, box) : box;
        continue;
      }
      case EmrBeginPath:
        path = Box64{};
        inPath = true;
        continue;
      case EmrEndPath:
        if (inPath) lastPath = path;
        inPath = false;
        continue;
      case EmrAbortPath:
        inPath = false;
        lastPath = Box64{};
        continue;
      case EmrStrokePath:
        if (selection.Pen().visible) measure(lastPath);
        continue;
      case EmrFillPath:
      case EmrStrokeAndFillPath:
        if (selection.Pen().visible || selection.Brush().visible) measure(lastPath);
        continue;
      case EmrSelectClipPath:
        clip = clip ? Intersection(*clip, lastPath) : lastPath;
        continue;
      case EmrExtTextOutW:
      case EmrExtTextOutA: {
        const std::optional<EmfTextView> text = EmfTextView::Of(r);
        if (!text) continue;
        const LogFont& font = selection.Font().font;
        if ((text->options & kEtoOpaque) && text->rect[0] != text->rect[2] && text->rect[1] != text->rect[3]) {
          Box64 box;
          box.Add(toPicture(text->rect[0], text->rect[1]));
          box.Add(toPicture(text->rect[2], text->rect[3]));
          measure(box);
        }
        const TextExtent extent = context_.measurer.MeasureWide(font, text->text);
        const int64_t cx = text->advanceSum.value_or(extent.cx);
        const int angle = font.orientation != 0 ? font.orientation : font.escapement;
        const uint16_t textAlign = static_cast<uint16_t>(mapping.TextAlign());
        const EmfPoint at = (textAlign & kTaUpdateCp) ? position : text->reference;
        Box64 box;
        const bool compatible = r.U32(EmfObjectFields::kTextGraphicsMode).value_or(kGmCompatible) == kGmCompatible;
        for (TextOffset corner : TextCellCorners(cx, extent.cy, extent.ascent, textAlign, angle)) {
          if (compatible) corner = UprightOffset(mapping.Device(), corner);
          box.Add(toPicture(static_cast<double>(at.x) + corner.first, static_cast<double>(at.y) + corner.second));
        }
        measure(box);
        if (textAlign & kTaUpdateCp) {
          const auto [dx, dy] = TextAdvance(cx, textAlign, angle);
          position = EmfPoint{HeldInt32(static_cast<double>(position.x) + dx), HeldInt32(static_cast<double>(position.y) + dy)};
        }
        continue;
      }
      case EmrFillRgn: case EmrFrameRgn: case EmrInvertRgn: case EmrPaintRgn:
        if (r.Has(16)) {
          Box64 box;
          box.Add(toPicture(*r.I32(0), *r.I32(4)));
          box.Add(toPicture(*r.I32(8), *r.I32(12)));
          measure(box);
        }
        continue;
      default:
        break;
    }
    // The CAD program's background: a rectangle from the origin.
    if (fromCad && r.type == EmrRectangle && r.Has(16) && (*r.I32(0) == 0 || *r.I32(4) == 0)) {
      backgroundColor = lastPenColor & 0x00FFFFFF;
      const uint32_t red = backgroundColor & 0xFF, green = (backgroundColor >> 8) & 0xFF;
      if ((red > 128 || green > 128) && (palette == 0 || palette == 2 || palette == 4 || palette == 6)) ++palette;
      continue;
    }
    if (LeavesTheDestination(r)) continue;
    Box64 box;
    if (StartsAtCurrentPosition(r.type)) box.Add(toPicture(position.x, position.y));
    EmfPoint last = position;
    const bool placed = ForEachEmfPoint(r, [&](EmfPoint p) {
      box.Add(toPicture(p.x, p.y));
      last = p;
    });
    if (!placed) continue;
    if (StartsAtCurrentPosition(r.type) || r.type == EmrPolyDraw || r.type == EmrPolyDraw16) position = last;
    if (inPath) {
      if (!box.Empty()) {
        path.Add(Point64{box.minX, box.minY});
        path.Add(Point64{box.maxX, box.maxY});
      }
      continue;
    }
    const bool visible = DrawsLine(r.type)   ? selection.Pen().visible
                         : DrawsFill(r.type) ? selection.Pen().visible || selection.Brush().visible
                                             : true;
    if (visible) measure(box);
  }
  extents = drawn.Empty() ? Rect{32767, 32767, -32767, -32767}
                          : Rect{HeldInt32(drawn.minX), HeldInt32(drawn.minY), HeldInt32(drawn.maxX), HeldInt32(drawn.maxY)};
}

namespace {

void SetU32(std::vector<uint8_t>& body, size_t at, uint32_t v) {
  if (at + 4 <= body.size()) std::memcpy(body.data() + at, &v, 4);
}
int32_t ReadI32(const std::vector<uint8_t>& body, size_t at) {
  return EmfRecordView{0, body}.I32(at).value_or(0);
}

// An angle in tenths of a degree, half a turn on, within a whole turn.
int32_t HalfTurned(int32_t tenths) { return static_cast<int32_t>((int64_t{tenths} % 3600 + 3600 + 1800) % 3600); }

// The turn of picture space that brings the region `b` to the output's
// origin, as the Windows metafile's rewriting turns its points.
Affine Turn(int rotation, const Rect& b) {
  switch (rotation) {
    case 90: return Affine{0, 1, -1, 0, double(b.maxY), -double(b.minX)};
    case 180: return Affine{-1, 0, 0, -1, double(b.maxX), double(b.maxY)};
    case 270: return Affine{0, -1, 1, 0, -double(b.minY), double(b.maxX)};
    default: return Affine{1, 0, 0, 1, -double(b.minX), -double(b.minY)};
  }
}

// The points of a poly record, for telling a filled area's outline.
std::vector<EmfPoint> PointsOf(const EmfRecordView& r) {
  std::vector<EmfPoint> points;
  ForEachEmfPoint(r, [&](EmfPoint p) { points.push_back(p); });
  return points;
}

bool Same(EmfPoint a, EmfPoint b) { return a.x == b.x && a.y == b.y; }

bool IsTextRecord(uint32_t type) {
  return type == EmrExtTextOutA || type == EmrExtTextOutW || type == EmrPolyTextOutA || type == EmrPolyTextOutW;
}

// Whether the object a record names, if any, is a stock object or one of
// the output's `slots`: players index their object table by it unchecked.
bool NamesObjectsWithin(const EmfRecordView& r, uint32_t slots) {
  const std::optional<size_t> field = EmfObjectIndexField(r.type);
  if (!field) return true;
  const std::optional<uint32_t> index = r.U32(*field);
  if (!index) return false;
  const bool creates = FindEmfRecordKind(r.type)->flags & kEmfCreatesObject;
  return *index < slots || (!creates && (*index & kEmfStockObject));
}

bool DrawsTextTheCompatibleWayOnly(const EmfPicture& picture) {
  for (size_t i = 0; i < picture.size(); ++i) {
    const EmfRecordView r = picture[i];
    if (IsTextRecord(r.type) && r.Has(EmfObjectFields::kTextGraphicsModeEnd) &&
        *r.U32(EmfObjectFields::kTextGraphicsMode) != kGmCompatible)
      return false;
  }
  return true;
}

}  // namespace

CEnhMetafile::Played CEnhMetafile::Play(const WmfSettings& settings) const {
  const EmfHeader& header = picture_.header;
  Rect bounds;
  const Size region = WithFarEdgeRoom(settings, extents, bounds, ChooseRegion(settings, extents, fullRect, bounds));
  const double scale = ChooseScale(settings, region, unitsPerInch, fullRect, 0);
  const Size himetric = PhysicalSize(region, scale);

  // The reference device's pixels, into picture space, turned into the
  // output's region, sized to its paper size, back into pixels.
  const PictureSpace space(header);
  const EmfHeader::Scale& px = space.Scale();
  const Affine sized{himetric.x / double(region.x) / px.x, 0, 0, himetric.y / double(region.y) / px.y, 0, 0};
  const Affine out =
      Affine::Then(Affine::Then(space.FromDeviceTransform(), Turn(settings.Rotation, bounds)), sized);
  const int32_t widthPx = std::max(1, HeldInt32(std::ceil(himetric.x / px.x)));
  const int32_t heightPx = std::max(1, HeldInt32(std::ceil(himetric.y / px.y)));

  EmfWriter writer(picture_.HeaderRecord().body, picture_.bytes.size() + picture_.bytes.size() / 8);
  EmfMappingModel mapping(header);
  // The picture's own world transform and page, with the output's move, turn
  // and size after them: device = out(page(world(logical))).
  const auto composed = [&]() -> std::optional<Affine> {
    const Affine page = mapping.Page();
    const std::optional<Affine> pageInverse = page.Inverse();
    if (!pageInverse) return std::nullopt;
    return Affine::Then(mapping.World(), Affine::Then(page, Affine::Then(out, *pageInverse)));
  };
  const auto emitWorld = [&] {
    const std::optional<Affine> w = composed();
    if (w && UsableTransform(*w)) writer.Append(EmrSetWorldTransform, TransformBody(*w).Span());
  };
  // Logical units per inch of the output where the picture draws now.
  const auto logicalPerInch = [&] {
    const double pxPerLogical = Affine::Then(mapping.World(), Affine::Then(mapping.Page(), out)).Scale();
    return pxPerLogical > 0 ? 2540 / px.x / pxPerLogical : 2540 / px.x;
  };
  const int paletteInForce = settings.PaletteInForce(palette);
  const auto rules = [&](ColorUse use, uint32_t color) {
    return ApplyColorRules(use, color, settings, paletteInForce, logicalPerInch());
  };
  const bool removeLines =
      settings.RemoveLines && (settings.Filledoptions || settings.MakeBlack || settings.Lineoptions);
  std::vector<EmfPoint> savedPolygon;
  bool polygonPending = false;
  const uint32_t extraObjects = objectSlots;
  // The output's own objects: a background's pen and brush, a turned font.
  const uint32_t turnedFontSlot = extraObjects + 2;
  const EmfBody selectTurnedFont = EmfBody().U32(turnedFontSlot);
  bool fontTurned = false;
  const bool turned = settings.Rotation % 360 != 0;
  const bool compatibleTextOnly = turned && DrawsTextTheCompatibleWayOnly(picture_);

  Selection selection;
  emitWorld();
  for (size_t i = 0; i < picture_.size(); ++i) {
    const EmfRecordView r = picture_[i];
    if (r.type == EmrEof) break;
    // EMF+ records would show the picture unimproved in the readers that
    // prefer them: without them every reader draws the improved GDI records.
    if (IsEmfPlusComment(r)) continue;
    // A record that names an object beyond the output's table, or whose data
    // reaches past its end, would have players write or read beyond what they
    // hold; its object or data is not there to draw.
    if (!NamesObjectsWithin(r, extraObjects) || !EmfRecordHoldsItsData(r)) continue;
    if (r.type == EmrSetWorldTransform || r.type == EmrModifyWorldTransform) {
      mapping.Follow(r);
      emitWorld();
      continue;
    }
    if (mapping.Follow(r)) {
      writer.Append(r);
      if (r.type != EmrSaveDC) emitWorld();
      continue;
    }
    selection.Follow(r);
    // The picture's coordinates to the output's pixels.
    const Affine toDevice = Affine::Then(mapping.Device(), out);
    if (turned && WriteBlitAsShown(writer, r, toDevice)) continue;
    using F = EmfObjectFields;
    EmfBody body;
    body.Bytes(r.body);
    std::vector<uint8_t>& b = body.Data();
    switch (r.type) {
      case EmrCreatePen:
        if (r.Has(F::kPenEnd)) {
          const ColorOutcome o = rules(ColorUse::Line, *r.U32(F::kPenColor));
          if (o.penWidth) SetU32(b, F::kPenWidth, static_cast<uint32_t>(*o.penWidth));
          SetU32(b, F::kPenColor, o.color);
        }
        break;
      case EmrExtCreatePen:
        if (r.Has(F::kExtPenEnd)) {
          const ColorOutcome o = rules(ColorUse::Line, *r.U32(F::kExtPenColor));
          if (o.penWidth) {
            SetU32(b, F::kExtPenWidth, static_cast<uint32_t>(*o.penWidth));
            // A cosmetic pen is always one pixel: a width makes it geometric.
            const uint32_t style = *r.U32(F::kExtPenStyle);
            if (*o.penWidth > 1 && (style & kPsTypeMask) != kPsGeometric)
              SetU32(b, F::kExtPenStyle, (style & ~kPsTypeMask) | kPsGeometric);
          }
          SetU32(b, F::kExtPenColor, o.color);
        }
        break;
      case EmrCreateBrushIndirect:
        if (r.Has(F::kBrushEnd)) {
          const uint32_t style = *r.U32(F::kBrushStyle);
          if (style == kBsSolid || style == kBsHatched) SetU32(b, F::kBrushColor, rules(ColorUse::Fill, *r.U32(F::kBrushColor)).color);
        }
        break;
      case EmrExtCreateFontIndirectW:
        // Text drawn the compatible way takes its glyphs' turn from the
        // escapement; drawn the advanced way, from the orientation.
        if (compatibleTextOnly && r.Has(F::kFontEnd)) SetU32(b, F::kFontOrientation, *r.U32(F::kFontEscapement));
        break;
      case EmrExtTextOutA:
      case EmrExtTextOutW:
      case EmrPolyTextOutA:
      case EmrPolyTextOutW: {
        // Text drawn the compatible way stays upright whatever the world
        // transform: turned with the picture, it is drawn the advanced way,
        // whose glyphs follow the transform. Where the picture's y axis
        // points up, the advanced way would mirror them, and players differ
        // on which way such a text's cell hangs from its reference point: it
        // is drawn in the output's own pixels, flipped about its baseline,
        // so that it reads the right way. Text the picture itself draws the
        // advanced way keeps the picture's transform, turned.
        if (!turned || !r.Has(F::kTextGraphicsModeEnd)) break;
        const bool compatible = *r.U32(F::kTextGraphicsMode) == kGmCompatible;
        const Affine own = mapping.Device();
        const bool yDown = own.m11 * own.m22 - own.m12 * own.m21 > 0;
        const bool single = r.type == EmrExtTextOutA || r.type == EmrExtTextOutW;
        const std::optional<EmfTextView> text = EmfTextView::Of(r);
        const bool placeable = single && text && !(mapping.TextAlign() & kTaUpdateCp);
        // Turned half a turn, a text is drawn with its font turned half a turn
        // and the output's transform turned back about the text's reference
        // point: GDI draws the same glyphs either way, and readers that take
        // a text's angle from its font alone (LibreOffice does for half a
        // turn) show it turned too.
        const std::span<const uint8_t> fontRecord = selection.Font().record;
        const bool halfTurn = settings.Rotation == 180 && placeable && !fontRecord.empty();
        if (yDown && !halfTurn) {
          if (compatible) SetU32(b, F::kTextGraphicsMode, kGmAdvanced);
          break;
        }
        if (!yDown && (!compatible || !placeable)) break;
        Affine shown = toDevice;
        std::vector<EmfWriter::Record> drawn;
        EmfBody align;
        if (!yDown) {
          // Players differ on where a turned cell hangs from its point too:
          // the text is placed by the start of its baseline instead.
          const LogFont& font = selection.Font().font;
          const TextExtent extent = context_.measurer.MeasureWide(font, text->text);
          const TextOffset start = UprightOffset(
              own, TextBaselineStart(text->advanceSum.value_or(extent.cx), extent.cy, extent.ascent,
                                     static_cast<uint16_t>(mapping.TextAlign()), font.escapement));
          const double x = static_cast<double>(text->reference.x) + start.first;
          const double baseline = static_cast<double>(text->reference.y) + start.second;
          SetU32(b, EmfTextView::kReference, static_cast<uint32_t>(HeldInt32(x)));
          SetU32(b, EmfTextView::kReference + 4, static_cast<uint32_t>(HeldInt32(baseline)));
          SetU32(b, EmfTextView::kRectangle + 4, static_cast<uint32_t>(HeldInt32(2 * baseline - text->rect[3])));
          SetU32(b, EmfTextView::kRectangle + 12, static_cast<uint32_t>(HeldInt32(2 * baseline - text->rect[1])));
          shown = Affine::Then(Affine{1, 0, 0, -1, 0, 2 * static_cast<double>(HeldInt32(baseline))}, toDevice);
          align.U32((mapping.TextAlign() & ~uint32_t{kTaPlacement}) | kTaBaseline);
          drawn.push_back({EmrSetTextAlign, align.Span()});
        }
        SetU32(b, F::kTextGraphicsMode, kGmAdvanced);
        EmfBody turnedFont;
        if (halfTurn) {
          const int32_t x = ReadI32(b, EmfTextView::kReference), y = ReadI32(b, EmfTextView::kReference + 4);
          const int32_t left = ReadI32(b, EmfTextView::kRectangle), top = ReadI32(b, EmfTextView::kRectangle + 4);
          const int32_t right = ReadI32(b, EmfTextView::kRectangle + 8);
          const int32_t bottom = ReadI32(b, EmfTextView::kRectangle + 12);
          SetU32(b, EmfTextView::kRectangle, static_cast<uint32_t>(HeldInt32(2.0 * x - right)));
          SetU32(b, EmfTextView::kRectangle + 4, static_cast<uint32_t>(HeldInt32(2.0 * y - bottom)));
          SetU32(b, EmfTextView::kRectangle + 8, static_cast<uint32_t>(HeldInt32(2.0 * x - left)));
          SetU32(b, EmfTextView::kRectangle + 12, static_cast<uint32_t>(HeldInt32(2.0 * y - top)));
          shown = Affine::Then(Affine{-1, 0, 0, -1, 2.0 * x, 2.0 * y}, shown);
          turnedFont.Bytes(fontRecord);
          std::vector<uint8_t>& f = turnedFont.Data();
          const int32_t escapement = ReadI32(f, F::kFontEscapement);
          const int32_t orientation = compatibleTextOnly ? escapement : ReadI32(f, F::kFontOrientation);
          SetU32(f, F::kIndex, turnedFontSlot);
          SetU32(f, F::kFontEscapement, static_cast<uint32_t>(HalfTurned(escapement)));
          SetU32(f, F::kFontOrientation, static_cast<uint32_t>(HalfTurned(orientation)));
          drawn.push_back({EmrExtCreateFontIndirectW, turnedFont.Span()});
          drawn.push_back({EmrSelectObject, selectTurnedFont.Span()});
        }
        if (!UsableTransform(shown)) continue;  // placed beyond any pixel a player reaches
        fontTurned = fontTurned || halfTurn;
        drawn.push_back({r.type, body.Span()});
        writer.AppendInOwnPixels(shown, drawn);
        // The saved state brought back the picture's own font.
        if (halfTurn) writer.Append(EmrDeleteObject, selectTurnedFont.Span());
        continue;
      }
      case EmrSetTextColor:
      case EmrSetBkColor:
        if (r.Has(4)) SetU32(b, 0, rules(ColorUse::Other, *r.U32(0)).color);
        break;
      case EmrSetPixelV:
        if (r.Has(12)) SetU32(b, 8, rules(ColorUse::Other, *r.U32(8)).color);
        break;
      case EmrSetBrushOrgEx:
        if (r.Has(8)) {
          const Affine::Point p = out.Apply(*r.I32(0), *r.I32(4));
          SetU32(b, 0, static_cast<uint32_t>(HeldInt32(p.x)));
          SetU32(b, 4, static_cast<uint32_t>(HeldInt32(p.y)));
        }
        break;
      case EmrExtSelectClipRgn:
        if (const std::optional<EmfRegionView> region = EmfRegionView::Of(r)) {
          // Regions are in device pixels: they move and turn with the output.
          std::vector<Box64> rects;
          for (size_t k = 0; k < region->rectCount; ++k) {
            const size_t at = region->rectsAt + 16 * k;
            Box64 box;
            for (const auto& [x, y] : {std::pair{*r.I32(at), *r.I32(at + 4)}, std::pair{*r.I32(at + 8), *r.I32(at + 12)}}) {
              const Affine::Point p = out.Apply(x, y);
              box.Add(Point64{HeldInt32(p.x), HeldInt32(p.y)});
            }
            if (box.minX < box.maxX && box.minY < box.maxY) rects.push_back(box);
          }
          EmfBody data;
          size_t count = 0;
          Box64 all;
          ForEachBand(rects, [&](int64_t top, int64_t bottom, const std::vector<Span>& spans) {
            for (const auto& [left, right] : spans) {
              data.I32(HeldInt32(left)).I32(HeldInt32(top)).I32(HeldInt32(right)).I32(HeldInt32(bottom));
              all.Add(Point64{left, top});
              all.Add(Point64{right, bottom});
              ++count;
            }
          });
          if (all.Empty()) all = Box64{0, 0, 0, 0};
          EmfBody rebuilt;
          rebuilt.U32(static_cast<uint32_t>(32 + 16 * count)).U32(region->clipMode);
          rebuilt.U32(32).U32(1).U32(static_cast<uint32_t>(count)).U32(static_cast<uint32_t>(16 * count));
          rebuilt.I32(HeldInt32(all.minX)).I32(HeldInt32(all.minY)).I32(HeldInt32(all.maxX)).I32(HeldInt32(all.maxY));
          rebuilt.Bytes(data.Span());
          writer.Append(EmrExtSelectClipRgn, rebuilt.Span());
          continue;
        }
        break;
      case EmrRectangle:
        if (fromCad && r.Has(16) && (*r.I32(0) == 0 || *r.I32(4) == 0)) {
          if (*r.I32(0) != 0 || *r.I32(4) != 0) break;  // at the left or top edge only: drawn as it is
          if (settings.RemoveBackground) continue;
          // Repainted over the whole output in the background's colour, in
          // the output's own pixels.
          const uint32_t color = backgroundColor & 0x00FFFFFF;
          writer.Append(EmrSaveDC, {});
          writer.Append(EmrModifyWorldTransform, EmfBody().F32(1).F32(0).F32(0).F32(1).F32(0).F32(0).U32(1).Span());
          writer.Append(EmrSetMapMode, EmfBody().U32(1).Span());
          writer.Append(EmrCreatePen, EmfBody().U32(extraObjects).U32(0).I32(0).I32(0).U32(color).Span());
          writer.Append(EmrCreateBrushIndirect, EmfBody().U32(extraObjects + 1).U32(kBsSolid).U32(color).U32(0).Span());
          writer.Append(EmrSelectObject, EmfBody().U32(extraObjects).Span());
          writer.Append(EmrSelectObject, EmfBody().U32(extraObjects + 1).Span());
          writer.Append(EmrRectangle, EmfBody().I32(0).I32(0).I32(widthPx).I32(heightPx).Span());
          writer.Append(EmrRestoreDC, EmfBody().I32(-1).Span());
          writer.Append(EmrDeleteObject, EmfBody().U32(extraObjects).Span());
          writer.Append(EmrDeleteObject, EmfBody().U32(extraObjects + 1).Span());
          continue;
        }
        break;
      case EmrPolygon:
      case EmrPolygon16: {
        // A filled area may be followed by its own outline, unwanted when
        // lines are thickened, recoloured or blackened.
        const std::vector<EmfPoint> points = PointsOf(r);
        if (polygonPending && points.size() == savedPolygon.size() + 1 &&
            std::equal(savedPolygon.begin(), savedPolygon.end(), points.begin(), Same) &&
            Same(points.back(), points.front())) {
          savedPolygon.clear();
          continue;
        }
        savedPolygon.clear();
        if (removeLines) {
          savedPolygon = points;
          polygonPending = true;
        }
        break;
      }
      case EmrPolyline:
      case EmrPolyline16: {
        const std::vector<EmfPoint> points = PointsOf(r);
        const bool outline = polygonPending && !savedPolygon.empty() && !points.empty() &&
                             Same(points.back(), points.front()) &&
                             (Same(points[0], savedPolygon[0]) || (points.size() >= 2 && Same(points[1], savedPolygon[0])));
        polygonPending = false;
        if (outline) continue;
        break;
      }
      default:
        break;
    }
    writer.Append(r.type, body.Span());
  }
  Played played;
  played.bytes = writer.Finish(EmfRect{0, 0, himetric.x, himetric.y}, EmfRect{0, 0, widthPx - 1, heightPx - 1},
                               static_cast<uint16_t>(std::min<uint32_t>(fontTurned ? turnedFontSlot + 1 : extraObjects + 2, 0xFFFF)));
  played.result = PlayResult{region, scale, 1};
  return played;
}

}  // namespace wmf
