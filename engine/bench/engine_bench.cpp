// Speed of the picture engine on large generated CAD-like pictures, Windows
// metafiles and enhanced ones: reading, the analysis at capture, and a full
// play with every option on, next to a plain copy of the same bytes.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "emf_file.h"
#include "enh_metafile.h"
#include "generated_pictures.h"
#include "memory_store.h"
#include "metafile.h"
#include "text_measurer_factory.h"
#include "wmf_file.h"
#include "wmf_settings.h"

namespace wmf {
namespace {

class QuietMessages : public UserMessages {
 public:
  void ErrorBox(const std::wstring&) override {}
  void InfoBox(const std::wstring&) override {}
};

struct Fixture {
  MemorySettingsStore store;
  QuietMessages messages;
  WmfSettings settings{store, messages};
  std::unique_ptr<TextMeasurer> measurer = MakeTextMeasurer();
  EngineContext context{messages, *measurer, 32};
  std::vector<uint8_t> bytes;
  WmfPicture picture;

  explicit Fixture(int megabytes) {
    bytes = WritePlaceableWmf(PlaceableHeader{0, 0, 32000, 24000, 1000}, WriteWmf(test::CadPicture(megabytes)));
    std::string error;
    ReadWmf(bytes, picture, error);
  }
  void AllOptionsOn() {
    settings.Crop = 1;
    settings.Rotation = 90;
    settings.Lineoptions = 3;
    settings.Filledoptions = 3;
    settings.RemoveLines = 1;
    settings.RemoveBackground = 1;
    settings.WhiteBlack = 1;
    settings.Widthoptions = 1;
  }
};

Fixture& Picture() {
  static Fixture fixture(12);
  return fixture;
}

void BM_PlainCopy(benchmark::State& state) {
  const std::vector<uint8_t>& bytes = Picture().bytes;
  std::vector<uint8_t> copy(bytes.size());
  for (auto _ : state) {
    std::memcpy(copy.data(), bytes.data(), bytes.size());
    benchmark::DoNotOptimize(copy.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

void BM_Read(benchmark::State& state) {
  const std::vector<uint8_t>& bytes = Picture().bytes;
  for (auto _ : state) {
    WmfPicture picture;
    std::string error;
    benchmark::DoNotOptimize(ReadWmf(bytes, picture, error));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

void BM_CaptureAndAnalyse(benchmark::State& state) {
  Fixture& f = Picture();
  for (auto _ : state) {
    state.PauseTiming();
    WmfPicture copy = f.picture;
    state.ResumeTiming();
    CMetafile captured(MetafilePict{8, 81280, 60960}, std::move(copy), 0, 0, f.context);
    benchmark::DoNotOptimize(captured.extents);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.bytes.size()));
}

void BM_PlayEveryOption(benchmark::State& state) {
  Fixture& f = Picture();
  CMetafile captured(MetafilePict{8, 81280, 60960}, f.picture, 0, 0, f.context);
  f.AllOptionsOn();
  for (auto _ : state) {
    WmfRecorder surface;
    captured.Play(surface, f.settings);
    benchmark::DoNotOptimize(surface.Close());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.bytes.size()));
  state.counters["MB"] = static_cast<double>(f.bytes.size()) / 1e6;
}

// The same drawing as an enhanced metafile.
struct EmfFixture {
  Fixture surroundings{0};
  std::vector<uint8_t> bytes = test::CadEmf(12);
};

EmfFixture& EmfPicture12() {
  static EmfFixture fixture;
  return fixture;
}

EmfPicture ReadOrAbort(const std::vector<uint8_t>& bytes) {
  EmfPicture picture;
  std::string error;
  if (!ReadEmf(bytes, picture, error)) std::abort();
  return picture;
}

void BM_EmfRead(benchmark::State& state) {
  const std::vector<uint8_t>& bytes = EmfPicture12().bytes;
  for (auto _ : state) {
    EmfPicture picture;
    std::string error;
    benchmark::DoNotOptimize(ReadEmf(bytes, picture, error));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

void BM_EmfCaptureAndAnalyse(benchmark::State& state) {
  EmfFixture& f = EmfPicture12();
  for (auto _ : state) {
    state.PauseTiming();
    EmfPicture picture = ReadOrAbort(f.bytes);
    state.ResumeTiming();
    const CEnhMetafile captured(std::move(picture), 0, f.surroundings.context);
    benchmark::DoNotOptimize(captured.extents);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.bytes.size()));
}

void BM_EmfPlayEveryOption(benchmark::State& state) {
  EmfFixture& f = EmfPicture12();
  const CEnhMetafile captured(ReadOrAbort(f.bytes), 0, f.surroundings.context);
  f.surroundings.AllOptionsOn();
  for (auto _ : state) benchmark::DoNotOptimize(captured.Play(f.surroundings.settings).bytes);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.bytes.size()));
  state.counters["MB"] = static_cast<double>(f.bytes.size()) / 1e6;
}

BENCHMARK(BM_PlainCopy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Read)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CaptureAndAnalyse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlayEveryOption)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EmfRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EmfCaptureAndAnalyse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EmfPlayEveryOption)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace wmf

BENCHMARK_MAIN();
