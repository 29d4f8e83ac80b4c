// The rewriting pass: every record of a captured picture, changed for the
// options in force, played into the recording surface.
#pragma once

#include "metafile.h"

namespace wmf {

class RecordRewriter {
 public:
  RecordRewriter(PassState& pass, WmfSettings& settings, WmfRecorder& surface);

  // The rule for one record, in file order; `record` itself is not changed.
  void RewriteRecord(const WmfRecord& record);

 private:
  PassState& pass_;
  WmfSettings& settings_;
  WmfRecorder& surface_;
};

}  // namespace wmf
