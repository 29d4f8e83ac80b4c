#include "metafile.h"

#include <cmath>

#include "extent_analysis.h"
#include "record_rewriter.h"
#include "sizing.h"

namespace wmf {
namespace {

// Pictures that suggest no usable size are taken at this scale, the one
// files without a size are read at.
constexpr double kFallbackUnitsPerInch = 1440.0;

int32_t HimetricAt(int32_t units, double unitsPerInch) {
  return static_cast<int32_t>(std::lround(units * 2540.0 / unitsPerInch));
}

}  // namespace

CMetafile::CMetafile(const MetafilePict& pict, WmfPicture picture, double drawingHeight_, int fromIntelliCad_,
                     EngineContext& context, bool fromCadProgram)
    : drawingHeight(drawingHeight_),
      header(pict),
      fromIntelliCad(fromIntelliCad_),
      picture_(std::move(picture)),
      context_(context),
      frame_(FindPictureFrame(picture_, pict, fromCadProgram)) {
  loaded = 1;
  AnalyseExtents();

  if (header.mm == kMmText && header.xExt > 0 && header.yExt > 0) {
    // An MM_TEXT picture is taken at 120 pixels per inch.
    windowExt = Size{header.xExt, header.yExt};
    header.mm = kMmAnisotropic;
    header.xExt = static_cast<int32_t>(static_cast<int64_t>(windowExt.x) * 2540 / 120);
    header.yExt = static_cast<int32_t>(static_cast<int64_t>(windowExt.y) * 2540 / 120);
  } else if (header.mm == kMmText) {
    header.mm = kMmAnisotropic;
  }
  fullRect = Rect{0, 0, windowExt.x, windowExt.y};
  unitsPerInch = windowExt.x * 2540.0 / header.xExt;
  if (!std::isfinite(unitsPerInch) || unitsPerInch <= 0) {
    // No suggested size (xExt 0), only an aspect ratio (negative), or no window.
    unitsPerInch = kFallbackUnitsPerInch;
    header.xExt = HimetricAt(windowExt.x, unitsPerInch);
    header.yExt = HimetricAt(windowExt.y, unitsPerInch);
  }
}

void CMetafile::AnalyseExtents() {
  if (fromIntelliCad) palette = 8;
  else palette = context_.displayBitsPerPixel > 8 ? 4 : 6;

  ExtentAnalysis analysis(pass_, palette, context_.measurer, frame_);
  analysis.Begin();
  for (RecordView record : picture_.records) analysis.AnalyseRecord(record);

  extents = pass_.bounds;
  if (frame_.frameKnown) {
    // The window the picture draws in, in picture space: (0, 0) to its size.
    windowExt = Size{static_cast<int32_t>(frame_.size.x), static_cast<int32_t>(frame_.size.y)};
  } else if (extents.minX <= extents.maxX) {
    // No window extent: the window reaches from the origin to what is drawn.
    windowExt = Size{std::max(extents.maxX, 1), std::max(extents.maxY, 1)};
    frame_.size = Point64{windowExt.x, windowExt.y};
  }
}

PlayResult CMetafile::Play(WmfRecorder& surface, const WmfSettings& settings) {
  if (!loaded) {
    context_.messages.ErrorBox(L"Metafile not properly loaded.");
    return PlayResult{};
  }
  const Size region =
      WithFarEdgeRoom(settings, extents, pass_.bounds, ChooseRegion(settings, extents, fullRect, pass_.bounds));
  const double scale = ChooseScale(settings, region, unitsPerInch, fullRect, drawingHeight);
  // A region or scale beyond the output's 16-bit fields shrinks the output's
  // coordinates by a whole factor.
  const int64_t divisor = OutputDivisor(region, scale);
  const Size output = ShrinkSize(region, divisor);
  pass_.unitsPerInchOut = scale / static_cast<double>(divisor);

  // The output is about as large as the picture: room for all of it at once.
  surface.Reserve(picture_.records.SourceBytes() + picture_.records.SourceBytes() / 8);
  surface.SetMapMode(kMmAnisotropic);
  surface.SetWindowOrg(0, 0);
  surface.SetWindowExt(output.x, output.y);

  pass_.savedPolygon.reset();
  pass_.polygonPending = false;
  pass_.outputSize = output;
  pass_.BeginBlocks();

  RecordRewriter rewriter(pass_, settings, settings.PaletteInForce(palette), surface, frame_, divisor);
  for (RecordView record : picture_.records) rewriter.RewriteRecord(record);
  return PlayResult{output, pass_.unitsPerInchOut, 1};
}

}  // namespace wmf
