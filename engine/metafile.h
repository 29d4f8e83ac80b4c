// One captured metafile picture, kept exactly as captured, with what the
// engine learnt of it at capture; every Play writes a rewritten copy into a
// new recording surface with the settings it is given.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>

#include "mapping_model.h"
#include "text_measurer.h"
#include "wmf_file.h"
#include "wmf_recorder.h"
#include "wmf_settings.h"

namespace wmf {

struct Rect {
  int32_t minX = 0, minY = 0, maxX = 0, maxY = 0;
  bool operator==(const Rect&) const = default;
};

struct Size {
  int32_t x = 0, y = 0;
  bool operator==(const Size&) const = default;
};

// The clipboard's METAFILEPICT record, without its handle.
struct MetafilePict {
  int32_t mm = 8;  // mapping mode: 1 MM_TEXT, 7 MM_ISOTROPIC, 8 MM_ANISOTROPIC
  int32_t xExt = 0;
  int32_t yExt = 0;
};

inline constexpr int32_t kMmText = 1;
inline constexpr int32_t kMmAnisotropic = 8;
inline constexpr uint32_t kBlack = 0x000000;

// The state the analysis and the rewriting keep while a picture's records
// are enumerated.
struct PassState {
  Rect bounds;
  int32_t saveDepth = 0;
  int32_t nestedEndDepth = 0;
  bool inNested = false;
  bool awaitFirstWindowExt = true;
  bool awaitFirstWindowOrg = true;
  Size firstWindowExt;
  Size currentWindowExt;
  Size outputSize;
  uint32_t lastPenColor = kBlack;
  uint32_t backgroundColor = kBlack;
  std::optional<RecordView> savedPolygon;  // a view into the picture being played
  bool polygonPending = false;
  double unitsPerInchOut = 0;

  Size topOrigin;  // the window origin the picture sets outside any block

  // The start of a pass over the records: no block open.
  void BeginBlocks() {
    saveDepth = 0;
    nestedEndDepth = 0;
    inNested = false;
    topOrigin = Size{};
    awaitFirstWindowExt = true;
    awaitFirstWindowOrg = true;
  }
  // MetaSaveDC and MetaRestoreDC: a nested block ends with the restore
  // that brings the depth back to where it began.
  void SaveDC() { ++saveDepth; }
  void RestoreDC() {
    --saveDepth;
    if (saveDepth == nestedEndDepth) inNested = false;
  }
  // MetaSetWindowOrg. Outside any block it sets the picture's own origin;
  // inside a block, an origin of its own opens a nested block (CAD programs
  // draw their blocks and inserts so), which lasts until the restore that
  // closes the block it was set in. Both passes judge blocks by this rule.
  void WindowOrigin(int32_t x, int32_t y) {
    awaitFirstWindowOrg = false;
    if (saveDepth <= 0) {
      topOrigin = Size{x, y};
    } else if (!inNested && (x != topOrigin.x || y != topOrigin.y)) {
      inNested = true;
      nestedEndDepth = saveDepth - 1;
    }
  }
};

// What the engine needs of its surroundings. The settings are not among
// them: each play is given the settings it is to apply, and only reads them.
struct EngineContext {
  UserMessages& messages;
  TextMeasurer& measurer;
  int displayBitsPerPixel = 32;  // for the palette choice
};

// What one play produced.
struct PlayResult {
  Size output;              // the output window (w, h), swapped for 90 and 270 degrees
  double unitsPerInch = 0;  // the output's scale
  // The pictures played: 1, or 0 for a picture that is not loaded. The
  // caller that publishes the output counts them in the statistics (`Jobs`).
  int jobs = 0;
};

class CMetafile {
 public:
  // Captures `picture` (already read and checked) described by the clipboard
  // record `header`, and analyses it. `fromCadProgram`: the picture is known
  // to come from a CAD program, so its first rectangle at the origin is the
  // CAD background; other pictures are recognised by their background.
  CMetafile(const MetafilePict& header, WmfPicture picture, double drawingHeight, int fromIntelliCad,
            EngineContext& context, bool fromCadProgram = false);

  // Plays the picture rewritten by `settings` into `surface`; returns the
  // output window and its scale. A picture that is not loaded plays
  // nothing: (0, 0) and no job.
  PlayResult Play(WmfRecorder& surface, const WmfSettings& settings);

  int loaded = 0;
  Rect extents;
  Rect fullRect;
  double unitsPerInch = 0;
  double drawingHeight = 0;
  MetafilePict header;
  Size windowExt;
  int fromIntelliCad = 0;
  // The palette of AutoCAD's that the picture's colours are those of (0..8),
  // found by the analysis: by the source and the display, lighter for a
  // light CAD background.
  int palette = 4;

  const WmfPicture& picture() const { return picture_; }
  const PassState& passState() const { return pass_; }
  const PictureFrame& frame() const { return frame_; }

 private:
  void AnalyseExtents();

  WmfPicture picture_;
  EngineContext& context_;
  PictureFrame frame_;
  PassState pass_;
};

}  // namespace wmf
