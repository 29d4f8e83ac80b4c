#include <iostream>

#include "wmfrender.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) {
    std::cerr << "Usage: wmfrender JOB-LIST INPUT-FOLDER OUTPUT-FOLDER\n";
    return 2;
  }
  return RunWmfrender(argv[1], argv[2], argv[3], std::cerr);
}
