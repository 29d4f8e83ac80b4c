#include "emf_mapping.h"

#include <cmath>
#include <limits>

#include "emf_record_kinds.h"

namespace wmf {
namespace {

constexpr uint32_t kMmText = 1, kMmLoMetric = 2, kMmHiMetric = 3, kMmLoEnglish = 4, kMmHiEnglish = 5,
                   kMmTwips = 6, kMmIsotropic = 7, kMmAnisotropic = 8;
constexpr uint32_t kMwtIdentity = 1, kMwtLeftMultiply = 2, kMwtRightMultiply = 3, kMwtSet = 4;

Affine TransformAt(const EmfRecordView& r, size_t at) {
  return Affine{*r.F32(at), *r.F32(at + 4), *r.F32(at + 8), *r.F32(at + 12), *r.F32(at + 16), *r.F32(at + 20)};
}

}  // namespace

Affine Affine::Then(const Affine& a, const Affine& b) {
  return Affine{a.m11 * b.m11 + a.m12 * b.m21, a.m11 * b.m12 + a.m12 * b.m22,
                a.m21 * b.m11 + a.m22 * b.m21, a.m21 * b.m12 + a.m22 * b.m22,
                a.dx * b.m11 + a.dy * b.m21 + b.dx,  a.dx * b.m12 + a.dy * b.m22 + b.dy};
}

std::optional<Affine> Affine::Inverse() const {
  const double det = m11 * m22 - m12 * m21;
  if (!std::isfinite(det) || std::abs(det) < 1e-300) return std::nullopt;
  Affine inv{m22 / det, -m12 / det, -m21 / det, m11 / det, 0, 0};
  inv.dx = -(dx * inv.m11 + dy * inv.m21);
  inv.dy = -(dx * inv.m12 + dy * inv.m22);
  return inv;
}

bool UsableTransform(const Affine& t) {
  for (const double v : {t.m11, t.m12, t.m21, t.m22, t.dx, t.dy})
    if (!(std::abs(v) <= std::numeric_limits<float>::max())) return false;
  return t.Inverse().has_value();
}

double Affine::Scale() const { return std::sqrt(std::abs(m11 * m22 - m12 * m21)); }

EmfMappingModel::EmfMappingModel(const EmfHeader& header) : himetricPerPixel_(header.HimetricPerPixel()) {}

Affine EmfMappingModel::Page() const {
  const State& s = state_;
  const double kx = s.viewportExtX / s.windowExtX, ky = s.viewportExtY / s.windowExtY;
  return Affine{kx, 0, 0, ky, s.viewportOrgX - s.windowOrgX * kx, s.viewportOrgY - s.windowOrgY * ky};
}

bool EmfMappingModel::Follow(const EmfRecordView& r) {
  State& s = state_;
  switch (r.type) {
    case EmrSetMapMode:
      if (const auto mode = r.U32(0)) SetMapMode(*mode);
      return true;
    case EmrSetWindowOrgEx:
      if (r.Has(8)) s.windowOrgX = *r.I32(0), s.windowOrgY = *r.I32(4);
      return true;
    case EmrSetViewportOrgEx:
      if (r.Has(8)) s.viewportOrgX = *r.I32(0), s.viewportOrgY = *r.I32(4);
      return true;
    case EmrSetWindowExtEx:
      if (r.Has(8) && ScalesExtents() && *r.I32(0) != 0 && *r.I32(4) != 0) {
        s.windowExtX = *r.I32(0), s.windowExtY = *r.I32(4);
        KeepIsotropic();
      }
      return true;
    case EmrSetViewportExtEx:
      if (r.Has(8) && ScalesExtents() && *r.I32(0) != 0 && *r.I32(4) != 0) {
        s.viewportExtX = *r.I32(0), s.viewportExtY = *r.I32(4);
        KeepIsotropic();
      }
      return true;
    case EmrScaleWindowExtEx:
    case EmrScaleViewportExtEx:
      if (r.Has(16) && ScalesExtents() && *r.I32(4) != 0 && *r.I32(12) != 0) {
        const bool window = r.type == EmrScaleWindowExtEx;
        double& x = window ? s.windowExtX : s.viewportExtX;
        double& y = window ? s.windowExtY : s.viewportExtY;
        const double nx = std::trunc(x * *r.I32(0) / *r.I32(4)), ny = std::trunc(y * *r.I32(8) / *r.I32(12));
        if (nx != 0 && ny != 0) x = nx, y = ny;
        KeepIsotropic();
      }
      return true;
    // A transform that cannot be set (not finite, collapsing the plane)
    // leaves the one in force, as GDI refuses it.
    case EmrSetWorldTransform:
      if (r.Has(24) && UsableTransform(TransformAt(r, 0))) s.world = TransformAt(r, 0);
      return true;
    case EmrModifyWorldTransform:
      if (r.Has(28)) {
        const Affine t = TransformAt(r, 0);
        std::optional<Affine> world;
        switch (*r.U32(24)) {
          case kMwtIdentity: world = Affine{}; break;
          case kMwtLeftMultiply: world = Affine::Then(t, s.world); break;
          case kMwtRightMultiply: world = Affine::Then(s.world, t); break;
          case kMwtSet: world = t; break;
          default: break;
        }
        if (world && UsableTransform(*world)) s.world = *world;
      }
      return true;
    case EmrSetTextAlign:
      if (const auto align = r.U32(0)) s.textAlign = *align;
      return false;
    case EmrSaveDC:
      saved_.Save(s);
      return true;
    case EmrRestoreDC:
      saved_.Restore(r.I32(0).value_or(-1), s);
      return true;
    default:
      return false;
  }
}

bool EmfMappingModel::ScalesExtents() const {
  return state_.mapMode == kMmIsotropic || state_.mapMode == kMmAnisotropic;
}

void EmfMappingModel::SetMapMode(uint32_t mode) {
  State& s = state_;
  // Logical units per millimetre of the fixed modes; their y axis points up.
  double perMillimetre = 0;
  switch (mode) {
    case kMmText:
      s.windowExtX = s.windowExtY = s.viewportExtX = s.viewportExtY = 1;
      break;
    case kMmLoMetric: perMillimetre = 10; break;
    case kMmHiMetric: perMillimetre = 100; break;
    case kMmLoEnglish: perMillimetre = 100 / 25.4; break;
    case kMmHiEnglish: perMillimetre = 1000 / 25.4; break;
    case kMmTwips: perMillimetre = 1440 / 25.4; break;
    case kMmIsotropic:
    case kMmAnisotropic:
      break;  // the extents in force stay
    default:
      return;
  }
  s.mapMode = mode;
  if (perMillimetre > 0) {
    // One pixel of the reference device, in logical units.
    s.windowExtX = himetricPerPixel_.x / 100 * perMillimetre;
    s.windowExtY = himetricPerPixel_.y / 100 * perMillimetre;
    s.viewportExtX = 1;
    s.viewportExtY = -1;
  }
  KeepIsotropic();
}

// MM_ISOTROPIC keeps one scale on both axes, as measured on the device: the
// axis with the larger scale is shrunk to the other's.
void EmfMappingModel::KeepIsotropic() {
  State& s = state_;
  if (s.mapMode != kMmIsotropic) return;
  const double mmPerPixelX = himetricPerPixel_.x / 100, mmPerPixelY = himetricPerPixel_.y / 100;
  const double sx = std::abs(s.viewportExtX / s.windowExtX) * mmPerPixelX;
  const double sy = std::abs(s.viewportExtY / s.windowExtY) * mmPerPixelY;
  if (sx > sy) s.viewportExtX = std::copysign(std::abs(s.windowExtX) * sy / mmPerPixelX, s.viewportExtX);
  else if (sy > sx) s.viewportExtY = std::copysign(std::abs(s.windowExtY) * sx / mmPerPixelY, s.viewportExtY);
}

std::optional<EmfMapping> InitialEmfMapping(const EmfPicture& picture) {
  EmfMappingModel model(picture.header);
  for (size_t i = 0; i < picture.size(); ++i) {
    const EmfRecordView r = picture[i];
    if (EmfRecordDraws(r.type)) break;
    model.Follow(r);
  }
  const Affine d = model.Device();
  if (d.m12 != 0 || d.m21 != 0) return std::nullopt;
  const EmfMapping m{{d.m11, d.dx}, {d.m22, d.dy}};
  const auto usable = [](const EmfAxisMapping& a) {
    return std::isfinite(a.scale) && std::isfinite(a.offset) && std::abs(a.scale) > 1e-9;
  };
  if (!usable(m.x) || !usable(m.y)) return std::nullopt;
  return m;
}

}  // namespace wmf
