// Writes the help pages' drawings into a folder:
//   make_help_drawings OUTPUT-FOLDER
#include <filesystem>
#include <fstream>
#include <iostream>

#include "help_drawings.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::cerr << "Usage: make_help_drawings OUTPUT-FOLDER\n";
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  for (const help::HelpDrawing& drawing : help::HelpDrawings()) {
    const std::filesystem::path path = folder / drawing.fileName;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(drawing.bytes.data()), static_cast<std::streamsize>(drawing.bytes.size()));
    if (!out.flush()) {
      std::cerr << "make_help_drawings: cannot write " << path.string() << "\n";
      return 1;
    }
  }
  return 0;
}
