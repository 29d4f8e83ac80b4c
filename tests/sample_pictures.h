// The sample pictures made by other programs. They are kept outside the
// repository (CMake's CLIPMEND_CORPUS_DIR), so a test that reads them starts
// with CLIPMEND_SKIP_WITHOUT_SAMPLE_PICTURES() and is reported as skipped,
// with the reason, when they are not there.
#pragma once

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace wmf::test {

inline std::filesystem::path CorpusDir() { return CLIPMEND_CORPUS_DIR; }

// Why the sample pictures cannot be read; nothing when they can.
inline std::optional<std::string> SamplePicturesMissing() {
  std::error_code error;
  if (std::filesystem::is_directory(CorpusDir(), error)) return std::nullopt;
  return "sample pictures not found at " + CorpusDir().string() +
         "; give their folder with -DCLIPMEND_CORPUS_DIR=...";
}

// Every sample picture, by name; none when the folder is missing.
inline std::vector<std::filesystem::path> ReadableCorpus() {
  std::vector<std::filesystem::path> files;
  if (SamplePicturesMissing()) return files;
  for (const auto& entry : std::filesystem::directory_iterator(CorpusDir()))
    if (entry.path().extension() == ".wmf") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace wmf::test

// Ends the current test as skipped, saying why, when the sample pictures are
// missing.
#define CLIPMEND_SKIP_WITHOUT_SAMPLE_PICTURES()                                     \
  if (const auto clipmend_samples_missing = ::wmf::test::SamplePicturesMissing()) \
  GTEST_SKIP() << *clipmend_samples_missing
