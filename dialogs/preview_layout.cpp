#include "preview_layout.h"

#include <algorithm>
#include <cmath>

namespace {

double UsableAspect(double aspect) { return std::isfinite(aspect) && aspect > 0 ? aspect : 1.0; }

// The largest box of `aspect` inside `cell`, centred in it.
PreviewBox Fit(const PreviewBox& cell, double aspect) {
  PreviewBox box;
  box.width = std::min(cell.width, static_cast<int>(std::lround(cell.height * aspect)));
  box.height = std::min(cell.height, static_cast<int>(std::lround(box.width / aspect)));
  box.width = std::max(0, box.width);
  box.height = std::max(0, box.height);
  box.left = cell.left + (cell.width - box.width) / 2;
  box.top = cell.top + (cell.height - box.height) / 2;
  return box;
}

// The picture in `cell` with its line directly under it.
void Place(const PreviewBox& cell, double aspect, int lineHeight, PreviewBox& picture, PreviewBox& caption) {
  const PreviewBox room{cell.left, cell.top, cell.width, std::max(0, cell.height - lineHeight)};
  picture = Fit(room, aspect);
  caption = PreviewBox{cell.left, picture.Bottom(), cell.width, lineHeight};
}

PreviewLayout Arrange(bool sideBySide, int width, int height, double originalAspect, double improvedAspect,
                      int lineHeight, int gap) {
  PreviewLayout layout;
  layout.sideBySide = sideBySide;
  PreviewBox first, second;
  if (sideBySide) {
    const int cellWidth = std::max(0, (width - 3 * gap) / 2);
    const int cellHeight = std::max(0, height - 2 * gap);
    first = PreviewBox{gap, gap, cellWidth, cellHeight};
    second = PreviewBox{2 * gap + cellWidth, gap, cellWidth, cellHeight};
  } else {
    const int cellWidth = std::max(0, width - 2 * gap);
    const int cellHeight = std::max(0, (height - 3 * gap) / 2);
    first = PreviewBox{gap, gap, cellWidth, cellHeight};
    second = PreviewBox{gap, 2 * gap + cellHeight, cellWidth, cellHeight};
  }
  Place(first, originalAspect, lineHeight, layout.original, layout.originalCaption);
  Place(second, improvedAspect, lineHeight, layout.improved, layout.improvedCaption);
  return layout;
}

// How well both pictures show: the area of the smaller one.
long long Shown(const PreviewLayout& layout) {
  const auto area = [](const PreviewBox& box) { return static_cast<long long>(box.width) * box.height; };
  return std::min(area(layout.original), area(layout.improved));
}

}  // namespace

PreviewLayout LayOutPreview(int clientWidth, int clientHeight, double originalAspect, double improvedAspect,
                            int lineHeight, int gap) {
  originalAspect = UsableAspect(originalAspect);
  improvedAspect = UsableAspect(improvedAspect);
  const PreviewLayout beside = Arrange(true, clientWidth, clientHeight, originalAspect, improvedAspect, lineHeight, gap);
  const PreviewLayout above = Arrange(false, clientWidth, clientHeight, originalAspect, improvedAspect, lineHeight, gap);
  return Shown(above) > Shown(beside) ? above : beside;
}
