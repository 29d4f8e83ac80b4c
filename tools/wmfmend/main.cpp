#include <iostream>
#include <string>
#include <vector>

#include "text_encoding.h"
#include "wmfmend.h"

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(ToUtf8(argv[i]));
  return RunWmfmend(args, std::cout, std::cerr);
}
#else
int main(int argc, char** argv) {
  return RunWmfmend(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
#endif
