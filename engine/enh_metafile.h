// One captured enhanced metafile (EMF) picture, kept exactly as captured,
// with what the engine learnt of it at capture; every Play writes an
// improved copy with the settings in force, as CMetafile does for Windows
// metafiles.
//
// Picture space is the picture's frame in 0.01 mm, from its left-top corner:
// every point is taken there through the picture's world transform, mapping
// mode and reference device. The output keeps the picture's own records and
// their coordinates; a world transform of its own, composed with each of the
// picture's, moves the drawing into the output's region, turns it and sizes
// it, so that lines, curves, texts in any script and bitmaps keep every
// detail.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "emf_file.h"
#include "metafile.h"

namespace wmf {

class CEnhMetafile {
 public:
  // Captures `picture` (already read). `fromCadProgram`: the picture is known
  // to come from a CAD program, whose first rectangle at the origin is its
  // background.
  CEnhMetafile(EmfPicture picture, int fromIntelliCad, EngineContext& context, bool fromCadProgram = false);

  // Whether the program can improve the picture; the reason when not (the
  // picture is then left as it is).
  const std::string& Unimprovable() const { return unimprovable_; }

  struct Played {
    std::vector<uint8_t> bytes;  // the improved enhanced metafile
    PlayResult result;           // its size in picture units (turned) and their scale, as CMetafile's
  };
  // The improved picture with `settings`.
  Played Play(const WmfSettings& settings) const;

  Rect extents;              // what is drawn, in picture space
  Rect fullRect;             // the whole frame
  double unitsPerInch = 2540;
  int fromIntelliCad = 0;
  bool fromCad = false;
  int palette = 4;           // as CMetafile's
  uint32_t backgroundColor = 0;
  // Slots of the object table the picture's records create objects in, slot
  // 0 included: at least as many as its header counts, at most what an
  // output's 16-bit count holds beside two objects of its own.
  uint32_t objectSlots = 1;

  const EmfPicture& picture() const { return picture_; }

 private:
  void Analyse();

  EmfPicture picture_;
  EngineContext& context_;
  std::string unimprovable_;
};

// Whether an EMR_COMMENT carries EMF+ records (GDI+'s drawing inside an
// enhanced metafile).
bool IsEmfPlusComment(const EmfRecordView& record);

}  // namespace wmf
