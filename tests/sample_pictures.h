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
inline std::filesystem::path EmfCorpusDir() { return CLIPMEND_EMF_CORPUS_DIR; }

// Why the sample pictures in `dir` cannot be read; nothing when they can.
inline std::optional<std::string> SamplesMissingIn(const std::filesystem::path& dir, const char* option) {
  std::error_code error;
  if (std::filesystem::is_directory(dir, error)) return std::nullopt;
  return "sample pictures not found at " + dir.string() + "; give their folder with -D" + option + "=...";
}

inline std::optional<std::string> SamplePicturesMissing() {
  return SamplesMissingIn(CorpusDir(), "CLIPMEND_CORPUS_DIR");
}
inline std::optional<std::string> EmfSamplesMissing() {
  return SamplesMissingIn(EmfCorpusDir(), "CLIPMEND_EMF_CORPUS_DIR");
}

// Every file of `dir` ending in `extension`, by name; none when the folder is
// missing.
inline std::vector<std::filesystem::path> FilesIn(const std::filesystem::path& dir, const char* extension) {
  std::vector<std::filesystem::path> files;
  std::error_code error;
  if (!std::filesystem::is_directory(dir, error)) return files;
  for (const auto& entry : std::filesystem::directory_iterator(dir))
    if (entry.path().extension() == extension) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

// Every sample picture, by name; none when the folder is missing.
inline std::vector<std::filesystem::path> ReadableCorpus() { return FilesIn(CorpusDir(), ".wmf"); }
inline std::vector<std::filesystem::path> EmfCorpus() { return FilesIn(EmfCorpusDir(), ".emf"); }

}  // namespace wmf::test

// Ends the current test as skipped, saying why, when the sample pictures are
// missing.
#define CLIPMEND_SKIP_WITHOUT_SAMPLE_PICTURES()                                     \
  if (const auto clipmend_samples_missing = ::wmf::test::SamplePicturesMissing()) \
  GTEST_SKIP() << *clipmend_samples_missing

// The same for the sample enhanced metafiles.
#define CLIPMEND_SKIP_WITHOUT_EMF_SAMPLES()                                      \
  if (const auto clipmend_emf_missing = ::wmf::test::EmfSamplesMissing()) \
  GTEST_SKIP() << *clipmend_emf_missing
