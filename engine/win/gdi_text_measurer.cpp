#include "gdi_text_measurer.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

#include "win/gdi_owners.h"
#include "text_measurer_factory.h"

namespace wmf {
namespace {

LOGFONTW ToLogFontW(const LogFont& font) {
  LOGFONTW result{};
  result.lfHeight = font.height;
  result.lfWidth = font.width;
  result.lfWeight = font.weight;
  result.lfItalic = font.italic;
  result.lfUnderline = font.underline;
  result.lfStrikeOut = font.strikeOut;
  result.lfCharSet = font.charSet;
  result.lfOutPrecision = font.outPrecision;
  result.lfClipPrecision = font.clipPrecision;
  result.lfQuality = font.quality;
  result.lfPitchAndFamily = font.pitchAndFamily;
  // The record holds up to 32 bytes without a terminator; LOGFONTW has room
  // for 31 characters and the zero.
  const int length = static_cast<int>(std::min<size_t>(font.faceName.size(), LF_FACESIZE - 1));
  if (length > 0) MultiByteToWideChar(CP_ACP, 0, font.faceName.data(), length, result.lfFaceName, LF_FACESIZE - 1);
  return result;
}

struct MeasuringFont {
  win::FontOwner font;
  int32_t height = 0;  // tmHeight
  int32_t ascent = 0;  // tmAscent
};

}  // namespace

class GdiTextMeasurer::Impl {
 public:
  // A display DC, or a memory DC like the display's when there is no display
  // driver; both are in MM_TEXT.
  Impl() : dc_(CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr)) {
    if (!dc_) dc_ = win::DcOwner(CreateCompatibleDC(nullptr));
  }

  TextExtent Measure(const LogFont& font, std::string_view text) {
    if (!dc_) return TextExtent{};
    const MeasuringFont& measuring = Select(font);
    SIZE size{};
    GetTextExtentPoint32A(dc_.Get(), text.data(), static_cast<int>(text.size()), &size);
    return TextExtent{size.cx, measuring.height, measuring.ascent};
  }

 private:
  const MeasuringFont& Select(const LogFont& font) {
    LogFont key = font;
    key.escapement = key.orientation = 0;
    if (selected_ && key == selectedKey_) return *selected_;
    auto found = fonts_.find(key);
    const bool created = found == fonts_.end();
    if (created) {
      const LOGFONTW logFont = ToLogFontW(key);
      found = fonts_.emplace(key, MeasuringFont{win::FontOwner(CreateFontIndirectW(&logFont))}).first;
    }
    MeasuringFont& measuring = found->second;
    // A font GDI refused leaves the last one selected.
    if (measuring.font && !selection_) selection_.emplace(dc_.Get(), measuring.font.Get());
    else if (measuring.font) selection_->Select(measuring.font.Get());
    if (created) {
      TEXTMETRICW metrics{};
      if (GetTextMetricsW(dc_.Get(), &metrics)) {
        measuring.height = metrics.tmHeight;
        measuring.ascent = metrics.tmAscent;
      }
    }
    selectedKey_ = key;
    selected_ = &measuring;
    return measuring;
  }

  // Declared in this order so that the DC's own font is selected back before
  // the fonts are deleted, and the fonts before the DC.
  win::DcOwner dc_;
  std::unordered_map<LogFont, MeasuringFont, LogFontHash> fonts_;
  std::optional<win::SelectionRestorer> selection_;
  LogFont selectedKey_;
  const MeasuringFont* selected_ = nullptr;
};

GdiTextMeasurer::GdiTextMeasurer() : impl_(std::make_unique<Impl>()) {}
GdiTextMeasurer::~GdiTextMeasurer() = default;

TextExtent GdiTextMeasurer::Measure(const LogFont& font, std::string_view text) { return impl_->Measure(font, text); }

std::unique_ptr<TextMeasurer> MakeTextMeasurer() { return std::make_unique<GdiTextMeasurer>(); }

}  // namespace wmf
