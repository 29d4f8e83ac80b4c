#include "options_dialog.h"

#include <commctrl.h>

#include <utility>

#include "color_edit_dialog.h"
#include "help.h"
#include "preferences_dialog.h"
#include "program_version.h"
#include "resource.h"

namespace {

constexpr wchar_t kHelpTopic[] = L"velloform-documentation/options/picture-options.html";

}  // namespace

void OpenOptionsDialog(DialogContext& context, HWND owner) { SingleDialog<WmfOptions>::Run(context, owner); }

WmfOptions::WmfOptions(DialogContext& context, HWND owner)
    : CDialog(IDD_OPTIONS, &context.frame, owner), context_(context) {
  LoadDialogValues();
}

WmfOptions::~WmfOptions() {
  if (preview_) context_.intake.OnNewPicture(nullptr);
}

void WmfOptions::LoadDialogValues() { values_ = ReadOptionsValues(context_.settings); }

bool WmfOptions::StoreDialogValues() {
  if (!UpdateData(true)) return false;
  WriteOptionsValues(values_, context_.settings);
  return true;
}

void WmfOptions::DoDataExchange(DataExchange& x) {
  const bool metric = context_.settings.IsMetric != 0;
  OptionsDialogValues& v = values_;
  x.Check(IDC_CROP, v.crop);
  x.Check(IDC_TILEMODE, v.tilemode);
  x.Check(IDC_REMOVE_BACKGROUND, v.removeBackground);
  x.Real(IDC_FIXED_WIDTH, v.fixedWidth);
  x.Range(IDC_FIXED_WIDTH, v.fixedWidth, 0, MaxFixedWidth(metric));
  x.Radio(IDC_LINES_THIN, v.lineChoice);
  x.Check(IDC_MAKE_BLACK, v.makeBlack);
  x.Radio(IDC_FILLS_BLACK, v.fillChoice);
  x.Radio(IDC_SIZE_UNMODIFIED, v.sizeChoice);
  x.Real(IDC_PERCENTAGE, v.percentage);
  x.Range(IDC_PERCENTAGE, v.percentage, 0, 999);
  x.AboveZero(IDC_PERCENTAGE, v.percentage);
  for (const auto& [id, side] : {std::pair{IDC_PICTURE_WIDTH, &v.pictureWidth}, {IDC_PICTURE_HEIGHT, &v.pictureHeight}}) {
    x.Real(id, *side);
    x.Range(id, *side, 0, MaxPictureSide(metric));
    x.AboveZero(id, *side);
  }
  x.Real(IDC_DRAWING_SCALE, v.drawingScale);
  x.AboveZero(IDC_DRAWING_SCALE, v.drawingScale);
  x.Real(IDC_WMF_SCALE, v.wmfScale);
  x.AboveZero(IDC_WMF_SCALE, v.wmfScale);
  x.Check(IDC_OUTLINES_TOO, v.outlinesToo);
  x.ListIndex(IDC_ROTATION, v.rotationIndex);
}

bool WmfOptions::OnInitDialog() {
  for (const wchar_t* angle : {L"0\u00b0", L"90\u00b0", L"180\u00b0", L"270\u00b0"})
    SendMessageW(Item(IDC_ROTATION), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(angle));
  CDialog::OnInitDialog();
  UpdateOptionControls();
  UpdateUnitLabels();
  EnableItem(IDC_TILEMODE, false);
  EnableItem(IDC_SIZE_SCALED, false);
  SendMessageW(Item(IDC_PERCENTAGE_SPIN), UDM_SETRANGE32, 1, 999);
  SetForegroundWindow(Handle());
  return true;
}

void WmfOptions::UpdateOptionControls() {
  UpdateData(true);
  const OptionsDialogValues& v = values_;
  EnableItem(IDC_FIXED_WIDTH, v.lineChoice == 1);
  EnableItem(ID_EDIT_LINES, v.lineChoice == 2);
  EnableItem(IDC_OUTLINES_TOO, v.fillChoice == 2);
  EnableItem(ID_EDIT_FILLS, v.fillChoice == 3);
  EnableItem(IDC_PERCENTAGE, v.sizeChoice == 1);
  EnableItem(IDC_PERCENTAGE_SPIN, v.sizeChoice == 1);
  EnableItem(IDC_PICTURE_WIDTH, v.sizeChoice == 2);
  EnableItem(IDC_PICTURE_HEIGHT, v.sizeChoice == 3);
  for (int id : {IDC_WMF_UNIT_LABEL, IDC_WMF_SCALE, IDC_DRAWING_SCALE, IDC_DRAWING_UNIT_LABEL})
    EnableItem(id, v.sizeChoice == 4);
}

void WmfOptions::UpdateUnitLabels() {
  const bool metric = context_.settings.IsMetric != 0;
  SetItemText(IDC_LINES_FIXED, metric ? L"Fixed linewidth (mm)" : L"Fixed linewidth (inch)");
  SetItemText(IDC_SIZE_WIDTH, metric ? L"Scaled to fit fixed width (cm)" : L"Scaled to fit fixed width (inch)");
  SetItemText(IDC_SIZE_HEIGHT, metric ? L"Scaled to fit fixed height (cm)" : L"Scaled to fit fixed height (inch)");
  SetItemText(IDC_WMF_UNIT_LABEL, metric ? L"WMF mm" : L"WMF inch");
}

// The members written into the controls, and the states and texts that
// follow from them.
void WmfOptions::ShowValues() {
  holdPreview_ = true;
  UpdateData(false);
  UpdateOptionControls();
  UpdateUnitLabels();
  holdPreview_ = false;
  RefreshPreview();
}

void WmfOptions::OnModeClicked() {
  UpdateOptionControls();
  RefreshPreview();
}

void WmfOptions::OnPreview() {
  if (!preview_ || !preview_->Handle()) {
    preview_ = std::make_unique<CPreviewWindow>();
    if (!preview_->Create(Handle())) {
      preview_.reset();
      return;
    }
    context_.intake.OnNewPicture([this] { RefreshPreview(); });
  }
  RefreshPreview();
  ShowWindow(preview_->Handle(), SW_SHOWNOACTIVATE);
}

void WmfOptions::RefreshPreview() {
  CPreviewWindow* preview = Preview();
  if (!preview || holdPreview_) return;
  std::wstring failure;
  if (const int failed = ReadQuietly(failure)) {
    preview->ShowProblem(context_.intake, LabelOf(failed) + L": " + failure);
    return;
  }
  preview->Show(context_.intake, context_.settings, values_);
}

std::wstring WmfOptions::LabelOf(int box) const {
  static constexpr std::pair<int, int> kLabels[] = {
      {IDC_FIXED_WIDTH, IDC_LINES_FIXED},   {IDC_PERCENTAGE, IDC_SIZE_PERCENTAGE},
      {IDC_PICTURE_WIDTH, IDC_SIZE_WIDTH},  {IDC_PICTURE_HEIGHT, IDC_SIZE_HEIGHT},
      {IDC_WMF_SCALE, IDC_WMF_UNIT_LABEL},  {IDC_DRAWING_SCALE, IDC_DRAWING_UNIT_LABEL},
  };
  for (const auto& [edit, label] : kLabels) {
    if (edit != box) continue;
    wchar_t text[128] = L"";
    GetDlgItemTextW(Handle(), label, text, 128);
    return text;
  }
  return L"";
}

const MessageMap& WmfOptions::ClassMap() {
  static const CommandEntry commands[] = {
      OnCommand<&WmfOptions::OnApply>(ID_APPLY),
      OnCommand<&WmfOptions::OnAdvancedOptions>(ID_EDIT_LINES),
      OnCommand<&WmfOptions::OnAdvancedOptions>(ID_EDIT_FILLS),
      OnCommand<&WmfOptions::OnLoadOptions>(ID_LOAD_OPTIONS),
      OnCommand<&WmfOptions::OnSaveOptions>(ID_SAVE_OPTIONS),
      OnCommand<&WmfOptions::OnUserPreferences>(ID_USER_PREFERENCES),
      OnCommand<&WmfOptions::OnUnload>(ID_UNLOAD),
      OnCommand<&WmfOptions::OnHelp>(ID_HELP_ON_DIALOG),
      OnCommand<&WmfOptions::OnVisitWebsite>(ID_VISIT_WEBSITE),
      OnCommand<&WmfOptions::OnCheckUpdates>(ID_CHECK_UPDATES),
      OnCommand<&WmfOptions::OnPreview>(ID_PREVIEW),
      // A click on any of the mode buttons.
      OnCommand<&WmfOptions::OnModeClicked>(IDC_LINES_THIN),
      OnCommand<&WmfOptions::OnModeClicked>(IDC_LINES_FIXED),
      OnCommand<&WmfOptions::OnModeClicked>(IDC_LINES_ADVANCED),
      OnCommand<&WmfOptions::OnModeClicked>(IDC_FILLS_UNMODIFIED),
      OnCommand<&WmfOptions::OnModeClicked>(IDC_FILLS_REMOVE),
      OnCommand<&WmfOptions::OnModeClicked>(IDC_FILLS_BLACK),
      OnCommand<&WmfOptions::OnModeClicked>(IDC_FILLS_ADVANCED),
      OnCommand<&WmfOptions::OnModeClicked>(IDC_SIZE_PERCENTAGE),
      OnCommand<&WmfOptions::OnModeClicked>(IDC_SIZE_WIDTH),
      OnCommand<&WmfOptions::OnModeClicked>(IDC_SIZE_HEIGHT),
      OnCommand<&WmfOptions::OnModeClicked>(IDC_SIZE_UNMODIFIED),
      OnCommand<&WmfOptions::OnModeClicked>(IDC_SIZE_SCALED),
      // The check boxes.
      OnCommand<&WmfOptions::OnValueChanged>(IDC_REMOVE_BACKGROUND),
      OnCommand<&WmfOptions::OnValueChanged>(IDC_CROP),
      OnCommand<&WmfOptions::OnValueChanged>(IDC_MAKE_BLACK),
  };
  // Typing in the boxes (the percentage's arrows type too) and choosing a rotation.
  static const NotifyEntry notifications[] = {
      OnNotify<&WmfOptions::OnValueChanged>(IDC_FIXED_WIDTH, EN_CHANGE),
      OnNotify<&WmfOptions::OnValueChanged>(IDC_PERCENTAGE, EN_CHANGE),
      OnNotify<&WmfOptions::OnValueChanged>(IDC_PICTURE_WIDTH, EN_CHANGE),
      OnNotify<&WmfOptions::OnValueChanged>(IDC_PICTURE_HEIGHT, EN_CHANGE),
      OnNotify<&WmfOptions::OnValueChanged>(IDC_DRAWING_SCALE, EN_CHANGE),
      OnNotify<&WmfOptions::OnValueChanged>(IDC_WMF_SCALE, EN_CHANGE),
      OnNotify<&WmfOptions::OnValueChanged>(IDC_ROTATION, CBN_SELCHANGE),
  };
  static const MessageMap map{&CDialog::ClassMap(), {}, commands, notifications};
  return map;
}

void WmfOptions::OnOK() {
  if (!StoreDialogValues()) return;
  context_.settings.SaveToRegistry();
  EndDialog(IDOK);
}

void WmfOptions::OnApply() {
  if (!StoreDialogValues()) return;
  context_.settings.SaveToRegistry();
  if (context_.intake.HaveLastPicture()) context_.intake.CopyLastToClipboard();
  SetItemText(IDCANCEL, L"&Close");
  RefreshPreview();
}

// The advanced options read the crop and background settings, so the
// dialog's values are taken over first.
void WmfOptions::OnAdvancedOptions() {
  if (!StoreDialogValues()) return;
  CColorEdit advanced(context_);
  advanced.DoModal();
  if (Handle()) RefreshPreview();
}

void WmfOptions::OnLoadOptions() {
  if (!LoadOptionsFile(context_.settings, context_.fileUi, L"")) return;
  LoadDialogValues();
  ShowValues();
}

void WmfOptions::OnSaveOptions() {
  if (StoreDialogValues()) SaveOptionsFile(context_.settings, context_.fileUi, L"");
}

// A unit changed in the preferences converts the dialog's lengths at once,
// and the colour table's widths in the settings.
void WmfOptions::OnUserPreferences() {
  UpdateData(true);
  const int wasMetric = context_.settings.IsMetric;
  OpenPreferencesDialog(context_);
  if (!Handle()) return;
  UpdateUnitLabels();
  if (context_.settings.IsMetric != wasMetric) {
    ConvertDialogUnits(values_, context_.settings.colors, context_.settings.IsMetric != 0);
    holdPreview_ = true;
    UpdateData(false);
    holdPreview_ = false;
  }
  RefreshPreview();
}

void WmfOptions::OnUnload() {
  EndDialog(IDCANCEL);
  SendMessageW(context_.frame.Handle(), WM_COMMAND, ID_APP_EXIT, 0);
}

void WmfOptions::OnHelp() { context_.openHelp(HelpFilePath(context_.programFolder, kHelpTopic)); }

void WmfOptions::OnVisitWebsite() { context_.openAddress(kWebSite); }

void WmfOptions::OnCheckUpdates() {
  context_.openAddress(std::wstring(kWebSite) + L"updates?p=Clipmend.exe&pv=" VELLOFORM_YEAR "&v=" VELLOFORM_VERSION_COMMAS);
}
