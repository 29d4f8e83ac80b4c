// The pen and brush styles of GDI that both picture formats store as they
// are (LOGPEN, LOGPENEX and LOGBRUSH values).
#pragma once

#include <cstdint>

namespace wmf {

inline constexpr uint32_t kPsNull = 5, kPsStyleMask = 0x0F;               // PS_NULL, PS_STYLE_MASK
inline constexpr uint32_t kPsGeometric = 0x00010000, kPsTypeMask = 0x000F0000;  // PS_GEOMETRIC, PS_TYPE_MASK
inline constexpr uint32_t kBsSolid = 0, kBsNull = 1, kBsHatched = 2;      // BS_SOLID, BS_NULL, BS_HATCHED

}  // namespace wmf
