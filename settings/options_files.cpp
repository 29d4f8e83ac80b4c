#include "options_files.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <cwctype>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kPc2WidthSection[] = L"Plotter/Device/WidthTable";
constexpr wchar_t kPc2PenSection[] = L"Plotter/Device/PenTable";
// PC2 values are read into a buffer of 10 characters.
constexpr size_t kPc2ValueChars = 9;

class WaitCursor {
 public:
  explicit WaitCursor(OptionsFileUi& ui) : ui_(ui) { ui_.BeginWaitCursor(); }
  ~WaitCursor() { ui_.EndWaitCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  OptionsFileUi& ui_;
};

std::wstring ReadPc2Value(SettingsStore& store, const std::wstring& section, const std::wstring& key,
                          const std::wstring& path) {
  static const std::wstring zero = L"0";
  std::wstring value = store.ReadString(section, key, path, zero);
  if (value.size() > kPc2ValueChars) value.resize(kPc2ValueChars);
  return value;
}

// "color1" to "color255", by colour number, made once.
const std::wstring& Pc2ValueName(int colorNumber) {
  static const std::vector<std::wstring> names = NamesByColorNumber(L"color");
  return names[colorNumber];
}

}  // namespace

bool IsOptionsFilePath(const std::wstring& path) {
  std::wstring ending = path.substr(path.size() < 4 ? 0 : path.size() - 4);
  for (wchar_t& c : ending) c = static_cast<wchar_t>(std::towupper(c));
  return ending == L".VF3";
}

void ImportPc2(WmfSettings& settings, const std::wstring& path) {
  SettingsStore& store = settings.Store();
  store.BeginFileTransfer(path);
  const int palette = std::clamp(settings.oPalette, 0, kPaletteCount - 1);
  const std::wstring widthSection = kPc2WidthSection, penSection = kPc2PenSection;
  for (int k = 1; k < kColorNumbers; ++k) {
    ColorEntry& entry = settings.colors[k];
    if (entry.representative != k) continue;  // shadowed by a lower number
    const std::wstring& key = Pc2ValueName(k);
    entry.width = ParseReal(ReadPc2Value(store, widthSection, key, path), 0);
    if (settings.IsMetric == 1) entry.width = std::floor(entry.width * 25400 + 0.5) / 1000;  // inch to mm
    if (!std::isfinite(entry.width)) entry.width = 0;  // a width in inches too large for millimetres
    entry.lineColor = AcadPalettes()[k][palette];
    int pen = 0;
    std::swscanf(ReadPc2Value(store, penSection, key, path).c_str(), L"%d", &pen);
    entry.fillColor = (static_cast<uint32_t>(pen) & 0xFF) * 0x010101u;
  }
  store.EndFileTransfer();
}

void ReadOptionsFile(WmfSettings& settings, const std::wstring& path) {
  settings.ComputeRepresentatives(settings.oPalette);
  if (IsOptionsFilePath(path)) settings.TransferSettings(SettingsOp::LoadFile, path);
  else ImportPc2(settings, path);
}

bool LoadOptionsFile(WmfSettings& settings, OptionsFileUi& ui, const std::wstring& path) {
  const std::wstring chosen = path.empty() ? ui.ChooseFile(kLoadOptionsDialog) : path;
  if (chosen.empty()) return false;
  WaitCursor wait(ui);
  ReadOptionsFile(settings, chosen);
  return true;
}

void SaveOptionsFile(WmfSettings& settings, OptionsFileUi& ui, const std::wstring& path) {
  const std::wstring chosen = path.empty() ? ui.ChooseFile(kSaveOptionsDialog) : path;
  if (chosen.empty()) return;
  WaitCursor wait(ui);
  settings.TransferSettings(SettingsOp::SaveFile, chosen);
}
