#include "wmf_settings.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cwchar>
#include <cwctype>
#include <iterator>
#include <string>
#include <vector>

#include "program_version.h"
#include "text_format.h"

std::vector<std::wstring> NamesByColorNumber(const std::wstring& prefix) {
  std::vector<std::wstring> names(kColorNumbers);
  for (int c = 1; c < kColorNumbers; ++c) names[c] = prefix + std::to_wstring(c);
  return names;
}

namespace {

constexpr wchar_t kOptions[] = L"Options";
constexpr wchar_t kPreferences[] = L"Preferences";
constexpr wchar_t kHeaderSection[] = L"Velloform";
constexpr wchar_t kStatistics[] = L"Statistics";
constexpr wchar_t kVersionSection[] = L"V" VELLOFORM_VERSION_COMMAS;
// The sections of the colour table, made once: a transfer passes them 800
// times.
struct ColorSections {
  std::wstring width = L"Options\\Width";
  std::wstring lineColor = L"Options\\LineColor";
  std::wstring fillColor = L"Options\\FillColor";
};
const ColorSections& ColorSection() {
  static const ColorSections sections;
  return sections;
}
constexpr double kDefaultEntryWidth = 0.01;

#define INT_SETTING(name, section, value, rule) \
  {L## #name, section, &WmfSettings::name, nullptr, value, SettingRule::rule}
#define REAL_SETTING(name, value, rule) \
  {L## #name, kOptions, nullptr, &WmfSettings::name, value, SettingRule::rule}

const ScalarSetting kScalarSettings[] = {
    INT_SETTING(Crop, kOptions, 1, Bool),
    INT_SETTING(Tilemode, kOptions, 1, Bool),
    INT_SETTING(Paperlast, kOptions, 1, Bool),
    INT_SETTING(LeaveMargin, kOptions, 1, Bool),
    INT_SETTING(RemoveBackground, kOptions, 1, Bool),
    INT_SETTING(WhiteBlack, kOptions, 1, Bool),
    INT_SETTING(RemoveLines, kOptions, 0, Bool),
    INT_SETTING(MakeBlack, kOptions, 0, Bool),
    INT_SETTING(Lineoptions, kOptions, 0, UpTo3),
    INT_SETTING(Filledoptions, kOptions, 0, UpTo3),
    INT_SETTING(Widthoptions, kOptions, 0, UpTo3),
    INT_SETTING(Outlinestoo, kOptions, 0, Bool),
    INT_SETTING(Rotation, kOptions, 0, Rotation),
    INT_SETTING(IsMetric, kPreferences, 0, Bool),
    INT_SETTING(AskTilemode, kPreferences, 1, Bool),
    INT_SETTING(ReplaceCopyclip, kPreferences, 0, Bool),
    INT_SETTING(Tooltip, kPreferences, 1, Bool),
    INT_SETTING(PopupSaveas, kPreferences, 0, Bool),
    INT_SETTING(StartWithOptions, kPreferences, 1, Bool),
    INT_SETTING(AutoModify, kPreferences, 1, UpTo3),
    INT_SETTING(oPalette, kPreferences, 0, UpTo8),
    INT_SETTING(ForcedPalette, kPreferences, -1, PaletteOrNone),
    REAL_SETTING(Margin, 0.5, AtLeastZero),
    REAL_SETTING(FixedWidth, 0.01, AtLeastZero),
    REAL_SETTING(Percentage, 100, AboveZero),
    REAL_SETTING(PictureWidth, 6, AboveZero),
    REAL_SETTING(PictureHeight, 9, AboveZero),
    REAL_SETTING(WMFScale, 1, AboveZero),
    REAL_SETTING(DrawingScale, 1, AboveZero),
    // Added after the fixed order of the first files, so that they keep it.
    INT_SETTING(ImproveEmf, kPreferences, 1, Bool),
};

#undef INT_SETTING
#undef REAL_SETTING

// "Color1" to "Color255", by colour number, made once.
const std::wstring& ColorValueName(int colorNumber) {
  static const std::vector<std::wstring> names = NamesByColorNumber(L"Color");
  return names[colorNumber];
}

// The section and name of each scalar setting, in the order of the table.
struct ScalarKey {
  std::wstring section, name;
};
const std::vector<ScalarKey>& ScalarKeys() {
  static const std::vector<ScalarKey> keys = [] {
    std::vector<ScalarKey> made;
    for (const ScalarSetting& setting : kScalarSettings) made.push_back({setting.section, setting.name});
    return made;
  }();
  return keys;
}

// For each palette, the lowest colour number of each colour number's colour.
using Representatives = std::array<std::array<int, kColorNumbers>, kPaletteCount>;
const Representatives& RepresentativesOfPalettes() {
  static const Representatives table = [] {
    const PaletteTable& palettes = AcadPalettes();
    Representatives made{};
    for (int palette = 0; palette < kPaletteCount; ++palette)
      for (int c = 1; c < kColorNumbers; ++c) {
        int j = 1;
        while (palettes[j][palette] != palettes[c][palette]) ++j;
        made[palette][c] = j;
      }
    return made;
  }();
  return table;
}

bool IsSave(SettingsOp op) { return op == SettingsOp::SaveRegistry || op == SettingsOp::SaveFile; }

}  // namespace

bool ScalarSetting::IsValid(double value) const {
  // Integers are compared as unsigned numbers, so a negative value is never
  // within 0..n.
  const bool whole = value == std::trunc(value) && value >= INT32_MIN && value <= INT32_MAX;
  const auto asUnsigned = [value] { return static_cast<uint32_t>(static_cast<int32_t>(value)); };
  switch (rule) {
    case SettingRule::Bool: return whole && asUnsigned() <= 1;
    case SettingRule::UpTo3: return whole && asUnsigned() <= 3;
    case SettingRule::UpTo8: return whole && asUnsigned() <= 8;
    case SettingRule::Rotation: return value == 0 || value == 90 || value == 180 || value == 270;
    case SettingRule::PaletteOrNone: return whole && asUnsigned() + 1 <= 9;
    case SettingRule::AtLeastZero: return std::isfinite(value) && value >= 0;
    case SettingRule::AboveZero: return std::isfinite(value) && value > 0;
  }
  return false;
}

const char* ScalarSetting::ValidText() const {
  switch (rule) {
    case SettingRule::Bool: return "0 or 1";
    case SettingRule::UpTo3: return "0, 1, 2 or 3";
    case SettingRule::UpTo8: return "a whole number from 0 to 8";
    case SettingRule::Rotation: return "0, 90, 180 or 270";
    case SettingRule::PaletteOrNone: return "-1 (none) or a whole number from 0 to 8";
    case SettingRule::AtLeastZero: return "a number of at least 0";
    case SettingRule::AboveZero: return "a number greater than 0";
  }
  return "";
}

std::span<const ScalarSetting> ScalarSettings() { return kScalarSettings; }

const ScalarSetting* FindScalarSetting(const std::wstring& name) {
  for (const ScalarSetting& setting : kScalarSettings) {
    const wchar_t* a = setting.name;
    const wchar_t* b = name.c_str();
    while (*a && std::towlower(*a) == std::towlower(*b)) ++a, ++b;
    if (*a == 0 && *b == 0) return &setting;
  }
  return nullptr;
}

WmfSettings::WmfSettings(SettingsStore& store, UserMessages& messages, unsigned instanceMessage)
    : InstanceMessage(instanceMessage), store_(store), messages_(messages) {
  store_.SetRegistryRoot(L"Software\\Tornvik\\Velloform");
  TransferSettings(SettingsOp::LoadRegistry, L"");
  ComputeRepresentatives(oPalette);
  // The scaled size mode and the plain fill mode last only for one run.
  if (Widthoptions == 3) Widthoptions = 0;
  if (Filledoptions == 1) Filledoptions = 0;
  Jobs = store_.ReadInt(kStatistics, L"Jobs", L"", 0);
  Since = static_cast<int32_t>(store_.ReadInt(kStatistics, L"Since", L"", 0));
  if (Since == 0) Since = std::time(nullptr);
  ShowSplash = store_.ReadInt(kVersionSection, L"ShowSplash", L"", 1);
}

WmfSettings::~WmfSettings() {
  if (saveAtExit) SaveToRegistry();
}

int WmfSettings::PaletteInForce(int picturePalette) const {
  if (ForcedPalette >= 0 && ForcedPalette < kPaletteCount) return ForcedPalette;
  return std::clamp(picturePalette, 0, kPaletteCount - 1);
}

bool WmfSettings::TransferSettings(SettingsOp op, const std::wstring& path) {
  if (op == SettingsOp::LoadRegistry || op == SettingsOp::SaveRegistry) return TransferAll(op, path);
  // An options file is read once per load and written once per save.
  store_.BeginFileTransfer(path);
  const bool transferred = TransferAll(op, path);
  return store_.EndFileTransfer() && transferred;
}

bool WmfSettings::TransferAll(SettingsOp op, const std::wstring& path) {
  if (IsSave(op)) {
    if (!store_.WriteString(kHeaderSection, L"Program Type", path, L"Clipmend.exe")) return false;
    store_.WriteString(kHeaderSection, L"Program Version", path, L"" VELLOFORM_VERSION_COMMAS);
    store_.WriteString(kHeaderSection, L"Settings written", path, FormatSettingsDate());
  }
  const bool colorsOnly =
      op == SettingsOp::LoadFile && store_.ReadInt(kHeaderSection, L"ColorOnly", path, 0) != 0;
  if (!colorsOnly) TransferValues(op, path);
  return TransferColors(op, path, colorsOnly);
}

bool WmfSettings::TransferValues(SettingsOp op, const std::wstring& path) {
  bool intsWritten = true;
  bool realsWritten = true;
  for (size_t i = 0; i < std::size(kScalarSettings); ++i) {
    const ScalarSetting& setting = kScalarSettings[i];
    const ScalarKey& key = ScalarKeys()[i];
    if (setting.intField) {
      int& field = this->*setting.intField;
      if (IsSave(op)) {
        if (intsWritten) intsWritten = store_.WriteInt(key.section, key.name, path, field);
        continue;
      }
      const int value = store_.ReadInt(key.section, key.name, path, static_cast<int>(setting.defaultValue));
      field = setting.IsValid(value) ? value : static_cast<int>(setting.defaultValue);
    } else {
      double& field = this->*setting.realField;
      if (IsSave(op)) {
        if (realsWritten) realsWritten = store_.WriteReal(key.section, key.name, path, field);
        continue;
      }
      const double value = store_.ReadReal(key.section, key.name, path, setting.defaultValue);
      field = setting.IsValid(value) ? value : setting.defaultValue;
    }
  }
  if (op == SettingsOp::LoadRegistry && ForcedPalette != -1) {
    oPalette = ForcedPalette;
    messages_.InfoBox(FormatText(L"Warning: Palette will be forced to %d", ForcedPalette));
  }
  return intsWritten && realsWritten;
}

bool WmfSettings::TransferColors(SettingsOp op, const std::wstring& path, bool colorsOnly) {
  const PaletteTable& palettes = AcadPalettes();
  for (int c = 1; c < kColorNumbers; ++c) {
    ColorEntry& entry = colors[c];
    const std::wstring& name = ColorValueName(c);
    if (IsSave(op)) {
      if (!store_.WriteReal(ColorSection().width, name, path, entry.width) ||
          !store_.WriteInt(ColorSection().lineColor, name, path, static_cast<int>(entry.lineColor)) ||
          !store_.WriteInt(ColorSection().fillColor, name, path, static_cast<int>(entry.fillColor)))
        return false;
      continue;
    }
    if (!colorsOnly) {
      const double width = store_.ReadReal(ColorSection().width, name, path, kDefaultEntryWidth);
      entry.width = std::isfinite(width) && width >= 0 ? width : kDefaultEntryWidth;
    }
    const int paletteColor = static_cast<int>(palettes[c][std::clamp(oPalette, 0, kPaletteCount - 1)]);
    entry.lineColor = static_cast<uint32_t>(store_.ReadInt(ColorSection().lineColor, name, path, paletteColor));
    entry.fillColor = static_cast<uint32_t>(store_.ReadInt(ColorSection().fillColor, name, path, paletteColor));
  }
  return true;
}

void WmfSettings::ComputeRepresentatives(int palette) {
  const auto& representatives = RepresentativesOfPalettes()[std::clamp(palette, 0, kPaletteCount - 1)];
  for (int c = 1; c < kColorNumbers; ++c) colors[c].representative = representatives[c];
}

void WmfSettings::SaveToRegistry() {
  TransferSettings(SettingsOp::SaveRegistry, L"");
  store_.WriteInt(kStatistics, L"Jobs", L"", Jobs);
  store_.WriteInt(kStatistics, L"Since", L"", static_cast<int32_t>(static_cast<uint32_t>(Since)));
  store_.WriteInt(kVersionSection, L"ShowSplash", L"", ShowSplash);
}
