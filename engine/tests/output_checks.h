// Checks that any played output must pass, whatever the picture.
#pragma once

#include <gtest/gtest.h>

#include "object_table.h"
#include "wmf_file.h"
#include "wmf_record_kinds.h"

namespace wmf::test {

// Every selection and deletion of the output names an object that exists at
// that point, and the header's object count covers the most objects alive.
inline void ExpectSoundObjectUse(const WmfPicture& out) {
  ObjectTable table;
  for (size_t i = 0; i < out.records.size(); ++i) {
    const RecordView r = out.records[i];
    const RecordKind* kind = FindRecordKind(r.function);
    if (!kind) continue;
    if (kind->creates != ObjectKind::None) {
      table.Create(kind->creates);
      continue;
    }
    for (size_t p = 0; p < 8; ++p) {
      if (!(kind->slotParams & (1u << p))) continue;
      ASSERT_LT(p, r.params.size());
      ASSERT_TRUE(table.Holds(r.params[p])) << RecordName(r.function) << " #" << i << " names empty slot " << r.params[p];
    }
    if (r.function == MetaDeleteObject) table.Delete(r.params[0]);
  }
  EXPECT_GE(out.header.objectCount, table.Peak());
}

}  // namespace wmf::test
