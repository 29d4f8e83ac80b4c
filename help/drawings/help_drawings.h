// The drawings the help pages' pictures are made from: small CAD drawings of
// the project's own, written record by record the way a CAD program copies a
// drawing, each chosen to show one option clearly.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace help {

struct HelpDrawing {
  std::string fileName;
  std::vector<uint8_t> bytes;  // a placeable WMF file
};

// bracket-sheet.wmf: a small dimensioned bracket in the lower left corner of
//   a whole A4 sheet (cropping, margin);
// floor-plan.wmf: an L-shaped flat in thin lines with its room names, a
//   dimension and a north arrow (line width, rotation);
// site-plan.wmf: a site plan in the AutoCAD colours 1 to 7, every line
//   labelled in its own colour (all black, widths per colour).
std::vector<HelpDrawing> HelpDrawings();

}  // namespace help
