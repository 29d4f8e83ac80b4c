// The check of every fuzz target: it stops the run with a message, and
// libFuzzer keeps the input as a finding.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                                     \
  do {                                                                                            \
    if (!(condition)) {                                                                           \
      std::fprintf(stderr, "fuzz check failed at %s:%d: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                               \
    }                                                                                             \
  } while (0)
