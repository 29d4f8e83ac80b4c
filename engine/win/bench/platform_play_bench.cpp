// The platform's own record-by-record path on the same pictures, for
// comparison with the engine: each record of a placeable WMF file is played
// with EnumMetaFile and PlayMetaFileRecord into a recording context
// (CreateMetaFileW), as a program without its own reader would do it.
//   platform_play_bench FILE.wmf...
// prints, for each file, its size in bytes and the best of three plays in
// milliseconds.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "win/gdi_owners.h"

namespace {

int CALLBACK PlayRecord(HDC dc, HANDLETABLE* table, METARECORD* record, int objects, LPARAM) {
  PlayMetaFileRecord(dc, table, record, objects);
  return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  for (int i = 1; i < argc; ++i) {
    std::ifstream in(argv[i], std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), {});
    const size_t skip = bytes.size() > 22 && bytes[0] == 0xD7 && bytes[1] == 0xCD ? 22 : 0;  // the placeable header
    const wmf::win::MetafileOwner picture(SetMetaFileBitsEx(static_cast<UINT>(bytes.size() - skip), bytes.data() + skip));
    if (!picture) {
      std::fwprintf(stderr, L"platform_play_bench: %ls is no picture GDI reads\n", argv[i]);
      return 1;
    }
    double best = 1e300;
    for (int run = 0; run < 3; ++run) {
      const auto start = std::chrono::steady_clock::now();
      HDC recorder = CreateMetaFileW(nullptr);
      EnumMetaFile(recorder, picture.Get(), &PlayRecord, 0);
      const wmf::win::MetafileOwner played(CloseMetaFile(recorder));
      const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
      if (ms < best) best = ms;
    }
    std::printf("%zu\t%.1f\n", bytes.size(), best);
  }
  return 0;
}
