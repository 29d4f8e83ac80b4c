// What publishing puts around a played picture: the placeable file header
// and the size text shown to the user.
#pragma once

#include <string>

#include "metafile.h"
#include "whole_file.h"

namespace wmf {

// The placeable file header of a played picture: frame (0, 0, w, h), Inch =
// whole units per inch. The file is these 22 bytes followed by the
// metafile's bits.
PlaceableHeader PlaceableHeaderFor(Size output, double unitsPerInchOut);

// What playing into a file did: the play, whose jobs the caller counts, and
// whether the whole file was written.
struct FilePlayResult {
  PlayResult played;
  bool written = false;
};

// Plays the picture rewritten by `settings` into a placeable file as it
// goes: the records are written in pieces as they are made, then the two
// headers, known only at the end, take their places at the start.
FilePlayResult PlayToFile(CMetafile& picture, const WmfSettings& settings, FileSink& file);

// "(size: 5.1 * 3.8 cm)" or "(size: 2.00\" * 1.50\")" for a size in HIMETRIC.
std::wstring SizeStatusText(Size himetric, bool metric);

}  // namespace wmf
