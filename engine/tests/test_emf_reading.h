// Reading the enhanced metafiles a test made or received, with GoogleTest's
// expectations; apart from test_emf.h, which the benchmark's generated
// pictures use without GoogleTest.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "emf_file.h"
#include "emf_record_kinds.h"

namespace wmf::test {

// The picture read, or a failure of the test naming the reason.
inline EmfPicture ReadEmfOrFail(const std::vector<uint8_t>& bytes) {
  EmfPicture picture;
  std::string error;
  EXPECT_TRUE(ReadEmf(bytes, picture, error)) << error;
  return picture;
}

// The characters of the picture's first EMR_EXTTEXTOUTW, as they stand.
inline std::u16string FirstWideText(const EmfPicture& picture) {
  for (size_t i = 0; i < picture.size(); ++i) {
    const EmfRecordView r = picture[i];
    if (r.type != EmrExtTextOutW || !r.Has(44)) continue;
    const uint32_t count = *r.U32(36), at = *r.U32(40) - 8;
    if (!r.Has(size_t{at} + 2 * size_t{count})) return u"";
    std::u16string text(count, u'\0');
    std::memcpy(text.data(), r.body.data() + at, 2 * size_t{count});
    return text;
  }
  return u"";
}

}  // namespace wmf::test
