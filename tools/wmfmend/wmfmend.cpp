#include "wmfmend.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <fstream>
#include <iterator>
#include <optional>
#include <ostream>
#include <sstream>
#include <system_error>

#include "ini_file_store.h"
#include "large_buffer.h"
#include "memory_store.h"
#include "embedded_emf.h"
#include "emf_file.h"
#include "enh_metafile.h"
#include "extent_analysis.h"
#include "metafile.h"
#include "options_files.h"
#include "placeable_file.h"
#include "sizing.h"
#include "text_encoding.h"
#include "text_format.h"
#include "text_measurer_factory.h"
#include "whole_file.h"
#include "wmf_settings.h"

namespace {

constexpr double kDefaultUnitsPerInch = 1440;

const char kHelp[] = R"(Usage:
  wmfmend [OPTIONS] INPUT.wmf OUTPUT.wmf   improve a picture and write it as a placeable WMF
  wmfmend --info [OPTIONS] INPUT.wmf       print what the analysis found, as one JSON object
  wmfmend --help                           show this text

The picture is improved exactly as Clipmend improves a picture on the
clipboard and saves it as a WMF file. Settings start from their defaults.

Options:
  --set NAME=VALUE      set one setting by its own name, for example Crop=0,
                        Rotation=90, FixedWidth=0.25, Lineoptions=2; may be
                        repeated; later ones win
  --options FILE        load an options file (.VF3) or import the pen table of
                        a plotter configuration file (any other ending), as
                        "Load Options" does; applied before any --set
  --units-per-inch N    scale of a standard (non-placeable) input; default 1440.
                        A placeable input's own Inch field is used instead
  --pict MM,XEXT,YEXT   read the picture as Clipmend reads it from the
                        clipboard, with this METAFILEPICT: mapping mode (1 text,
                        7 isotropic, 8 anisotropic) and size (0.01 mm for 7
                        and 8, pixels for 1); replaces --units-per-inch
  --cad                 the picture comes from a CAD program (AutoCAD,
                        Autosketch, IntelliCAD), as the clipboard's formats
                        tell Clipmend: its background rectangle and colour
                        numbers are those of the CAD program
  --intellicad          the picture comes from IntelliCAD (palette 8); implies
                        --cad
  --display-bits N      display colour depth for the palette choice; default 32

Settings (NAME: valid values):
)";

const char kTrailer[] = R"(
Exit status: 0 success; 1 the input cannot be read or the output cannot be
written (no output file is left behind); 2 wrong usage.
)";

// Collects the settings' messages for standard error.
class StreamMessages : public UserMessages {
 public:
  explicit StreamMessages(std::ostream& err) : err_(err) {}
  void ErrorBox(const std::wstring& text) override { err_ << "wmfmend: " << ToUtf8(text) << "\n"; }
  void InfoBox(const std::wstring& text) override { err_ << "wmfmend: " << ToUtf8(text) << "\n"; }

 private:
  std::ostream& err_;
};

struct Arguments {
  bool help = false;
  bool info = false;
  bool intelliCad = false;
  bool cad = false;
  std::optional<wmf::MetafilePict> pict;
  int displayBits = 32;
  std::optional<double> unitsPerInch;
  std::optional<std::string> optionsFile;
  std::vector<std::pair<std::string, std::string>> sets;
  std::vector<std::string> files;
};

struct UsageError {
  std::string message;
};

bool ParseWhole(const std::string& text, long& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  value = std::strtol(text.c_str(), &end, 10);
  return errno == 0 && *end == 0;
}

bool ParseNumber(const std::string& text, double& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return *end == 0 && std::isfinite(value);
}

// "MM,XEXT,YEXT", as a METAFILEPICT holds them.
std::optional<wmf::MetafilePict> ParsePict(const std::string& text) {
  long values[3];
  size_t start = 0;
  for (int i = 0; i < 3; ++i) {
    const size_t comma = i < 2 ? text.find(',', start) : text.size();
    if (comma == std::string::npos || !ParseWhole(text.substr(start, comma - start), values[i])) return std::nullopt;
    start = comma + 1;
  }
  if (values[0] != 1 && values[0] != 7 && values[0] != 8) return std::nullopt;
  for (int i = 1; i < 3; ++i)
    if (values[i] < INT32_MIN || values[i] > INT32_MAX) return std::nullopt;
  return wmf::MetafilePict{static_cast<int32_t>(values[0]), static_cast<int32_t>(values[1]),
                           static_cast<int32_t>(values[2])};
}

std::optional<UsageError> ParseArguments(const std::vector<std::string>& args, Arguments& parsed) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&]() -> std::optional<std::string> {
      if (i + 1 >= args.size()) return std::nullopt;
      return args[++i];
    };
    if (arg == "--help" || arg == "-h") {
      parsed.help = true;
    } else if (arg == "--info") {
      parsed.info = true;
    } else if (arg == "--intellicad") {
      parsed.intelliCad = true;
    } else if (arg == "--cad") {
      parsed.cad = true;
    } else if (arg == "--set" || arg == "--options" || arg == "--units-per-inch" || arg == "--display-bits" ||
               arg == "--pict") {
      std::optional<std::string> v = value();
      if (!v) return UsageError{arg + " needs a value"};
      if (arg == "--set") {
        const size_t eq = v->find('=');
        if (eq == std::string::npos || eq == 0) return UsageError{"--set takes NAME=VALUE, not '" + *v + "'"};
        parsed.sets.emplace_back(v->substr(0, eq), v->substr(eq + 1));
      } else if (arg == "--options") {
        parsed.optionsFile = *v;
      } else if (arg == "--pict") {
        parsed.pict = ParsePict(*v);
        if (!parsed.pict)
          return UsageError{"--pict takes MM,XEXT,YEXT: a mapping mode of 1, 7 or 8 and two whole numbers, not '" +
                            *v + "'"};
      } else if (arg == "--units-per-inch") {
        double upi = 0;
        if (!ParseNumber(*v, upi) || upi <= 0) return UsageError{"--units-per-inch takes a number greater than 0, not '" + *v + "'"};
        parsed.unitsPerInch = upi;
      } else {
        long bits = 0;
        if (!ParseWhole(*v, bits) || bits < 1 || bits > 32) return UsageError{"--display-bits takes a whole number from 1 to 32, not '" + *v + "'"};
        parsed.displayBits = static_cast<int>(bits);
      }
    } else if (arg.size() > 1 && arg[0] == '-') {
      return UsageError{"unknown option '" + arg + "'"};
    } else {
      parsed.files.push_back(arg);
    }
  }
  if (parsed.help) return std::nullopt;
  const size_t wanted = parsed.info ? 1 : 2;
  if (parsed.files.size() != wanted)
    return UsageError{parsed.info ? "--info takes one input file" : "give one input and one output file"};
  return std::nullopt;
}

std::string SettingNames() {
  std::string names;
  for (const ScalarSetting& setting : ScalarSettings()) {
    if (!names.empty()) names += ", ";
    names += ToUtf8(setting.name);
  }
  return names;
}

std::optional<UsageError> ApplySetting(WmfSettings& settings, const std::string& name, const std::string& text) {
  const ScalarSetting* setting = FindScalarSetting(FromUtf8(name));
  if (!setting) return UsageError{"unknown setting '" + name + "'; the settings are " + SettingNames()};
  const std::string invalid = "invalid value '" + text + "' for " + ToUtf8(setting->name) + ": the valid values are " +
                              setting->ValidText();
  if (setting->intField) {
    long value = 0;
    if (!ParseWhole(text, value) || !setting->IsValid(static_cast<double>(value))) return UsageError{invalid};
    settings.*setting->intField = static_cast<int>(value);
  } else {
    double value = 0;
    if (!ParseNumber(text, value) || !setting->IsValid(value)) return UsageError{invalid};
    settings.*setting->realField = value;
  }
  return std::nullopt;
}

std::filesystem::path PathOf(const std::string& utf8) {
  return std::filesystem::path(FromUtf8(utf8));
}

// Reads a whole file in one read into words, as the picture keeps them; a
// stream without a size (a pipe) is read as it comes.
bool ReadFileWords(const std::string& name, std::vector<uint16_t>& words, size_t& byteCount, std::string& error) {
  std::ifstream in(PathOf(name), std::ios::binary);
  if (!in) {
    error = std::strerror(errno);
    return false;
  }
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  in.seekg(0, std::ios::beg);
  if (size >= 0 && in) {
    wmf::ReserveLarge(words, (static_cast<size_t>(size) + 1) / 2);
    words.resize((static_cast<size_t>(size) + 1) / 2);
    in.read(reinterpret_cast<char*>(words.data()), size);
    byteCount = static_cast<size_t>(in.gcount());
    if (in.bad() || in.gcount() != size) {
      error = "read error";
      return false;
    }
    return true;
  }
  in.clear();
  const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) {
    error = "read error";
    return false;
  }
  words.resize((bytes.size() + 1) / 2);
  std::memcpy(words.data(), bytes.data(), bytes.size());
  byteCount = bytes.size();
  return true;
}

// The METAFILEPICT that describes a picture read from a file: a placeable
// picture's box at the header's scale (the box is what Inch measures), else
// the window the picture draws in at the file's own scale.
wmf::MetafilePict PictFor(const wmf::WmfPicture& picture, double unitsPerInch) {
  wmf::MetafilePict pict;
  pict.mm = wmf::kMmAnisotropic;
  int64_t width = 0, height = 0;
  if (picture.placeable) {
    width = std::abs(picture.placeable->right - picture.placeable->left);
    height = std::abs(picture.placeable->bottom - picture.placeable->top);
  }
  if (width == 0 || height == 0) {
    const wmf::PictureFrame frame = wmf::FindPictureFrame(picture, pict, false);
    width = frame.size.x;
    height = frame.size.y;
  }
  pict.xExt = static_cast<int32_t>(std::llround(width * 2540.0 / unitsPerInch));
  pict.yExt = static_cast<int32_t>(std::llround(height * 2540.0 / unitsPerInch));
  return pict;
}

std::string JsonNumber(double value) {
  return FormatText("%.10g", value);
}

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

// Whether the picture is taken as a CAD program's, and why.
std::string CadJudgement(const wmf::CMetafile& picture, const Arguments& told) {
  const char* why = told.intelliCad ? "told so (--intellicad)"
                    : told.cad      ? "told so (--cad)"
                    : picture.frame().cad
                        ? "its first drawing is a rectangle from the origin outlined and filled in one colour, as CAD "
                          "programs draw their background"
                        : "told nothing, and its first drawing is no CAD program's background";
  return std::string("{\"judged\":") + (picture.frame().cad ? "true" : "false") + ",\"why\":" + JsonString(why) + "}";
}

void PrintInfo(std::ostream& out, const wmf::CMetafile& picture, const Arguments& told, const WmfSettings& settings,
               wmf::Size output, wmf::Size himetric, size_t outputRecords) {
  const wmf::Rect& e = picture.extents;
  // The copy of the picture as an enhanced metafile that it carries, which the
  // output leaves out.
  const wmf::EmbeddedEmf embedded = wmf::FindEmbeddedEmf(picture.picture().records);
  const wmf::PassState& pass = picture.passState();
  out << "{\"windowExt\":[" << picture.windowExt.x << "," << picture.windowExt.y << "],"
      << "\"extents\":[" << e.minX << "," << e.minY << "," << e.maxX << "," << e.maxY << "],"
      << "\"unitsPerInch\":" << JsonNumber(picture.unitsPerInch) << ","
      << "\"header\":{\"mm\":" << picture.header.mm << ",\"xExt\":" << picture.header.xExt
      << ",\"yExt\":" << picture.header.yExt << "},"
      << "\"placeable\":" << (picture.picture().placeable ? "true" : "false") << ","
      << "\"cad\":" << CadJudgement(picture, told) << ","
      << "\"palette\":" << picture.palette << ","
      << "\"backgroundColor\":" << pass.backgroundColor << ","
      << "\"records\":" << picture.picture().records.size() << ","
      << "\"embeddedEmf\":{\"records\":" << embedded.pieces << ",\"bytes\":" << embedded.bytes.size()
      << ",\"dropped\":" << (embedded.pieces > 0 ? "true" : "false") << "},"
      << "\"output\":{\"w\":" << output.x << ",\"h\":" << output.y
      << ",\"unitsPerInchOut\":" << JsonNumber(pass.unitsPerInchOut) << ",\"xExt\":" << himetric.x
      << ",\"yExt\":" << himetric.y << ",\"records\":" << outputRecords
      << ",\"status\":" << JsonString(ToUtf8(wmf::SizeStatusText(himetric, settings.IsMetric != 0))) << "}}\n";
}

// An enhanced metafile, improved into an enhanced metafile.
int MendEnhanced(const Arguments& parsed, const WmfSettings& settings, wmf::EngineContext& context,
                 std::vector<uint8_t> bytes, std::ostream& out, std::ostream& err) {
  const std::string& input = parsed.files[0];
  wmf::EmfPicture emf;
  std::string error;
  if (!wmf::ReadEmf(std::move(bytes), emf, error)) {
    err << "wmfmend: " << input << " is not a picture wmfmend can read: " << error << "\n";
    return kWmfmendFailed;
  }
  const wmf::CEnhMetafile captured(std::move(emf), parsed.intelliCad ? 1 : 0, context, parsed.cad || parsed.intelliCad);
  if (!captured.Unimprovable().empty()) {
    err << "wmfmend: " << input << " cannot be improved: " << captured.Unimprovable() << "\n";
    return kWmfmendFailed;
  }
  const wmf::CEnhMetafile::Played played = captured.Play(settings);
  const wmf::Size himetric = wmf::PhysicalSize(played.result.output, played.result.unitsPerInch);
  if (parsed.info) {
    const wmf::Rect& e = captured.extents;
    const wmf::EmfRect& f = captured.picture().header.frame;
    out << "{\"format\":\"EMF\",\"frame\":[" << f.left << "," << f.top << "," << f.right << "," << f.bottom << "],"
        << "\"extents\":[" << e.minX << "," << e.minY << "," << e.maxX << "," << e.maxY << "],"
        << "\"cad\":{\"judged\":" << (captured.fromCad ? "true" : "false") << ",\"why\":"
        << JsonString(captured.fromCad ? (parsed.intelliCad ? "told so (--intellicad)" : "told so (--cad)") : "told nothing")
        << "},\"palette\":" << captured.palette << ",\"backgroundColor\":" << captured.backgroundColor
        << ",\"records\":" << captured.picture().size() << ",\"output\":{\"xExt\":" << himetric.x
        << ",\"yExt\":" << himetric.y << ",\"bytes\":" << played.bytes.size()
        << ",\"status\":" << JsonString(ToUtf8(wmf::SizeStatusText(himetric, settings.IsMetric != 0))) << "}}\n";
    return kWmfmendOk;
  }
  const std::string& target = parsed.files[1];
  if (const std::optional<std::wstring> reason = ReplaceWholeFile(PathOf(target), {played.bytes})) {
    err << "wmfmend: cannot write " << target << ": " << ToUtf8(*reason) << "\n";
    return kWmfmendFailed;
  }
  return kWmfmendOk;
}

}  // namespace

int RunWmfmend(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Arguments parsed;
  if (std::optional<UsageError> usage = ParseArguments(args, parsed)) {
    err << "wmfmend: " << usage->message << "\nTry 'wmfmend --help'.\n";
    return kWmfmendUsage;
  }
  if (parsed.help) {
    out << kHelp;
    for (const ScalarSetting& setting : ScalarSettings())
      out << "  " << ToUtf8(setting.name) << ": " << setting.ValidText() << "\n";
    out << kTrailer;
    return kWmfmendOk;
  }

  MemorySettingsStore registry;  // no registry here: every setting starts at its default
  StreamMessages messages(err);
  IniFileStore store(registry, messages);
  WmfSettings settings(store, messages);
  std::string error;
  if (parsed.optionsFile) {
    // Loading itself takes a missing file for one without values; here a
    // wrong name must not pass unnoticed.
    std::wstring reason;
    if (!ReadWholeFile(PathOf(*parsed.optionsFile), reason)) {
      err << "wmfmend: cannot read options file " << *parsed.optionsFile << ": " << ToUtf8(reason) << "\n";
      return kWmfmendFailed;
    }
    ReadOptionsFile(settings, FromUtf8(*parsed.optionsFile));
  }
  for (const auto& [name, value] : parsed.sets) {
    if (std::optional<UsageError> usage = ApplySetting(settings, name, value)) {
      err << "wmfmend: " << usage->message << "\n";
      return kWmfmendUsage;
    }
  }

  const std::string& input = parsed.files[0];
  std::vector<uint16_t> words;
  size_t byteCount = 0;
  if (!ReadFileWords(input, words, byteCount, error)) {
    err << "wmfmend: cannot read " << input << ": " << error << "\n";
    return kWmfmendFailed;
  }
  std::unique_ptr<wmf::TextMeasurer> measurer = wmf::MakeTextMeasurer();
  wmf::EngineContext context{messages, *measurer, parsed.displayBits};
  const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(words.data()), byteCount);
  if (wmf::LooksLikeEmf(bytes)) {
    std::vector<uint8_t> emf(bytes.begin(), bytes.end());
    std::vector<uint16_t>().swap(words);  // one copy of the picture at a time, beside the improved one
    return MendEnhanced(parsed, settings, context, std::move(emf), out, err);
  }
  wmf::WmfPicture picture;
  if (!wmf::ReadWmf(std::move(words), byteCount, picture, error)) {
    err << "wmfmend: " << input << " is not a picture wmfmend can read: " << error << "\n";
    return kWmfmendFailed;
  }

  double unitsPerInch = parsed.unitsPerInch.value_or(kDefaultUnitsPerInch);
  if (picture.placeable && picture.placeable->inch > 0) unitsPerInch = picture.placeable->inch;
  const wmf::MetafilePict pict = parsed.pict.value_or(PictFor(picture, unitsPerInch));

  wmf::CMetafile captured(pict, std::move(picture), 0, parsed.intelliCad ? 1 : 0, context,
                          parsed.cad || parsed.intelliCad);
  if (parsed.info) {
    wmf::WmfRecorder surface;
    const auto [output, scale, jobs] = captured.Play(surface, settings);
    PrintInfo(out, captured, parsed, settings, output, wmf::PhysicalSize(output, scale), surface.RecordCount());
    return kWmfmendOk;
  }
  const std::string& target = parsed.files[1];
  if (const std::optional<std::wstring> reason =
          ReplaceWholeFile(PathOf(target), [&](FileSink& file) { return wmf::PlayToFile(captured, settings, file).written; })) {
    err << "wmfmend: cannot write " << target << ": " << ToUtf8(*reason) << "\n";
    return kWmfmendFailed;
  }
  return kWmfmendOk;
}
