// How an enhanced metafile maps its logical coordinates onto its reference
// device: the world transform, the mapping mode, and the window and viewport,
// followed from the picture's start to its first drawing record.
#pragma once

#include <optional>

#include "emf_file.h"

namespace wmf {

// One axis of the mapping: device = logical × scale + offset.
struct EmfAxisMapping {
  double scale = 1;
  double offset = 0;
};

struct EmfMapping {
  EmfAxisMapping x, y;
};

// The mapping in force when the picture first draws (at its end when it draws
// nothing). None when a world transform turns or shears the picture there,
// which an axis-by-axis mapping cannot hold, or when the mapping collapses.
std::optional<EmfMapping> InitialEmfMapping(const EmfPicture& picture);

}  // namespace wmf
