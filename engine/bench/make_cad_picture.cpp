// Writes a generated CAD-like picture of about the given size as a
// placeable WMF file, for measuring whole programs on it:
//   make_cad_picture MEGABYTES OUT.wmf     (0: a few kilobytes)
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "generated_pictures.h"
#include "wmf_file.h"

int main(int argc, char** argv) {
  const int megabytes = argc == 3 ? std::atoi(argv[1]) : -1;
  if (megabytes < 0) {
    std::fprintf(stderr, "usage: make_cad_picture MEGABYTES OUT.wmf\n");
    return 2;
  }
  const std::vector<uint8_t> bytes = wmf::WritePlaceableWmf(wmf::PlaceableHeader{0, 0, 32000, 24000, 1000},
                                                            wmf::WriteWmf(wmf::test::CadPicture(megabytes)));
  std::ofstream out(argv[2], std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) {
    std::fprintf(stderr, "make_cad_picture: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
