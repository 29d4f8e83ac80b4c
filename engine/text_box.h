// Where a text's cell lies around the point it stands at, by its alignment
// and its font's angle: the box the analyses measure texts by, for every
// picture format.
#pragma once

#include <array>
#include <cstdint>
#include <utility>

namespace wmf {

using TextOffset = std::pair<int64_t, int64_t>;  // x, y in logical units, y down

inline constexpr uint16_t kTaUpdateCp = 0x01;
inline constexpr uint16_t kTaBaseline = 0x18;     // the point is on the baseline (with TA_LEFT, 0: at its start)
inline constexpr uint16_t kTaPlacement = 0x1E;    // the vertical and horizontal alignment bits
inline constexpr uint16_t kEtoOpaque = 0x0002;   // the text's rectangle is filled with the background colour
inline constexpr uint16_t kEtoClipped = 0x0004;  // the text is clipped to its rectangle

// The four corners of the cell of a text `cx` wide and `cy` high (its font's
// ascent `ascent`) as offsets from the point it stands at, for the text
// alignment `align` and the angle `angleTenths` (tenths of a degree,
// counterclockwise).
std::array<TextOffset, 4> TextCellCorners(int64_t cx, int64_t cy, int64_t ascent, uint16_t align, int angleTenths);

// Where the text's baseline begins (its left end as the text reads), as an
// offset from the point it stands at; the same arguments.
TextOffset TextBaselineStart(int64_t cx, int64_t cy, int64_t ascent, uint16_t align, int angleTenths);

// How far a text `cx` wide moves the current position (TA_UPDATECP): along
// its baseline, backwards when it is right-aligned, not at all when centred.
TextOffset TextAdvance(int64_t cx, uint16_t align, int angleTenths);

// Conversion of a double to a 64-bit integer, truncating towards zero and
// clamped to what coordinate arithmetic can use.
int64_t TruncateClamped(double value);

}  // namespace wmf
