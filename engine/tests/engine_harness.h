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
  EngineContext context{settings, messages, measurer, 32};

  // Pictures are taken as coming from a CAD program unless `fromCad` is false.
  std::unique_ptr<CMetafile> Capture(std::vector<WmfRecord> records, MetafilePict pict = {8, 20320, 15240},
                                     int fromIntelliCad = 0, bool fromCad = true) {
    return std::make_unique<CMetafile>(pict, PictureOf(std::move(records)), 0, fromIntelliCad, context, fromCad);
  }

  std::unique_ptr<CMetafile> Capture(WmfPicture picture, MetafilePict pict, bool fromCad) {
    return std::make_unique<CMetafile>(pict, std::move(picture), 0, 0, context, fromCad);
  }

  // Plays the picture and returns the output's records.
  std::vector<WmfRecord> Play(CMetafile& picture, Size* output = nullptr) {
    WmfRecorder surface;
    const Size size = picture.Play(surface).output;
    if (output) *output = size;
    return CopyOf(ReadOrFail(surface.Close()).records);
  }
};

}  // namespace wmf::test
