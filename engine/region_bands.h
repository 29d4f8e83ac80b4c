// A region as GDI keeps it: bands from top to bottom, each a row of spans
// that neither overlap nor touch. Rectangles in any order and overlapping
// (a region turned or mirrored) are swept into such bands.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "mapping_model.h"

namespace wmf {

using Span = std::pair<int64_t, int64_t>;  // left, right (exclusive)

// Calls visit(top, bottom, spans) for each band of the union of `rects`
// (right and bottom exclusive), from top to bottom; bands without spans are
// left out. Time grows with the bands' spans, not their square.
void ForEachBand(const std::vector<Box64>& rects,
                 const std::function<void(int64_t top, int64_t bottom, const std::vector<Span>& spans)>& visit);

}  // namespace wmf
