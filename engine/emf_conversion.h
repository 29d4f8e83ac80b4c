// Pictures made by the system's conversion of an enhanced metafile (EMF)
// into a Windows metafile, as the clipboard offers every EMF again. Such a
// picture carries the original EMF in comment records. Some conversions
// write the EMF's own logical coordinates into the records and place them in
// a window in device pixels, the EMF's frame, leaving out the EMF's window,
// viewport and world transform: its drawing then lies elsewhere than its
// window says, often 26 times as large (0.01 mm against pixels at 96 dpi).
#pragma once

#include <optional>

#include "mapping_model.h"

namespace wmf {

// The frame of a converted picture in the EMF's own logical units, from the
// EMF it carries: its frame, reference device and initial mapping. None when
// it carries no readable EMF, or one whose mapping turns the picture.
std::optional<PictureFrame> EmbeddedEmfFrame(const WmfPicture& picture);

// How well what a picture draws fills `frame`: the share of the union of the
// drawing's bounds and the frame that both cover (1: the drawing is the
// frame; 0: they do not meet, or nothing is drawn).
double FrameFit(const RecordList& records, const PictureFrame& frame);

}  // namespace wmf
