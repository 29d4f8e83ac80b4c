// The surroundings of the engine in a test: settings at their defaults, the
// messages collected, text measured by the fake measurer.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "fake_text_measurer.h"
#include "memory_store.h"
#include "metafile.h"
#include "test_pictures.h"
#include "wmf_settings.h"

namespace wmf::test {

class CollectedMessages : public UserMessages {
 public:
  std::vector<std::wstring> errors, infos;
  void ErrorBox(const std::wstring& text) override { errors.push_back(text); }
  void InfoBox(const std::wstring& text) override { infos.push_back(text); }
};

struct EngineHarness {
  MemorySettingsStore store;
  CollectedMessages messages;
  WmfSettings settings{store, messages};
  FakeTextMeasurer measurer;
  EngineContext context{messages, measurer, 32};

  // Pictures are taken as coming from a CAD program unless `fromCad` is
  // false; without `pict` they are suggested at 1000 units per inch of their
  // first window.
  static constexpr MetafilePict kByFirstWindow{0, 0, 0};
  std::unique_ptr<CMetafile> Capture(std::vector<WmfRecord> records, MetafilePict pict = kByFirstWindow,
                                     int fromIntelliCad = 0, bool fromCad = true) {
    if (pict.mm == 0) pict = SuggestedAt1000UnitsPerInch(records);
    return std::make_unique<CMetafile>(pict, PictureOf(std::move(records)), 0, fromIntelliCad, context, fromCad);
  }

  static MetafilePict SuggestedAt1000UnitsPerInch(const std::vector<WmfRecord>& records) {
    for (const WmfRecord& r : records)
      if (r.function == MetaSetWindowExt && r.params.size() >= 2 && static_cast<int16_t>(r.params[0]) > 0 &&
          static_cast<int16_t>(r.params[1]) > 0)
        return MetafilePict{8, static_cast<int16_t>(r.params[1]) * 254 / 100, static_cast<int16_t>(r.params[0]) * 254 / 100};
    return MetafilePict{8, 20320, 15240};
  }

  std::unique_ptr<CMetafile> Capture(WmfPicture picture, MetafilePict pict, bool fromCad) {
    return std::make_unique<CMetafile>(pict, std::move(picture), 0, 0, context, fromCad);
  }

  // Plays the picture and returns the output's records.
  std::vector<WmfRecord> Play(CMetafile& picture, Size* output = nullptr) {
    WmfRecorder surface;
    const Size size = picture.Play(surface, settings).output;
    if (output) *output = size;
    return CopyOf(ReadOrFail(surface.Close()).records);
  }
};

}  // namespace wmf::test
