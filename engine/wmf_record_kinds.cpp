#include "wmf_record_kinds.h"

#include <algorithm>
#include <array>

#include "text_format.h"

namespace wmf {
namespace {

constexpr RecordKind kUnsorted[] = {
#define WMF_KIND_ROW(name, text, number, creates, slots, shape) {number, text, ObjectKind::creates, slots, Shape::shape},
    WMF_RECORD_KINDS(WMF_KIND_ROW)
#undef WMF_KIND_ROW
};

using KindTable = std::array<RecordKind, std::size(kUnsorted)>;

const KindTable& SortedKinds() {
  static const KindTable table = [] {
    KindTable sorted;
    std::copy(std::begin(kUnsorted), std::end(kUnsorted), sorted.begin());
    std::sort(sorted.begin(), sorted.end(),
              [](const RecordKind& a, const RecordKind& b) { return a.function < b.function; });
    return sorted;
  }();
  return table;
}

}  // namespace

const RecordKind* FindRecordKind(uint16_t function) {
  const KindTable& table = SortedKinds();
  auto it = std::lower_bound(table.begin(), table.end(), function,
                             [](const RecordKind& kind, uint16_t f) { return kind.function < f; });
  return it != table.end() && it->function == function ? &*it : nullptr;
}

std::string RecordName(uint16_t function) {
  if (const RecordKind* kind = FindRecordKind(function)) return kind->name;
  return FormatText("0x%04X", function);
}

}  // namespace wmf
