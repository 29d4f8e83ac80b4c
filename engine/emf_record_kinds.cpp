#include "emf_record_kinds.h"

#include <array>

#include "text_format.h"

namespace wmf {
namespace {

constexpr EmfRecordKind kKinds[] = {
#define EMF_KIND_ROW(name, text, number, flags) {number, text, flags},
    EMF_RECORD_KINDS(EMF_KIND_ROW)
#undef EMF_KIND_ROW
};

// Record types run from 1 to 122: a table by type number.
constexpr uint32_t kHighestType = 122;

const std::array<const EmfRecordKind*, kHighestType + 1>& KindsByType() {
  static const auto table = [] {
    std::array<const EmfRecordKind*, kHighestType + 1> byType{};
    for (const EmfRecordKind& kind : kKinds) byType[kind.type] = &kind;
    return byType;
  }();
  return table;
}

}  // namespace

const EmfRecordKind* FindEmfRecordKind(uint32_t type) {
  return type <= kHighestType ? KindsByType()[type] : nullptr;
}

std::string EmfRecordName(uint32_t type) {
  if (const EmfRecordKind* kind = FindEmfRecordKind(type)) return kind->name;
  return FormatText("EMF record 0x%X", type);
}

}  // namespace wmf
