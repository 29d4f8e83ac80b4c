// The main options dialog: the picture options, with a menu that also
// carries the clipboard commands, options files, help, About and the way
// out of the program. At most one is open at a time.
#pragma once

#include <memory>

#include "dialog_context.h"

#include "dialog.h"
#include "options_values.h"
#include "preview_window.h"

class WmfOptions : public CDialog {
 public:
  // The members are filled from the settings.
  WmfOptions(DialogContext& context, HWND owner = nullptr);
  ~WmfOptions() override;

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
  // The preview, while it is open; null otherwise.
  CPreviewWindow* Preview() const { return preview_ && preview_->Handle() ? preview_.get() : nullptr; }

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
  void OnPreview();
  // A control changed its value: the preview follows.
  void OnValueChanged() { RefreshPreview(); }
  void OnModeClicked();
  void ShowValues();
  // Shows the last picture as the controls' values make it, or what is
  // wrong with them, in the open preview.
  void RefreshPreview();
  // The text that names the value of an edit box, as the dialog labels it.
  std::wstring LabelOf(int box) const;

  DialogContext& context_;
  OptionsDialogValues values_;
  std::unique_ptr<CPreviewWindow> preview_;
  // While the dialog writes its own values into the controls, the preview
  // waits until all are in.
  bool holdPreview_ = false;
};

// Opens the options dialog and returns when it has closed; an open one is
// brought to the front instead.
void OpenOptionsDialog(DialogContext& context, HWND owner = nullptr);
