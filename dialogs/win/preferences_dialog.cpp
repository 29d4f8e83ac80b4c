#include "preferences_dialog.h"

#include "help.h"
#include "resource.h"

namespace {

constexpr wchar_t kHelpTopic[] = L"velloform-documentation/options/user-preferences.html";
// The modes in the order of their AutoModify values.
constexpr const wchar_t* kModes[] = {
    L"Modify clipboard WMF picture on command only",
    L"Autodetect, modify AutoCAD WMF pictures only",
    L"Autodetect, modify most types of WMF pictures",
    L"Autodetect, modify all WMF pictures",
};

}  // namespace

void OpenPreferencesDialog(DialogContext& context) { SingleDialog<CPreferences>::Run(context); }

CPreferences::CPreferences(DialogContext& context)
    : CDialog(IDD_PREFERENCES, &context.frame),
      context_(context),
      isMetric_(context.settings.IsMetric),
      showSplash_(context.settings.ShowSplash),
      tooltip_(context.settings.Tooltip),
      popupSaveas_(context.settings.PopupSaveas),
      startWithOptions_(context.settings.StartWithOptions),
      improveEmf_(context.settings.ImproveEmf),
      askTilemode_(context.settings.AskTilemode),
      replaceCopyclip_(context.settings.ReplaceCopyclip),
      mode_(context.settings.AutoModify) {}

const MessageMap& CPreferences::ClassMap() {
  static const MessageMap map{&CDialog::ClassMap(), {}, {}};
  return map;
}

void CPreferences::DoDataExchange(DataExchange& x) {
  x.Radio(IDC_IMPERIAL, isMetric_);
  x.Check(IDC_SHOW_SPLASH, showSplash_);
  x.Check(IDC_TOOLTIP, tooltip_);
  x.Check(IDC_POPUP_SAVE_AS, popupSaveas_);
  x.Check(IDC_START_WITH_OPTIONS, startWithOptions_);
  x.Check(IDC_IMPROVE_EMF, improveEmf_);
  x.Check(IDC_ASK_TILEMODE, askTilemode_);
  x.Check(IDC_REPLACE_COPYCLIP, replaceCopyclip_);
  x.ListIndex(IDC_AUTOMODIFY_MODE, mode_);
}

bool CPreferences::OnInitDialog() {
  for (const wchar_t* mode : kModes)
    SendMessageW(Item(IDC_AUTOMODIFY_MODE), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(mode));
  CDialog::OnInitDialog();
  EnableItem(IDC_REPLACE_COPYCLIP, false);
  EnableItem(IDC_ASK_TILEMODE, false);
  return true;
}

void CPreferences::OnOK() {
  if (!UpdateData(true)) return;
  WmfSettings& s = context_.settings;
  if (isMetric_ >= 0) s.IsMetric = isMetric_;
  // A stored "on" other than 1 stays as it was unless the box was changed.
  if ((s.ShowSplash != 0) != (showSplash_ != 0)) s.ShowSplash = showSplash_;
  s.Tooltip = tooltip_;
  s.PopupSaveas = popupSaveas_;
  s.StartWithOptions = startWithOptions_;
  s.ImproveEmf = improveEmf_;
  s.AskTilemode = askTilemode_;
  s.ReplaceCopyclip = replaceCopyclip_;
  if (mode_ >= 0) s.AutoModify = mode_;
  EndDialog(IDOK);
}

void CPreferences::OnHelp() { context_.openHelp(HelpFilePath(context_.programFolder, kHelpTopic)); }
