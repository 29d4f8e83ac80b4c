// Small enhanced metafiles built in the tests, record by record, and the
// comment records in which a Windows metafile carries one.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "embedded_emf.h"
#include "emf_file.h"
#include "emf_record_kinds.h"
#include "wmf_file.h"
#include "wmf_record_kinds.h"

namespace wmf::test {

class EmfBuilder {
 public:
  // A picture with `frame` in 0.01 mm, made on a reference screen of 1280 ×
  // 1024 pixels at 96 dots per inch.
  explicit EmfBuilder(EmfRect frame) : frame_(frame) {}

  // A record of 32-bit fields.
  EmfBuilder& Record(uint32_t type, std::initializer_list<int32_t> fields) {
    Begin(type, 4 * fields.size());
    for (int32_t f : fields) Put(&f, 4);
    return End();
  }

  // A world transform record: six floats, then `mode` for EMR_MODIFYWORLDTRANSFORM.
  EmfBuilder& Transform(uint32_t type, std::initializer_list<float> matrix, uint32_t mode = 0) {
    Begin(type, 24 + (type == EmrModifyWorldTransform ? 4 : 0));
    for (float f : matrix) Put(&f, 4);
    if (type == EmrModifyWorldTransform) Put(&mode, 4);
    return End();
  }

  // The size of the object table the header states (slot 0 included); 1
  // unless told.
  EmfBuilder& Handles(uint16_t handles) {
    handles_ = handles;
    return *this;
  }

  // A record given as its raw bytes after type and size.
  EmfBuilder& Raw(uint32_t type, const std::vector<uint8_t>& body) {
    Begin(type, body.size());
    Put(body.data(), body.size());
    return End();
  }

  std::vector<uint8_t> Finish() const {
    std::vector<uint8_t> out;
    const auto put = [&](const void* p, size_t n) {
      out.insert(out.end(), static_cast<const uint8_t*>(p), static_cast<const uint8_t*>(p) + n);
    };
    const uint32_t eof[5] = {EmrEof, 20, 0, 16, 20};
    const uint32_t total = static_cast<uint32_t>(108 + records_.size() + sizeof eof);
    const uint32_t head[2] = {EmrHeader, 108};
    put(head, 8);
    const int32_t bounds[4] = {0, 0, 0, 0};
    put(bounds, 16);
    put(&frame_, 16);
    const uint32_t fields[5] = {kEmfSignature, 0x10000, total, static_cast<uint32_t>(count_ + 2), handles_};
    put(fields, 20);  // signature, version, bytes, records, handles and the reserved word
    const uint32_t description[3] = {0, 0, 0};
    put(description, 12);  // no description, no palette
    const int32_t device[4] = {1280, 1024, 339, 271};
    put(device, 16);
    const uint32_t pixelFormat[3] = {0, 0, 0};
    put(pixelFormat, 12);
    const int32_t micrometres[2] = {338667, 270933};
    put(micrometres, 8);
    out.insert(out.end(), records_.begin(), records_.end());
    put(eof, sizeof eof);
    return out;
  }

 private:
  void Begin(uint32_t type, size_t bodyBytes) {
    const uint32_t head[2] = {type, static_cast<uint32_t>(8 + (bodyBytes + 3) / 4 * 4)};
    Put(head, 8);
    ++count_;
  }
  void Put(const void* p, size_t n) {
    records_.insert(records_.end(), static_cast<const uint8_t*>(p), static_cast<const uint8_t*>(p) + n);
  }
  // Pads the record to a whole number of 32-bit words.
  EmfBuilder& End() {
    while (records_.size() % 4) records_.push_back(0);
    return *this;
  }

  EmfRect frame_;
  std::vector<uint8_t> records_;
  size_t count_ = 0;
  uint32_t handles_ = 1;
};

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

// The META_ESCAPE records that carry `emf` in pieces of at most `pieceBytes`,
// as the system's conversion of an EMF writes them.
inline std::vector<WmfRecord> EmfPieces(const std::vector<uint8_t>& emf, size_t pieceBytes = 8192) {
  std::vector<WmfRecord> pieces;
  const size_t count = (emf.size() + pieceBytes - 1) / pieceBytes;
  for (size_t at = 0; at < emf.size(); at += pieceBytes) {
    const size_t size = std::min(pieceBytes, emf.size() - at);
    const uint32_t fields[] = {kEmfCommentIdentifier, kEmfCommentType, 0x10000};
    WmfRecord r{MetaEscape, {kMfComment, static_cast<uint16_t>(34 + size)}};
    const auto dword = [&](uint32_t v) { r.params.insert(r.params.end(), {static_cast<uint16_t>(v), static_cast<uint16_t>(v >> 16)}); };
    for (uint32_t f : fields) dword(f);
    r.params.push_back(0);  // checksum
    dword(0);               // flags
    dword(static_cast<uint32_t>(count));
    dword(static_cast<uint32_t>(size));
    dword(static_cast<uint32_t>(emf.size() - at - size));
    dword(static_cast<uint32_t>(emf.size()));
    for (size_t i = 0; i < size; i += 2)
      r.params.push_back(static_cast<uint16_t>(emf[at + i] | (i + 1 < size ? emf[at + i + 1] << 8 : 0)));
    pieces.push_back(std::move(r));
  }
  return pieces;
}

}  // namespace wmf::test
