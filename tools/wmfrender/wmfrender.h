// wmfrender: pictures for the help pages, improved by wmfmend's engine and
// drawn by the system's metafile player into bitmap files.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

// One line of a job list:
//   OUTPUT.bmp WIDTHxHEIGHT INPUT.wmf [wmfmend options...]
// or, for the picture as the CAD program made it,
//   OUTPUT.bmp WIDTHxHEIGHT INPUT.wmf --as-is
// The picture is drawn whole, as large as fits in WIDTH x HEIGHT pixels.
struct RenderJob {
  std::string output;
  int maxWidth = 0, maxHeight = 0;
  std::string input;
  std::vector<std::string> options;  // wmfmend's options; none: its defaults
  bool asIs = false;
};

// The job on one line; nothing for an empty line or a comment (#), and
// nothing with `error` set for a line that is not a job.
std::optional<RenderJob> ParseRenderJob(const std::string& line, std::string& error);

// Draws a placeable WMF file into `output` (a 24-bit BMP file): white
// ground, MM_ANISOTROPIC with the file's frame as window and the whole
// bitmap as viewport, then PlayMetaFile.
bool RenderPlaceableFile(const std::vector<uint8_t>& bytes, int maxWidth, int maxHeight,
                         const std::filesystem::path& output, std::string& error);

// Runs one job: inputs are read from `inputDir`, bitmaps written to
// `outputDir`. Failures are reported to `err`.
bool RunRenderJob(const RenderJob& job, const std::filesystem::path& inputDir, const std::filesystem::path& outputDir,
                  std::ostream& err);

// Runs every job of a list; 0 when all succeeded, 1 otherwise (every job
// is tried, every failure reported).
int RunWmfrender(const std::filesystem::path& jobFile, const std::filesystem::path& inputDir,
                 const std::filesystem::path& outputDir, std::ostream& err);
