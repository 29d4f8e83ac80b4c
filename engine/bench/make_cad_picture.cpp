// Writes a generated CAD-like picture of about the given size, for measuring
// whole programs on it: a placeable WMF file, or an enhanced metafile when
// the output's name ends in ".emf":
//   make_cad_picture MEGABYTES OUT.wmf|OUT.emf     (0: a few kilobytes)
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "generated_pictures.h"
#include "wmf_file.h"

int main(int argc, char** argv) {
  const int megabytes = argc == 3 ? std::atoi(argv[1]) : -1;
  if (megabytes < 0) {
    std::fprintf(stderr, "usage: make_cad_picture MEGABYTES OUT.wmf|OUT.emf\n");
    return 2;
  }
  const std::string name = argv[2];
  const bool enhanced = name.size() >= 4 && name.compare(name.size() - 4, 4, ".emf") == 0;
  const std::vector<uint8_t> bytes =
      enhanced ? wmf::test::CadEmf(megabytes)
               : wmf::WritePlaceableWmf(wmf::PlaceableHeader{0, 0, 32000, 24000, 1000},
                                        wmf::WriteWmf(wmf::test::CadPicture(megabytes)));
  std::ofstream out(name, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) {
    std::fprintf(stderr, "make_cad_picture: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
