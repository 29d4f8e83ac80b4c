#include <gtest/gtest.h>

#include "acad_palettes.h"
#include "memory_store.h"
#include "wmf_settings.h"

namespace {

struct PaletteCase {
  int row, palette;
  uint32_t rrggbb;
};

TEST(AcadPalettes, MatchesTheKnownColours) {
  const PaletteCase cases[] = {
      {0, 3, 0x000000}, {1, 8, 0xFF0000}, {5, 0, 0x0000FF}, {7, 5, 0xFFFFFF},
      // palette 8 by the hue rule
      {11, 8, 0xFF7F7F}, {20, 8, 0xFF3F00}, {21, 8, 0xFF9F7F}, {25, 8, 0x995F4C},
      // palette 6: palette 8 on multiples of 51
      {11, 6, 0xFF6666}, {16, 6, 0x660000}, {25, 6, 0x996633},
      // palettes 0 and 4: dark greys
      {29, 0, 0x353535}, {59, 4, 0x434343}, {11, 0, 0xFF6666}, {23, 0, 0xCC6666},
      // palette 2 shades
      {16, 2, 0x800000}, {56, 2, 0x808000}, {216, 2, 0x800080}, {17, 2, 0x663333},
      // palettes 1 and 5 from the table, 3 and 7 with their changes
      {10, 1, 0xFF0000}, {57, 5, 0x434343}, {249, 1, 0x1A1A1A}, {14, 3, 0x800000}, {134, 3, 0x008080},
      {27, 7, 0x333333}, {19, 7, 0x330000}, {199, 7, 0x330033}, {28, 7, 0x330000},
      // grey rows
      {8, 2, 0x808080}, {250, 6, 0x353535}, {250, 0, 0x333333}, {251, 8, 0x5B5B5B}, {255, 1, 0xAEAEAE},
  };
  for (const PaletteCase& c : cases) {
    EXPECT_EQ(AcadPalettes()[c.row][c.palette], FromHex(c.rrggbb)) << "row " << c.row << " palette " << c.palette;
  }
  EXPECT_EQ(AcadPalettes()[1][0], 0x0000FFu);  // stored as COLORREF, red in the low byte
  for (int c = 0; c < kColorNumbers; ++c) {
    EXPECT_EQ(AcadPalettes()[c][0], AcadPalettes()[c][4]) << c;
    EXPECT_EQ(AcadPalettes()[c][1], AcadPalettes()[c][5]) << c;
  }
}

class NoMessages : public UserMessages {
 public:
  void ErrorBox(const std::wstring&) override {}
  void InfoBox(const std::wstring&) override {}
};

int Shadowed(const WmfSettings& settings) {
  int count = 0;
  for (int c = 1; c < kColorNumbers; ++c) count += settings.colors[c].representative != c;
  return count;
}

TEST(ComputeRepresentatives, MapsEachNumberToTheFirstWithItsColour) {
  MemorySettingsStore store;
  NoMessages messages;
  WmfSettings settings(store, messages);
  settings.ComputeRepresentatives(0);
  EXPECT_EQ(settings.colors[10].representative, 1);
  EXPECT_EQ(settings.colors[23].representative, 13);
  EXPECT_EQ(settings.colors[28].representative, 18);
  EXPECT_EQ(settings.colors[11].representative, 11);
  EXPECT_EQ(settings.colors[0].representative, 0);
  EXPECT_EQ(Shadowed(settings), 114);

  settings.ComputeRepresentatives(8);
  EXPECT_EQ(Shadowed(settings), 7);
  const int expected[][2] = {{10, 1}, {50, 2}, {90, 3}, {130, 4}, {170, 5}, {210, 6}, {255, 7}};
  for (auto [number, representative] : expected) EXPECT_EQ(settings.colors[number].representative, representative);
}

}  // namespace
