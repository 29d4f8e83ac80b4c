#include "acad_palettes.h"

#include <cmath>
#include <initializer_list>

namespace {

// Palettes 1 and 5, colour numbers 10..249, ten a line (RRGGBB).
constexpr uint32_t kPalette1[240] = {
    0xFF0000, 0xFF6666, 0x990000, 0x996666, 0x660000, 0x663333, 0x330000, 0x333333, 0x330000, 0x1A1A1A,
    0xFF3300, 0xFF9966, 0x993300, 0x996666, 0x663300, 0x666633, 0x330000, 0x353535, 0x330000, 0x1A1A1A,
    0xFF6600, 0xFFCC66, 0x996600, 0x996666, 0x663300, 0x666633, 0x333300, 0x353535, 0x330000, 0x1A1A1A,
    0xFFCC00, 0xFFCC66, 0x996600, 0x999966, 0x666600, 0x666633, 0x333300, 0x353535, 0x333300, 0x1A1A1A,
    0xFFFF00, 0xFFFF66, 0x999900, 0x999966, 0x666600, 0x666633, 0x333300, 0x434343, 0x333300, 0x1A1A1A,
    0xCCFF00, 0xCCFF66, 0x669900, 0x999966, 0x666600, 0x666633, 0x333300, 0x353535, 0x333300, 0x1A1A1A,
    0x66FF00, 0xCCFF66, 0x669900, 0x669966, 0x336600, 0x666633, 0x333300, 0x353535, 0x003300, 0x1A1A1A,
    0x33FF00, 0x99FF66, 0x339900, 0x669966, 0x336600, 0x666633, 0x003300, 0x353535, 0x003300, 0x1A1A1A,
    0x00FF00, 0x66FF66, 0x009900, 0x669966, 0x006600, 0x336633, 0x003300, 0x333333, 0x003300, 0x1A1A1A,
    0x00FF33, 0x66FF99, 0x009933, 0x669966, 0x006633, 0x336666, 0x003300, 0x353535, 0x003300, 0x1A1A1A,
    0x00FF66, 0x66FFCC, 0x009966, 0x669966, 0x006633, 0x336666, 0x003333, 0x353535, 0x003300, 0x1A1A1A,
    0x00FFCC, 0x66FFCC, 0x009966, 0x669999, 0x006666, 0x336666, 0x003333, 0x353535, 0x003333, 0x1A1A1A,
    0x00FFFF, 0x66FFFF, 0x009999, 0x669999, 0x006666, 0x336666, 0x003333, 0x434343, 0x003333, 0x1A1A1A,
    0x00CCFF, 0x66CCFF, 0x006699, 0x669999, 0x006666, 0x336666, 0x003333, 0x353535, 0x003333, 0x1A1A1A,
    0x0066FF, 0x66CCFF, 0x006699, 0x666699, 0x003366, 0x336666, 0x003333, 0x353535, 0x000033, 0x1A1A1A,
    0x0033FF, 0x6699FF, 0x003399, 0x666699, 0x003366, 0x336666, 0x000033, 0x353535, 0x000033, 0x1A1A1A,
    0x0000FF, 0x6666FF, 0x000099, 0x666699, 0x000066, 0x333366, 0x000033, 0x333333, 0x000033, 0x1A1A1A,
    0x3300FF, 0x9966FF, 0x330099, 0x666699, 0x330066, 0x663366, 0x000033, 0x353535, 0x000033, 0x1A1A1A,
    0x6600FF, 0xCC66FF, 0x660099, 0x666699, 0x330066, 0x663366, 0x330033, 0x353535, 0x000033, 0x1A1A1A,
    0xCC00FF, 0xCC66FF, 0x660099, 0x996699, 0x660066, 0x663366, 0x330033, 0x353535, 0x330033, 0x1A1A1A,
    0xFF00FF, 0xFF66FF, 0x990099, 0x996699, 0x660066, 0x663366, 0x330033, 0x434343, 0x330033, 0x1A1A1A,
    0xFF00CC, 0xFF66CC, 0x990066, 0x996699, 0x660066, 0x663366, 0x330033, 0x353535, 0x330033, 0x1A1A1A,
    0xFF0066, 0xFF66CC, 0x990066, 0x996666, 0x660033, 0x663366, 0x330033, 0x353535, 0x330000, 0x1A1A1A,
    0xFF0033, 0xFF6699, 0x990033, 0x996666, 0x660033, 0x663366, 0x330000, 0x353535, 0x330000, 0x1A1A1A,
};

// Grey rows 8, 9 and 250..255 by palette (RRGGBB).
struct GreyRow {
  int row;
  uint32_t byPalette[kPaletteCount];
};
constexpr GreyRow kGreys[] = {
    //       0         1         2         3         4         5         6         7         8
    {8, {0x868686, 0x868686, 0x808080, 0x808080, 0x868686, 0x868686, 0x868686, 0x868686, 0x808080}},
    {9, {0xBBBBBB, 0xBBBBBB, 0xC0C0C0, 0xC0C0C0, 0xBBBBBB, 0xBBBBBB, 0xBBBBBB, 0xBBBBBB, 0xC0C0C0}},
    {250, {0x333333, 0x000000, 0x333333, 0x000000, 0x333333, 0x000000, 0x353535, 0x000000, 0x333333}},
    {251, {0x5D5D5D, 0x282828, 0x5D5D5D, 0x282828, 0x5D5D5D, 0x282828, 0x5D5D5D, 0x282828, 0x5B5B5B}},
    {252, {0x868686, 0x5D5D5D, 0x868686, 0x5D5D5D, 0x868686, 0x5D5D5D, 0x868686, 0x5D5D5D, 0x848484}},
    {253, {0xAEAEAE, 0x868686, 0xAEAEAE, 0x868686, 0xAEAEAE, 0x868686, 0xAEAEAE, 0x868686, 0xADADAD}},
    {254, {0xD6D6D6, 0xBBBBBB, 0xD6D6D6, 0xBBBBBB, 0xD6D6D6, 0xBBBBBB, 0xD6D6D6, 0xBBBBBB, 0xD6D6D6}},
    {255, {0xFFFFFF, 0xAEAEAE, 0xFFFFFF, 0xAEAEAE, 0xFFFFFF, 0xAEAEAE, 0xFFFFFF, 0xAEAEAE, 0xFFFFFF}},
};

constexpr uint32_t kBasic[8] = {0x000000, 0xFF0000, 0xFFFF00, 0x00FF00,
                                0x00FFFF, 0x0000FF, 0xFF00FF, 0xFFFFFF};

// Palette 8, colour numbers 10..249: 24 hues of 15 degrees, five levels, full
// and half saturation (RRGGBB).
uint32_t HueRule(int c) {
  const int h = (c - 10) / 10;
  const int k = c % 10;
  static constexpr double kLevels[5] = {255, 204, 153, 127, 76};
  const double v = kLevels[k / 2];
  const double s = (k % 2 == 0) ? 1.0 : 0.5;
  const int sector = h / 4;
  const double f = (h % 4) / 4.0;
  double x[3];
  switch (sector) {
    case 0: x[0] = 1; x[1] = f; x[2] = 0; break;
    case 1: x[0] = 1 - f; x[1] = 1; x[2] = 0; break;
    case 2: x[0] = 0; x[1] = 1; x[2] = f; break;
    case 3: x[0] = 0; x[1] = 1 - f; x[2] = 1; break;
    case 4: x[0] = f; x[1] = 0; x[2] = 1; break;
    default: x[0] = 1; x[1] = 0; x[2] = 1 - f; break;
  }
  uint32_t rgb = 0;
  for (double channel : x) rgb = (rgb << 8) | static_cast<uint32_t>(std::floor(v * (1 - s * (1 - channel))));
  return rgb;
}

// Each channel moved to the nearest multiple of 51 (RRGGBB).
uint32_t WebSafe(uint32_t rrggbb) {
  uint32_t out = 0;
  for (int shift = 16; shift >= 0; shift -= 8) {
    const uint32_t channel = (rrggbb >> shift) & 0xFF;
    out = (out << 8) | ((channel + 25) / 51 * 51);
  }
  return out;
}

void Set(PaletteTable& hex, std::initializer_list<int> rows, int palette, uint32_t rrggbb) {
  for (int row : rows) hex[row][palette] = rrggbb;
}

PaletteTable BuildPalettes() {
  PaletteTable hex{};  // RRGGBB while building
  for (int c = 0; c < 8; ++c) hex[c].fill(kBasic[c]);
  for (int c = 10; c < 250; ++c) {
    const uint32_t hue = HueRule(c);
    hex[c][8] = hue;
    hex[c][6] = WebSafe(hue);
    hex[c][0] = hex[c][4] = WebSafe(hue);
    hex[c][1] = hex[c][5] = hex[c][3] = hex[c][7] = kPalette1[c - 10];
  }
  // Palettes 0 and 4: dark greys in place of the darkest shades.
  for (int p : {0, 4}) {
    Set(hex, {29, 39, 49, 69, 79, 89, 109, 119, 129, 149, 159, 169, 189, 199, 209, 229, 239, 249}, p, 0x353535);
    Set(hex, {59, 139, 219}, p, 0x434343);
  }
  // Palette 2: palette 0 with the standard sixteen-colour shades.
  for (int c = 10; c < 250; ++c) hex[c][2] = hex[c][0];
  Set(hex, {16, 26, 246}, 2, 0x800000);
  Set(hex, {56}, 2, 0x808000);
  Set(hex, {86, 96, 106}, 2, 0x008000);
  Set(hex, {136}, 2, 0x008080);
  Set(hex, {166, 176, 186}, 2, 0x000080);
  Set(hex, {216}, 2, 0x800080);
  // Palette 3: palette 1 with the same shades.
  Set(hex, {14, 24, 244}, 3, 0x800000);
  Set(hex, {54}, 3, 0x808000);
  Set(hex, {84, 94, 104}, 3, 0x008000);
  Set(hex, {134}, 3, 0x008080);
  Set(hex, {164, 174, 184}, 3, 0x000080);
  Set(hex, {214}, 3, 0x800080);
  // Palette 7: palette 1 with other darkest shades.
  Set(hex, {27, 37, 47, 57, 67, 77, 87, 107, 117, 127, 137, 147, 157, 167, 187, 197, 207, 217, 227, 237, 247},
      7, 0x333333);
  Set(hex, {19, 29, 249}, 7, 0x330000);
  Set(hex, {39, 49, 59, 69, 79}, 7, 0x333300);
  Set(hex, {89, 99, 109}, 7, 0x003300);
  Set(hex, {119, 129, 139, 149, 159}, 7, 0x003333);
  Set(hex, {169, 179, 189}, 7, 0x000033);
  Set(hex, {199, 209, 219, 229, 239}, 7, 0x330033);
  for (const GreyRow& grey : kGreys)
    for (int p = 0; p < kPaletteCount; ++p) hex[grey.row][p] = grey.byPalette[p];

  PaletteTable table;
  for (int c = 0; c < kColorNumbers; ++c)
    for (int p = 0; p < kPaletteCount; ++p) table[c][p] = FromHex(hex[c][p]);
  return table;
}

}  // namespace

const PaletteTable& AcadPalettes() {
  static const PaletteTable table = BuildPalettes();
  return table;
}
