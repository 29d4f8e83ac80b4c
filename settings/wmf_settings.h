// The one record of everything the user can set: the colour table, the
// picture options, the preferences and the statistics. Every field is named
// as the value under which it is stored.
#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <span>
#include <string>
#include <vector>

#include "acad_palettes.h"
#include "settings_store.h"
#include "user_messages.h"

// One entry of the colour table, per AutoCAD colour number.
struct ColorEntry {
  int representative = 0;  // lowest number with the same palette colour; derived
  double width = 0;        // line width (inch, or mm when IsMetric)
  uint32_t lineColor = 0;  // COLORREF
  uint32_t fillColor = 0;  // COLORREF
};

enum class SettingsOp { LoadRegistry, SaveRegistry, LoadFile, SaveFile };

class WmfSettings;

// The valid values of a scalar setting.
enum class SettingRule { Bool, UpTo3, UpTo8, Rotation, PaletteOrNone, AtLeastZero, AboveZero };

// One scalar value: where it is stored, its field, its default and its rule.
struct ScalarSetting {
  const wchar_t* name;
  const wchar_t* section;
  int WmfSettings::*intField;      // set for integers
  double WmfSettings::*realField;  // set for reals
  double defaultValue;
  SettingRule rule;

  bool IsValid(double value) const;
  // The valid values in words, for messages: "0 or 1", "0, 90, 180 or 270".
  const char* ValidText() const;
};

// The scalar settings in the order in which they are loaded and saved:
// the integers of "Options", the integers of "Preferences", the reals.
std::span<const ScalarSetting> ScalarSettings();

// The scalar setting of that name (compared without regard to case), or null.
const ScalarSetting* FindScalarSetting(const std::wstring& name);

// The value names "<prefix>1" to "<prefix>255", indexed by colour number.
std::vector<std::wstring> NamesByColorNumber(const std::wstring& prefix);

class WmfSettings {
 public:
  // Loads every setting from the registry side of `store`; values that are
  // missing or invalid take their defaults. `instanceMessage` is the
  // registered message by which a second start hands over.
  WmfSettings(SettingsStore& store, UserMessages& messages, unsigned instanceMessage = 0);
  ~WmfSettings();
  WmfSettings(const WmfSettings&) = delete;
  WmfSettings& operator=(const WmfSettings&) = delete;

  // Moves the header, the scalar values and the colour table between the
  // record and the store. False only when a save failed at the header or in
  // the colour table.
  bool TransferSettings(SettingsOp op, const std::wstring& path);
  // The scalar part of TransferSettings.
  bool TransferValues(SettingsOp op, const std::wstring& path);
  // Recomputes the representative of entries 1..255 for one palette.
  void ComputeRepresentatives(int palette);
  // Writes everything, the statistics too, to the registry.
  void SaveToRegistry();

  // The palette colours are looked up in for a picture whose own colours
  // are those of `picturePalette` (0..8): ForcedPalette when it is 0..8.
  int PaletteInForce(int picturePalette) const;

  // The store the record is loaded from and saved to; options files are read
  // through it too.
  SettingsStore& Store() const { return store_; }

  std::array<ColorEntry, kColorNumbers> colors{};

  // The scalar fields; their defaults and valid values are in ScalarSettings().
  int Lineoptions{};
  int MakeBlack{};
  int Filledoptions{};
  int Widthoptions{};
  int Rotation{};
  int Crop{};
  int Tilemode{};
  int Paperlast{};
  int AskTilemode{};
  int RemoveBackground{};
  int WhiteBlack{};
  double Margin{};
  int LeaveMargin{};
  int ReplaceCopyclip{};
  int Tooltip{};
  int PopupSaveas{};
  int StartWithOptions{};
  int ImproveEmf{};  // an enhanced metafile its program put on the clipboard is improved as one
  int Outlinestoo{};
  int IsMetric{};
  int oPalette{};
  int ForcedPalette{};
  int RemoveLines{};
  double FixedWidth{};
  double Percentage{};
  double PictureWidth{};
  double PictureHeight{};
  double WMFScale{};
  double DrawingScale{};
  int AutoModify{};
  int Jobs{};
  int64_t Since{};
  int ShowSplash{};

  const unsigned InstanceMessage;

  // Whether the destruction of the record writes it to the registry; the
  // program sets it once it runs as the one instance.
  bool saveAtExit = false;

 private:
  // TransferSettings without the bracket of a file transfer.
  bool TransferAll(SettingsOp op, const std::wstring& path);
  bool TransferColors(SettingsOp op, const std::wstring& path, bool colorsOnly);

  SettingsStore& store_;
  UserMessages& messages_;
};
