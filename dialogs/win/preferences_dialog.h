// The user preferences: the unit of sizes, the notices after a picture was
// modified, what happens at start-up, and the automatic modification mode.
// At most one is open at a time; OK changes the settings only (the
// registry is written by the options dialog and at the end of the program).
#pragma once

#include "dialog_context.h"

#include "dialog.h"

class CPreferences : public CDialog {
 public:
  explicit CPreferences(DialogContext& context);

  static const MessageMap& ClassMap();

 protected:
  const MessageMap& GetMessageMap() const override { return ClassMap(); }
  void DoDataExchange(DataExchange& exchange) override;
  bool OnInitDialog() override;
  void OnOK() override;
  void OnHelp() override;

 private:
  DialogContext& context_;
  int isMetric_, showSplash_, tooltip_, popupSaveas_, startWithOptions_, improveEmf_, askTilemode_, replaceCopyclip_;
  int mode_;
};

// Opens the preferences and returns when they have closed; open ones are
// brought to the front instead.
void OpenPreferencesDialog(DialogContext& context);
