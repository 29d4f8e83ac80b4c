// Whole files read in one piece and replaced in one piece, with the system's
// own words for a failure: the C library's off Windows, the system's error
// texts on Windows.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <vector>

// The content of an existing file; on failure nullopt and the reason.
std::optional<std::vector<uint8_t>> ReadWholeFile(const std::filesystem::path& path, std::wstring& reason);

// A file's content while it is being written: appended piece by piece, and
// bytes written earlier replaced in place (a header whose counts are known
// only at the end). False once writing has failed.
class FileSink {
 public:
  virtual bool Append(std::span<const uint8_t> bytes) = 0;
  virtual bool Overwrite(uint64_t offset, std::span<const uint8_t> bytes) = 0;

 protected:
  ~FileSink() = default;
};

// Writes a file's content into the sink; false when it could not.
using FileProducer = std::function<bool(FileSink& file)>;

// Replaces the file at `path` (or creates it) with what `produce` writes: it
// goes to `path` + ".partial" first, which then takes the file's place, so
// that a failure (a full disk among them) leaves an existing file whole and
// no partial file behind. A read-only file, or one that another program
// holds open without sharing it, is not replaced. On failure returns the
// reason.
std::optional<std::wstring> ReplaceWholeFile(const std::filesystem::path& path, const FileProducer& produce);

// The pieces of a file's content, written one after the other.
using FileParts = std::initializer_list<std::span<const uint8_t>>;

// The same for content already in memory.
inline std::optional<std::wstring> ReplaceWholeFile(const std::filesystem::path& path, FileParts parts) {
  return ReplaceWholeFile(path, [parts](FileSink& file) {
    for (std::span<const uint8_t> part : parts)
      if (!file.Append(part)) return false;
    return true;
  });
}
