#include "record_views.h"

#include <algorithm>

namespace wmf {

bool ReadExtTextLayout(RecordView record, ExtTextLayout& layout) {
  if (!Has(record, 4)) return false;
  layout.count = record.params[2];
  layout.options = record.params[3];
  layout.hasRect = (layout.options & (kEtoOpaque | kEtoClipped)) != 0;
  layout.stringWord = layout.hasRect ? 8 : 4;
  const size_t stringWords = (layout.count + 1) / 2;
  if (record.params.size() < layout.stringWord + stringWords) return false;
  layout.dxWord = layout.stringWord + stringWords;
  layout.hasDx = record.params.size() >= layout.dxWord + layout.count && layout.count > 0;
  return true;
}

std::string_view ExtTextString(RecordView record, const ExtTextLayout& layout, std::string& buffer) {
  buffer.resize(layout.count);
  for (size_t i = 0; i < layout.count; ++i) buffer[i] = static_cast<char>(ByteAt(record, 2 * layout.stringWord + i));
  return buffer;
}

std::optional<BlitView> BlitView::Of(RecordView r) {
  const size_t n = r.params.size();
  // A blit without a bitmap is exactly as long as its function number says.
  const bool noBitmap = n == static_cast<size_t>(r.function >> 8);
  BlitView view;
  size_t needed = 0;
  switch (r.function) {
    case MetaPatBlt: view.box = 2; needed = 6; break;
    case MetaBitBlt:
    case MetaDibBitBlt:
      view.box = noBitmap ? 5 : 4;
      view.bitmap = noBitmap ? 0 : 8;
      view.sourceOrigin = 2;
      needed = noBitmap ? 9 : 8;
      break;
    case MetaStretchBlt:
    case MetaDibStretchBlt:
      view.box = noBitmap ? 7 : 6;
      view.bitmap = noBitmap ? 0 : 10;
      view.source = 2;
      view.sourceOrigin = 4;
      needed = noBitmap ? 11 : 10;
      break;
    case MetaStretchDib: view.box = 7; view.bitmap = 11; view.source = 3; view.sourceOrigin = 5; needed = 11; break;
    case MetaSetDibToDev: view.box = 5; view.bitmap = 9; view.sourceOrigin = DibToDevFields::kYSource; needed = 9; break;
    default: return std::nullopt;
  }
  if (n < needed) return std::nullopt;
  if (view.bitmap >= n) view.bitmap = 0;
  view.height = Signed(r, view.box);
  view.width = Signed(r, view.box + 1);
  view.y = Signed(r, view.box + 2);
  view.x = Signed(r, view.box + 3);
  return view;
}

std::optional<TextOutView> TextOutView::Of(RecordView r) {
  if (r.function != MetaTextOut || !Has(r, 1)) return std::nullopt;
  TextOutView view;
  view.count = r.params[0];
  view.yParam = 1 + (view.count + 1) / 2;
  if (!Has(r, view.yParam + 2)) return std::nullopt;
  view.y = Signed(r, view.yParam);
  view.x = Signed(r, view.yParam + 1);
  return view;
}

std::string_view TextOutView::String(RecordView record, std::string& buffer) const {
  buffer.resize(count);
  for (size_t i = 0; i < count; ++i) buffer[i] = static_cast<char>(ByteAt(record, 2 + i));
  return buffer;
}

std::optional<GeometryView> GeometryView::Of(RecordView r) {
  GeometryView g;
  g.shape_ = ShapeOf(r.function);
  const size_t n = r.params.size();
  const auto box = [&g](size_t bottom) {
    g.Add(PointAt{bottom + 3, bottom + 2});  // Left, Top
    g.Add(PointAt{bottom + 1, bottom});      // Right, Bottom
  };
  const auto run = [&g, n](size_t first, size_t count) {
    const size_t available = n > first ? (n - first) / 2 : 0;
    g.runStart_ = first;
    g.runCount_ = std::min(count, available);
    g.complete_ = count <= available;
  };
  switch (g.shape_) {
    case Shape::Point:
    case Shape::Pair:
    case Shape::Offset:
      if (n < 2) return std::nullopt;
      g.Add(PointAt{1, 0});
      break;
    case Shape::ColorPoint:
      if (n < 4) return std::nullopt;
      g.Add(PointAt{3, 2});
      break;
    case Shape::ExtFloodPoint:
      if (n < 5) return std::nullopt;
      g.Add(PointAt{4, 3});
      break;
    case Shape::Points:
      if (n < 1) return std::nullopt;
      run(1, r.params[0]);
      break;
    case Shape::PolyPolygon: {
      if (n < 1 || n < 1 + static_cast<size_t>(r.params[0])) return std::nullopt;
      g.polygons_ = r.params[0];
      size_t points = 0;
      for (size_t i = 0; i < g.polygons_; ++i) points += r.params[1 + i];
      run(1 + g.polygons_, points);
      break;
    }
    case Shape::Box:
      if (n < 4) return std::nullopt;
      box(0);
      break;
    case Shape::RoundBox:
      if (n < 6) return std::nullopt;
      g.size_ = PointAt{1, 0};
      box(2);
      break;
    case Shape::ArcBox:
      if (n < 8) return std::nullopt;
      g.Add(PointAt{1, 0});  // the end
      g.Add(PointAt{3, 2});  // the start
      box(4);
      break;
    case Shape::RegionFrame:
      if (n < 4) return std::nullopt;
      g.size_ = PointAt{3, 2};
      break;
    case Shape::Scale:
      if (n < 4) return std::nullopt;
      break;
    case Shape::TextOut: {
      const std::optional<TextOutView> text = TextOutView::Of(r);
      if (!text) return std::nullopt;
      g.Add(text->Place());
      break;
    }
    case Shape::ExtTextOut: {
      ExtTextLayout layout;
      if (!ReadExtTextLayout(r, layout)) return std::nullopt;
      g.Add(ExtTextLayout::kPlace);
      if (layout.hasRect) {
        g.Add(ExtTextLayout::kRectMin);
        g.Add(ExtTextLayout::kRectMax);
      }
      g.extText_ = layout;
      break;
    }
    case Shape::Blit:
      g.blit_ = BlitView::Of(r);
      if (!g.blit_) return std::nullopt;
      g.Add(g.blit_->Corner());
      break;
    case Shape::None:
    case Shape::Region:
      return std::nullopt;
  }
  return g;
}

}  // namespace wmf
