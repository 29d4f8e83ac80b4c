#include "options_files.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <cwctype>
#include <iterator>

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

std::wstring ReadPc2Value(SettingsStore& store, const wchar_t* section, const std::wstring& key,
                          const std::wstring& path) {
  return store.ReadString(section, key, path, L"0").substr(0, kPc2ValueChars);
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
  for (int k = 1; k < kColorNumbers; ++k) {
    ColorEntry& entry = settings.colors[k];
    if (entry.representative != k) continue;  // shadowed by a lower number
    wchar_t key[16];
    std::swprintf(key, std::size(key), L"color%d", k);
    entry.width = ParseReal(ReadPc2Value(store, kPc2WidthSection, key, path), 0);
    if (settings.IsMetric == 1) entry.width = std::floor(entry.width * 25400 + 0.5) / 1000;  // inch to mm
    if (!std::isfinite(entry.width)) entry.width = 0;  // a width in inches too large for millimetres
    entry.lineColor = AcadPalettes()[k][palette];
    int pen = 0;
    std::swscanf(ReadPc2Value(store, kPc2PenSection, key, path).c_str(), L"%d", &pen);
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
