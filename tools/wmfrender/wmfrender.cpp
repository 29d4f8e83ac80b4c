// wmfrender: draws pictures for the help pages. Each job improves a sample
// picture with wmfmend's own options (or takes it as it is) and draws the
// result with the system's metafile player into a bitmap file, as a word
// processor draws a pasted picture. All jobs run in one process, so that a
// whole set of pictures costs one start of the program.
#include "wmfrender.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <sstream>

#include "wmf_file.h"
#include "wmfmend.h"

// <windows.h> after the engine's headers, which name records like its macros.
#include "win/gdi_owners.h"

namespace {

constexpr char kAsIs[] = "--as-is";
constexpr char kPartialSuffix[] = ".wmfrender.wmf";

bool ReadBytes(const std::filesystem::path& path, std::vector<uint8_t>& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

// A 24-bit bottom-up BMP file of the top-down 32-bit pixels.
bool WriteBmp(const std::filesystem::path& path, int width, int height, const uint32_t* pixels) {
  const uint32_t stride = (static_cast<uint32_t>(width) * 3 + 3) / 4 * 4;
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biSizeImage = stride * static_cast<uint32_t>(height);
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + info.biSizeImage;
  std::vector<uint8_t> rows(info.biSizeImage);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = rows.data() + static_cast<size_t>(height - 1 - y) * stride;
    for (int x = 0; x < width; ++x) {
      const uint32_t p = pixels[static_cast<size_t>(y) * width + x];
      row[3 * x] = p & 0xFF;
      row[3 * x + 1] = (p >> 8) & 0xFF;
      row[3 * x + 2] = (p >> 16) & 0xFF;
    }
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&info), sizeof info);
  out.write(reinterpret_cast<const char*>(rows.data()), static_cast<std::streamsize>(rows.size()));
  out.close();
  return static_cast<bool>(out);
}

}  // namespace

std::optional<RenderJob> ParseRenderJob(const std::string& line, std::string& error) {
  std::istringstream in(line);
  std::vector<std::string> words{std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
  if (words.empty() || words[0][0] == '#') return std::nullopt;
  if (words.size() < 3) {
    error = "a job needs an output file, a size and an input file: '" + line + "'";
    return std::nullopt;
  }
  RenderJob job;
  job.output = words[0];
  char x = 0;
  std::istringstream size(words[1]);
  if (!(size >> job.maxWidth >> x >> job.maxHeight) || x != 'x' || !size.eof() || job.maxWidth < 1 ||
      job.maxHeight < 1 || job.maxWidth > 4000 || job.maxHeight > 4000) {
    error = "the size is WIDTHxHEIGHT in pixels, 1 to 4000, not '" + words[1] + "'";
    return std::nullopt;
  }
  job.input = words[2];
  job.options.assign(words.begin() + 3, words.end());
  job.asIs = job.options.size() == 1 && job.options[0] == kAsIs;
  if (job.asIs) job.options.clear();
  return job;
}

bool RenderPlaceableFile(const std::vector<uint8_t>& bytes, int maxWidth, int maxHeight,
                         const std::filesystem::path& output, std::string& error) {
  wmf::WmfPicture picture;
  if (!wmf::ReadWmf(bytes, picture, error)) return false;
  if (!picture.placeable) {
    error = "not a placeable picture: it has no frame to draw it in";
    return false;
  }
  const wmf::PlaceableHeader& frame = *picture.placeable;
  const int frameWidth = frame.right - frame.left, frameHeight = frame.bottom - frame.top;
  if (frameWidth == 0 || frameHeight == 0) {
    error = "the picture's frame is empty";
    return false;
  }
  // The whole frame, its proportions kept, in the largest image that fits.
  const double scale = std::min(static_cast<double>(maxWidth) / std::abs(frameWidth),
                                static_cast<double>(maxHeight) / std::abs(frameHeight));
  const int width = std::max(1, static_cast<int>(std::lround(std::abs(frameWidth) * scale)));
  const int height = std::max(1, static_cast<int>(std::lround(std::abs(frameHeight) * scale)));

  wmf::win::DcOwner dc(CreateCompatibleDC(nullptr));
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  wmf::win::GdiObjectOwner<HBITMAP> bitmap(CreateDIBSection(dc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!dc || !bitmap) {
    error = "no bitmap of " + std::to_string(width) + " x " + std::to_string(height) + " pixels";
    return false;
  }
  wmf::win::SelectionRestorer selection(dc.Get(), bitmap.Get());
  RECT all{0, 0, width, height};
  FillRect(dc.Get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));

  constexpr size_t kPlaceableHeaderSize = 22;
  const wmf::win::MetafileOwner metafile(SetMetaFileBitsEx(static_cast<UINT>(bytes.size() - kPlaceableHeaderSize),
                                                            bytes.data() + kPlaceableHeaderSize));
  if (!metafile) {
    error = "the system's metafile player refuses the picture";
    return false;
  }
  SetMapMode(dc.Get(), MM_ANISOTROPIC);
  SetWindowOrgEx(dc.Get(), frame.left, frame.top, nullptr);
  SetWindowExtEx(dc.Get(), frameWidth, frameHeight, nullptr);
  SetViewportExtEx(dc.Get(), width, height, nullptr);
  PlayMetaFile(dc.Get(), metafile.Get());
  GdiFlush();

  if (!WriteBmp(output, width, height, static_cast<const uint32_t*>(bits))) {
    error = "cannot write " + output.string();
    return false;
  }
  return true;
}

bool RunRenderJob(const RenderJob& job, const std::filesystem::path& inputDir, const std::filesystem::path& outputDir,
                  std::ostream& err) {
  const std::filesystem::path input = inputDir / job.input;
  const std::filesystem::path output = outputDir / job.output;
  std::filesystem::path picturePath = input;
  if (!job.asIs) {
    // The picture improved exactly as wmfmend improves it.
    picturePath = outputDir / (job.output + kPartialSuffix);
    std::vector<std::string> args = job.options;
    args.push_back(input.string());
    args.push_back(picturePath.string());
    if (RunWmfmend(args, err, err) != kWmfmendOk) {
      err << "wmfrender: " << job.output << ": wmfmend failed\n";
      return false;
    }
  }
  std::vector<uint8_t> bytes;
  std::string error;
  const bool read = ReadBytes(picturePath, bytes);
  if (!job.asIs) std::filesystem::remove(picturePath);
  if (!read) {
    err << "wmfrender: cannot read " << picturePath.string() << "\n";
    return false;
  }
  if (!RenderPlaceableFile(bytes, job.maxWidth, job.maxHeight, output, error)) {
    err << "wmfrender: " << job.output << ": " << error << "\n";
    return false;
  }
  return true;
}

int RunWmfrender(const std::filesystem::path& jobFile, const std::filesystem::path& inputDir,
                 const std::filesystem::path& outputDir, std::ostream& err) {
  std::ifstream in(jobFile);
  if (!in) {
    err << "wmfrender: cannot read the job list " << jobFile.string() << "\n";
    return 1;
  }
  std::filesystem::create_directories(outputDir);
  int failures = 0, jobs = 0;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    std::string error;
    std::optional<RenderJob> job = ParseRenderJob(line, error);
    if (!job) {
      if (!error.empty()) {
        err << "wmfrender: " << jobFile.string() << ":" << number << ": " << error << "\n";
        ++failures;
      }
      continue;
    }
    ++jobs;
    if (!RunRenderJob(*job, inputDir, outputDir, err)) ++failures;
  }
  if (jobs == 0 && failures == 0) {
    err << "wmfrender: the job list " << jobFile.string() << " has no jobs\n";
    return 1;
  }
  return failures == 0 ? 0 : 1;
}
