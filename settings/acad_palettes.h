// The AutoCAD colour numbers 0..255 under the nine palettes in which a
// picture's colours are looked up, as COLORREF values (0x00BBGGRR).
#pragma once

#include <array>
#include <cstdint>

inline constexpr int kPaletteCount = 9;
inline constexpr int kColorNumbers = 256;

using PaletteRow = std::array<uint32_t, kPaletteCount>;
using PaletteTable = std::array<PaletteRow, kColorNumbers>;

// AcadPalettes()[colour number][palette]
const PaletteTable& AcadPalettes();

// A COLORREF from red, green and blue.
constexpr uint32_t Rgb(uint32_t red, uint32_t green, uint32_t blue) {
  return red | (green << 8) | (blue << 16);
}

// A COLORREF from the RRGGBB form in which colours are usually written.
constexpr uint32_t FromHex(uint32_t rrggbb) {
  return Rgb(rrggbb >> 16, (rrggbb >> 8) & 0xFF, rrggbb & 0xFF);
}
