// The main options dialog: the picture options, with a menu that also
// carries the clipboard commands, options files, help, About and the way
// out of the program. At most one is open at a time.
#pragma once

#include "dialog_context.h"

#include "dialog.h"
#include "options_values.h"

class WmfOptions : public CDialog {
 public:
  // The members are filled from the settings.
  WmfOptions(DialogContext& context, HWND owner = nullptr);

  // Settings to members.
  void LoadDialogValues();
  // Reads and checks every control; only when all are valid are the
  // members taken over into the settings (the registry is not written).
  bool StoreDialogValues();
  // Reads the controls (showing what is wrong) and enables the controls
  // that belong to the chosen modes.
  void UpdateOptionControls();
  // The unit texts of the length controls.
  void UpdateUnitLabels();

  static const MessageMap& ClassMap();

 protected:
  const MessageMap& GetMessageMap() const override { return ClassMap(); }
  void DoDataExchange(DataExchange& exchange) override;
  bool OnInitDialog() override;
  void OnOK() override;
  void OnHelp() override;

 private:
  void OnApply();
  void OnAdvancedOptions();
  void OnLoadOptions();
  void OnSaveOptions();
  void OnUserPreferences();
  void OnUnload();
  void OnVisitWebsite();
  void OnCheckUpdates();
  void ShowValues();

  DialogContext& context_;
  OptionsDialogValues values_;
};

// Opens the options dialog and returns when it has closed; an open one is
// brought to the front instead.
void OpenOptionsDialog(DialogContext& context, HWND owner = nullptr);
// The open options dialog, or null.
WmfOptions* CurrentOptionsDialog();
