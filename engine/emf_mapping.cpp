#include "emf_mapping.h"

#include <cmath>
#include <vector>

#include "emf_record_kinds.h"

namespace wmf {
namespace {

constexpr uint32_t kMmText = 1, kMmLoMetric = 2, kMmHiMetric = 3, kMmLoEnglish = 4, kMmHiEnglish = 5,
                   kMmTwips = 6, kMmIsotropic = 7, kMmAnisotropic = 8;
constexpr uint32_t kMwtIdentity = 1, kMwtLeftMultiply = 2, kMwtRightMultiply = 3, kMwtSet = 4;

// A world transform: x' = m11 x + m21 y + dx, y' = m12 x + m22 y + dy.
struct Transform {
  double m11 = 1, m12 = 0, m21 = 0, m22 = 1, dx = 0, dy = 0;
};

// `first` applied, then `second`.
Transform Then(const Transform& first, const Transform& second) {
  return Transform{first.m11 * second.m11 + first.m12 * second.m21, first.m11 * second.m12 + first.m12 * second.m22,
                   first.m21 * second.m11 + first.m22 * second.m21, first.m21 * second.m12 + first.m22 * second.m22,
                   first.dx * second.m11 + first.dy * second.m21 + second.dx,
                   first.dx * second.m12 + first.dy * second.m22 + second.dy};
}

struct State {
  uint32_t mapMode = kMmText;
  double windowOrgX = 0, windowOrgY = 0, windowExtX = 1, windowExtY = 1;
  double viewportOrgX = 0, viewportOrgY = 0, viewportExtX = 1, viewportExtY = 1;
  Transform world;
};

class Follower {
 public:
  explicit Follower(const EmfHeader& header) {
    // The reference device's size, for the fixed mapping modes; a header
    // without one is taken as a 96 dots-per-inch screen.
    const bool sized = header.device.cx > 0 && header.device.cy > 0 && header.millimeters.cx > 0 &&
                       header.millimeters.cy > 0;
    pixelsX_ = sized ? header.device.cx : 1280;
    pixelsY_ = sized ? header.device.cy : 1024;
    const bool precise = sized && header.micrometers.cx > 0 && header.micrometers.cy > 0;
    millimetersX_ = precise ? header.micrometers.cx / 1000.0 : sized ? header.millimeters.cx : 1280 * 25.4 / 96;
    millimetersY_ = precise ? header.micrometers.cy / 1000.0 : sized ? header.millimeters.cy : 1024 * 25.4 / 96;
  }

  void Follow(const EmfRecordView& r) {
    State& s = state_;
    switch (r.type) {
      case EmrSetMapMode:
        if (const auto mode = r.U32(0)) SetMapMode(*mode);
        break;
      case EmrSetWindowOrgEx:
        if (r.Has(8)) s.windowOrgX = *r.I32(0), s.windowOrgY = *r.I32(4);
        break;
      case EmrSetViewportOrgEx:
        if (r.Has(8)) s.viewportOrgX = *r.I32(0), s.viewportOrgY = *r.I32(4);
        break;
      case EmrSetWindowExtEx:
        if (r.Has(8) && ScalesExtents() && *r.I32(0) != 0 && *r.I32(4) != 0) {
          s.windowExtX = *r.I32(0), s.windowExtY = *r.I32(4);
          KeepIsotropic();
        }
        break;
      case EmrSetViewportExtEx:
        if (r.Has(8) && ScalesExtents() && *r.I32(0) != 0 && *r.I32(4) != 0) {
          s.viewportExtX = *r.I32(0), s.viewportExtY = *r.I32(4);
          KeepIsotropic();
        }
        break;
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
        break;
      case EmrSetWorldTransform:
        if (r.Has(24)) s.world = TransformAt(r, 0);
        break;
      case EmrModifyWorldTransform:
        if (r.Has(28)) {
          const Transform t = TransformAt(r, 0);
          switch (*r.U32(24)) {
            case kMwtIdentity: s.world = Transform{}; break;
            case kMwtLeftMultiply: s.world = Then(t, s.world); break;
            case kMwtRightMultiply: s.world = Then(s.world, t); break;
            case kMwtSet: s.world = t; break;
            default: break;
          }
        }
        break;
      case EmrSaveDC:
        saved_.push_back(s);
        break;
      case EmrRestoreDC: {
        // -k restores the state saved k saves ago; other levels as GDI takes them.
        const int32_t level = r.I32(0).value_or(-1);
        const int64_t keep = level < 0 ? static_cast<int64_t>(saved_.size()) + level : level - 1;
        if (level == 0 || keep < 0 || keep >= static_cast<int64_t>(saved_.size())) break;
        s = saved_[static_cast<size_t>(keep)];
        saved_.resize(static_cast<size_t>(keep));
        break;
      }
      default:
        break;
    }
  }

  std::optional<EmfMapping> Mapping() const {
    const State& s = state_;
    if (s.world.m12 != 0 || s.world.m21 != 0) return std::nullopt;
    const double kx = s.viewportExtX / s.windowExtX, ky = s.viewportExtY / s.windowExtY;
    EmfMapping m;
    m.x = {s.world.m11 * kx, (s.world.dx - s.windowOrgX) * kx + s.viewportOrgX};
    m.y = {s.world.m22 * ky, (s.world.dy - s.windowOrgY) * ky + s.viewportOrgY};
    const auto usable = [](const EmfAxisMapping& a) {
      return std::isfinite(a.scale) && std::isfinite(a.offset) && std::abs(a.scale) > 1e-9;
    };
    if (!usable(m.x) || !usable(m.y)) return std::nullopt;
    return m;
  }

 private:
  static Transform TransformAt(const EmfRecordView& r, size_t at) {
    return Transform{*r.F32(at), *r.F32(at + 4), *r.F32(at + 8), *r.F32(at + 12), *r.F32(at + 16), *r.F32(at + 20)};
  }

  bool ScalesExtents() const { return state_.mapMode == kMmIsotropic || state_.mapMode == kMmAnisotropic; }

  void SetMapMode(uint32_t mode) {
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
      s.windowExtX = millimetersX_ * perMillimetre;
      s.windowExtY = millimetersY_ * perMillimetre;
      s.viewportExtX = pixelsX_;
      s.viewportExtY = -pixelsY_;
    }
    KeepIsotropic();
  }

  // MM_ISOTROPIC keeps one scale on both axes, as measured on the device: the
  // axis with the larger scale is shrunk to the other's.
  void KeepIsotropic() {
    State& s = state_;
    if (s.mapMode != kMmIsotropic) return;
    const double mmPerPixelX = millimetersX_ / pixelsX_, mmPerPixelY = millimetersY_ / pixelsY_;
    const double sx = std::abs(s.viewportExtX / s.windowExtX) * mmPerPixelX;
    const double sy = std::abs(s.viewportExtY / s.windowExtY) * mmPerPixelY;
    if (sx > sy) s.viewportExtX = std::copysign(std::abs(s.windowExtX) * sy / mmPerPixelX, s.viewportExtX);
    else if (sy > sx) s.viewportExtY = std::copysign(std::abs(s.windowExtY) * sx / mmPerPixelY, s.viewportExtY);
  }

  State state_;
  std::vector<State> saved_;
  double pixelsX_, pixelsY_, millimetersX_, millimetersY_;
};

}  // namespace

std::optional<EmfMapping> InitialEmfMapping(const EmfPicture& picture) {
  Follower follower(picture.header);
  for (size_t i = 0; i < picture.size(); ++i) {
    const EmfRecordView r = picture[i];
    if (EmfRecordDraws(r.type)) break;
    follower.Follow(r);
  }
  return follower.Mapping();
}

}  // namespace wmf
