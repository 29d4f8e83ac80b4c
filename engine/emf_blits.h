// Bitmaps of an enhanced metafile drawn through an output that turns them.
// Players differ on a bitmap under a world transform that turns it: some
// turn its pixels, some draw them unturned in the turned place. Laid out as
// it shows on the output and drawn in the output's own pixels, a bitmap
// shows alike in every player.
#pragma once

#include "emf_file.h"
#include "emf_writer.h"

namespace wmf {

// Writes `record`, an EMR_STRETCHDIBITS, EMR_BITBLT, EMR_STRETCHBLT,
// EMR_ALPHABLEND or EMR_TRANSPARENTBLT of a bitmap, as the same blit of
// the bitmap laid out as it shows, drawn in the output's sixteenths of a
// pixel. `toDevice` takes the record's coordinates to the output's pixels.
//
// False, with nothing written, for any other record, a blit without a bitmap
// or of one whose pixels cannot be laid out anew, a source taken through a
// transform that scales or turns it, or a transform that draws the bitmap
// slanted or collapsed.
bool WriteBlitAsShown(EmfWriter& writer, const EmfRecordView& record, const Affine& toDevice);

}  // namespace wmf
