#include "record_rewriter.h"

namespace wmf {

RecordRewriter::RecordRewriter(PassState& pass, WmfSettings& settings, WmfRecorder& surface)
    : pass_(pass), settings_(settings), surface_(surface) {}

void RecordRewriter::RewriteRecord(const WmfRecord& record) { surface_.Play(record); }

}  // namespace wmf
