#include "emf_blits.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "dib_rotation.h"
#include "emf_record_kinds.h"

namespace wmf {
namespace {

// EMR_STRETCHDIBITS: Bounds, xDest, yDest, xSrc, ySrc, cxSrc, cySrc,
// offBmiSrc, cbBmiSrc, offBitsSrc, cbBitsSrc, UsageSrc, BitBltRasterOperation,
// cxDest, cyDest (offsets within the body; the bitmap's offsets count from
// the record's start).
struct StretchDibFields {
  static constexpr size_t kDest = 16, kSource = 24, kSourceSize = 32, kBmi = 40, kUsage = 56, kRop = 60,
                          kDestSize = 64, kEnd = 72;
};
// EMR_BITBLT: Bounds, xDest, yDest, cxDest, cyDest, BitBltRasterOperation,
// xSrc, ySrc, XformSrc, BkColorSrc, UsageSrc, offBmiSrc, cbBmiSrc,
// offBitsSrc, cbBitsSrc; EMR_STRETCHBLT, EMR_ALPHABLEND and
// EMR_TRANSPARENTBLT go on with cxSrc, cySrc (their operation field is the
// blend function or the transparent colour).
struct BlitFields {
  static constexpr size_t kDest = 16, kOperation = 32, kSource = 36, kXform = 44, kBkColor = 68, kUsage = 72,
                          kBmi = 76, kSourceSize = 92, kEnd = 92, kStretchEnd = 100;
};
constexpr size_t kRecordHeaderBytes = 8;
// Blits are written in sixteenths of the output's pixels.
const Affine kSixteenths{1.0 / 16, 0, 0, 1.0 / 16, 0, 0};

// The bitmap a record carries at its (offBmi, cbBmi, offBits, cbBits)
// fields, header and pixels joined; nothing when it is not wholly within the
// record.
std::optional<std::vector<uint8_t>> BitmapAt(const EmfRecordView& r, size_t fields) {
  const uint64_t offBmi = *r.U32(fields), cbBmi = *r.U32(fields + 4);
  const uint64_t offBits = *r.U32(fields + 8), cbBits = *r.U32(fields + 12);
  const uint64_t size = r.SizeBytes();
  if (cbBmi == 0 || offBmi < kRecordHeaderBytes || offBmi > size || cbBmi > size - offBmi ||
      offBits < kRecordHeaderBytes || offBits > size || cbBits > size - offBits)
    return std::nullopt;
  const auto at = [&](uint64_t off) { return r.body.begin() + static_cast<ptrdiff_t>(off - kRecordHeaderBytes); };
  std::vector<uint8_t> dib(at(offBmi), at(offBmi + cbBmi));
  dib.insert(dib.end(), at(offBits), at(offBits + cbBits));
  return dib;
}

// Whether the bitmap's rows are stored top row first.
bool StoredTopDown(const std::vector<uint8_t>& dib) {
  if (dib.size() < 12) return false;
  int32_t height = 0;
  if (dib[0] == 12) return false;  // BITMAPCOREHEADER: always bottom-up
  std::memcpy(&height, dib.data() + 8, 4);
  return height < 0;
}

int64_t StoredHeight(const std::vector<uint8_t>& dib) {
  if (dib.size() < 12) return 0;
  if (dib[0] == 12) return dib[6] | dib[7] << 8;
  int32_t height = 0;
  std::memcpy(&height, dib.data() + 8, 4);
  return std::abs(static_cast<int64_t>(height));
}

struct Placement {
  DibLayout layout;
  int32_t x = 0, y = 0, width = 0, height = 0;  // in sixteenths of an output pixel
};

// Where and how the destination rectangle shows on the output; nothing when
// it shows slanted or collapsed.
std::optional<Placement> PlacementOf(const Affine& toDevice, double x, double y, double cx, double cy) {
  const Affine::Point d0 = toDevice.Apply(x, y), d1 = toDevice.Apply(x + cx, y), d2 = toDevice.Apply(x, y + cy);
  const double ax = d1.x - d0.x, ay = d1.y - d0.y, bx = d2.x - d0.x, by = d2.y - d0.y;
  const double along = std::max(std::hypot(ax, ay), std::hypot(bx, by));
  if (!(along > 0)) return std::nullopt;
  const double slant = 1e-6 * along;
  Placement p;
  if (std::abs(ay) <= slant && std::abs(bx) <= slant && std::abs(ax) > slant && std::abs(by) > slant) {
    p.layout = DibLayout{false, ax < 0, by < 0};
  } else if (std::abs(ax) <= slant && std::abs(by) <= slant && std::abs(ay) > slant && std::abs(bx) > slant) {
    p.layout = DibLayout{true, bx < 0, ay < 0};
  } else {
    return std::nullopt;
  }
  const double left = std::min({d0.x, d1.x, d2.x, d1.x + bx}), right = std::max({d0.x, d1.x, d2.x, d1.x + bx});
  const double top = std::min({d0.y, d1.y, d2.y, d1.y + by}), bottom = std::max({d0.y, d1.y, d2.y, d1.y + by});
  constexpr double kLimit = 0x7FFFFFFF / 16.0;
  if (left < -kLimit || right > kLimit || top < -kLimit || bottom > kLimit) return std::nullopt;
  p.x = static_cast<int32_t>(std::lround(left * 16));
  p.y = static_cast<int32_t>(std::lround(top * 16));
  p.width = std::max<int32_t>(1, static_cast<int32_t>(std::lround(right * 16)) - p.x);
  p.height = std::max<int32_t>(1, static_cast<int32_t>(std::lround(bottom * 16)) - p.y);
  return p;
}

// The record's bounds: the output's pixels it draws in, inclusive.
void PutBounds(EmfBody& body, const Placement& p) {
  const auto pixel = [](int64_t sixteenths) { return static_cast<int32_t>(sixteenths >> 4); };
  body.I32(pixel(p.x)).I32(pixel(p.y)).I32(pixel(int64_t{p.x} + p.width - 1)).I32(pixel(int64_t{p.y} + p.height - 1));
}

}  // namespace

bool WriteBlitAsShown(EmfWriter& writer, const EmfRecordView& r, const Affine& toDevice) {
  if (r.type == EmrStretchDIBits) {
    using F = StretchDibFields;
    if (!r.Has(F::kEnd)) return false;
    const std::optional<std::vector<uint8_t>> dib = BitmapAt(r, F::kBmi);
    if (!dib) return false;
    const uint32_t usage = *r.U32(F::kUsage);
    const int64_t cxSrc = *r.I32(F::kSourceSize), cySrc = *r.I32(F::kSourceSize + 4);
    // ySrc counts stored rows: from the bottom of a bottom-up bitmap.
    const int64_t ySrc = *r.I32(F::kSource + 4);
    const int64_t top = StoredTopDown(*dib) ? ySrc : StoredHeight(*dib) - ySrc - cySrc;
    const std::optional<Placement> p =
        PlacementOf(toDevice, *r.I32(F::kDest), *r.I32(F::kDest + 4), *r.I32(F::kDestSize), *r.I32(F::kDestSize + 4));
    if (!p) return false;
    const std::optional<ArrangedDib> shown =
        ArrangeDib(*dib, static_cast<uint16_t>(usage), DibPart{*r.I32(F::kSource), top, cxSrc, cySrc}, p->layout);
    if (!shown) return false;
    EmfBody body;
    PutBounds(body, *p);
    const uint32_t bmiAt = kRecordHeaderBytes + F::kEnd;
    const uint32_t bmiBytes = static_cast<uint32_t>((shown->infoBytes + 3) / 4 * 4);
    const uint32_t bitsBytes = static_cast<uint32_t>(shown->bytes.size() - shown->infoBytes);
    body.I32(p->x).I32(p->y).I32(0).I32(0).I32(static_cast<int32_t>(shown->width)).I32(static_cast<int32_t>(shown->height));
    body.U32(bmiAt).U32(bmiBytes).U32(bmiAt + bmiBytes).U32(bitsBytes).U32(usage).U32(*r.U32(F::kRop));
    body.I32(p->width).I32(p->height);
    body.Bytes(std::span(shown->bytes).first(shown->infoBytes)).Pad().Bytes(std::span(shown->bytes).subspan(shown->infoBytes)).Pad();
    writer.AppendInOwnPixels(kSixteenths, {{EmrStretchDIBits, body.Span()}});
    return true;
  }

  if (r.type != EmrBitBlt && r.type != EmrStretchBlt && r.type != EmrAlphaBlend && r.type != EmrTransparentBlt)
    return false;
  using F = BlitFields;
  const bool stretched = r.type != EmrBitBlt;
  if (!r.Has(stretched ? F::kStretchEnd : F::kEnd)) return false;
  const std::optional<std::vector<uint8_t>> dib = BitmapAt(r, F::kBmi);
  if (!dib) return false;
  // The source is the bitmap's own pixels, moved at most.
  const float m11 = *r.F32(F::kXform), m12 = *r.F32(F::kXform + 4), m21 = *r.F32(F::kXform + 8), m22 = *r.F32(F::kXform + 12);
  if (m11 != 1 || m12 != 0 || m21 != 0 || m22 != 1) return false;
  const double cxDest = *r.I32(F::kDest + 8), cyDest = *r.I32(F::kDest + 12);
  const int64_t cxSrc = stretched ? *r.I32(F::kSourceSize) : static_cast<int64_t>(cxDest);
  const int64_t cySrc = stretched ? *r.I32(F::kSourceSize + 4) : static_cast<int64_t>(cyDest);
  const int64_t xSrc = std::llround(*r.I32(F::kSource) + *r.F32(F::kXform + 16));
  const int64_t ySrc = std::llround(*r.I32(F::kSource + 4) + *r.F32(F::kXform + 20));
  const std::optional<Placement> p = PlacementOf(toDevice, *r.I32(F::kDest), *r.I32(F::kDest + 4), cxDest, cyDest);
  if (!p) return false;
  const uint32_t usage = *r.U32(F::kUsage);
  const std::optional<ArrangedDib> shown =
      ArrangeDib(*dib, static_cast<uint16_t>(usage), DibPart{xSrc, ySrc, cxSrc, cySrc}, p->layout);
  if (!shown) return false;
  EmfBody body;
  PutBounds(body, *p);
  const uint32_t bmiAt = kRecordHeaderBytes + F::kStretchEnd;
  const uint32_t bmiBytes = static_cast<uint32_t>((shown->infoBytes + 3) / 4 * 4);
  const uint32_t bitsBytes = static_cast<uint32_t>(shown->bytes.size() - shown->infoBytes);
  body.I32(p->x).I32(p->y).I32(p->width).I32(p->height).U32(*r.U32(F::kOperation)).I32(0).I32(0);
  body.Bytes(TransformBody(Affine{}).Span()).U32(*r.U32(F::kBkColor)).U32(usage);
  body.U32(bmiAt).U32(bmiBytes).U32(bmiAt + bmiBytes).U32(bitsBytes);
  body.I32(static_cast<int32_t>(shown->width)).I32(static_cast<int32_t>(shown->height));
  body.Bytes(std::span(shown->bytes).first(shown->infoBytes)).Pad().Bytes(std::span(shown->bytes).subspan(shown->infoBytes)).Pad();
  writer.AppendInOwnPixels(kSixteenths, {{stretched ? r.type : static_cast<uint32_t>(EmrStretchBlt), body.Span()}});
  return true;
}

}  // namespace wmf
