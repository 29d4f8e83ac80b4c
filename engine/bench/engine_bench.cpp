// Speed of the picture engine on large generated CAD-like pictures: reading,
// the analysis at capture, and a full play with every option on, next to a
// plain copy of the same bytes.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <random>

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

void Add(std::vector<WmfRecord>& out, uint16_t function, std::initializer_list<int> params) {
  WmfRecord& r = out.emplace_back();
  r.function = function;
  for (int p : params) r.params.push_back(static_cast<uint16_t>(p));
}

// A 24-bit bitmap of `side` × `side` pixels in a META_STRETCHDIB.
void AddBitmap(std::vector<WmfRecord>& out, int x, int y, int side) {
  WmfRecord& r = out.emplace_back();
  r.function = META_STRETCHDIB;
  const int w = side, h = side;
  r.params = {0x0020, 0x00CC, 0, static_cast<uint16_t>(h), static_cast<uint16_t>(w), 0, 0,
              static_cast<uint16_t>(h), static_cast<uint16_t>(w), static_cast<uint16_t>(y), static_cast<uint16_t>(x)};
  const uint32_t stride = (24 * w + 31) / 32 * 4;
  const uint32_t image = stride * h;
  const uint32_t header[10] = {40, static_cast<uint32_t>(w), static_cast<uint32_t>(h), 1 | (24u << 16), 0, image, 0, 0, 0, 0};
  for (uint32_t v : header) {
    r.params.push_back(static_cast<uint16_t>(v));
    r.params.push_back(static_cast<uint16_t>(v >> 16));
  }
  for (uint32_t i = 0; i < image / 2; ++i) r.params.push_back(static_cast<uint16_t>(i * 2654435761u >> 7));
}

// About `megabytes` of what a CAD program puts on the clipboard: a
// background, pens and brushes per colour, polylines, filled polygons with
// their outlines, texts, nested blocks and a few large bitmaps.
std::vector<WmfRecord> CadPicture(int megabytes) {
  std::mt19937 random(7);
  auto coordinate = [&] { return static_cast<int>(random() % 30000) + 100; };
  std::vector<WmfRecord> out;
  Add(out, META_SETWINDOWORG, {0, 0});
  Add(out, META_SETWINDOWEXT, {24000, 32000});
  Add(out, META_CREATEPENINDIRECT, {0, 0, 0, 0, 0});
  Add(out, META_SELECTOBJECT, {0});
  Add(out, META_RECTANGLE, {24000, 32000, 0, 0});
  Add(out, META_CREATEFONTINDIRECT, {-120, 0, 0, 0, 400, 0, 0, 0, 0x7241, 0x6169, 0x006C});
  Add(out, META_SELECTOBJECT, {1});
  Add(out, META_SETTEXTALIGN, {24});
  for (int bitmap = 0; bitmap < 3; ++bitmap) AddBitmap(out, 1000 + bitmap * 5000, 2000, 600);

  size_t words = 0;
  for (const WmfRecord& r : out) words += r.SizeWords();
  const size_t target = static_cast<size_t>(megabytes) * 1024 * 1024 / 2;
  int colour = 1;
  while (words < target) {
    const uint32_t rgb = 0x000000FFu << (8 * (colour % 3));
    colour++;
    const size_t before = out.size();
    Add(out, META_CREATEPENINDIRECT, {0, 1, 0, static_cast<int>(rgb & 0xFFFF), static_cast<int>(rgb >> 16)});
    Add(out, META_SELECTOBJECT, {2});
    Add(out, META_CREATEBRUSHINDIRECT, {0, static_cast<int>(rgb & 0xFFFF), static_cast<int>(rgb >> 16), 0});
    Add(out, META_SELECTOBJECT, {3});
    for (int i = 0; i < 40; ++i) {
      WmfRecord& line = out.emplace_back();
      line.function = META_POLYLINE;
      const int points = 2 + static_cast<int>(random() % 30);
      line.params.push_back(static_cast<uint16_t>(points));
      for (int p = 0; p < 2 * points; ++p) line.params.push_back(static_cast<uint16_t>(coordinate()));
    }
    for (int i = 0; i < 10; ++i) {
      WmfRecord polygon{META_POLYGON, {4}};
      for (int p = 0; p < 8; ++p) polygon.params.push_back(static_cast<uint16_t>(coordinate()));
      WmfRecord outline{META_POLYLINE, {5}};
      outline.params.insert(outline.params.end(), polygon.params.begin() + 1, polygon.params.end());
      outline.params.push_back(polygon.params[1]);
      outline.params.push_back(polygon.params[2]);
      out.push_back(polygon);
      out.push_back(outline);
    }
    for (int i = 0; i < 10; ++i) {
      Add(out, META_EXTTEXTOUT, {coordinate(), coordinate(), 12, 0, 0x6944, 0x656D, 0x736E, 0x6F69, 0x206E, 0x3231});
    }
    // A nested block, as an inserted drawing.
    Add(out, META_SAVEDC, {});
    Add(out, META_SETWINDOWORG, {-200, -300});
    Add(out, META_SETWINDOWEXT, {12000, 16000});
    Add(out, META_MOVETO, {coordinate(), coordinate()});
    Add(out, META_LINETO, {coordinate(), coordinate()});
    Add(out, META_RESTOREDC, {-1});
    Add(out, META_SELECTOBJECT, {0});
    Add(out, META_DELETEOBJECT, {2});
    Add(out, META_DELETEOBJECT, {3});
    for (size_t i = before; i < out.size(); ++i) words += out[i].SizeWords();
  }
  return out;
}

struct Fixture {
  MemorySettingsStore store;
  QuietMessages messages;
  WmfSettings settings{store, messages};
  std::unique_ptr<TextMeasurer> measurer = MakeTextMeasurer();
  EngineContext context{settings, messages, *measurer, 32};
  std::vector<uint8_t> bytes;
  WmfPicture picture;

  explicit Fixture(int megabytes) {
    bytes = WritePlaceableWmf(PlaceableHeader{0, 0, 32000, 24000, 1000}, WriteWmf(CadPicture(megabytes)));
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
    captured.Play(surface);
    benchmark::DoNotOptimize(surface.Close());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.bytes.size()));
  state.counters["MB"] = static_cast<double>(f.bytes.size()) / 1e6;
}

BENCHMARK(BM_PlainCopy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Read)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CaptureAndAnalyse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlayEveryOption)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace wmf

BENCHMARK_MAIN();
