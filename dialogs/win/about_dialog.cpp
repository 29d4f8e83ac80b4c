#include "about_dialog.h"

#include <ctime>

#include "help.h"
#include "program_version.h"
#include "resource.h"
#include "text_format.h"

namespace {

// 1 April 2017, local midnight.
std::time_t ReleaseDate() {
  std::tm date{};
  date.tm_mday = 1;
  date.tm_mon = 3;
  date.tm_year = 117;
  date.tm_isdst = -1;
  return std::mktime(&date);
}

}  // namespace

void ShowAboutDialog(DialogContext& context) { SingleDialog<CDlgAbout>::Run(context); }

std::wstring StatisticsLine(int jobs, std::time_t since) {
  return FormatText(L"Velloform has modified %d pictures since %ls.", jobs, FormatShortDate(since).c_str());
}

CDlgAbout::CDlgAbout(DialogContext& context) : CDialog(IDD_ABOUT, &context.frame), context_(context) {}

const MessageMap& CDlgAbout::ClassMap() {
  static const MessageEntry messages[] = {
      OnCtlColorMessage<&CDlgAbout::OnCtlColorStatic>(WM_CTLCOLORSTATIC),
  };
  static const MessageMap map{&CDialog::ClassMap(), messages, {}};
  return map;
}

bool CDlgAbout::OnInitDialog() {
  CDialog::OnInitDialog();
  SetItemText(IDC_MAIL_LINK, std::wstring(kMailAddress));
  std::wstring site(kWebSite);
  SetItemText(IDC_WEB_LINK, site);
  const HCURSOR hand = LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_LINK_HAND));
  for (auto [label, id] : {std::pair{&mailLink_, IDC_MAIL_LINK}, {&webLink_, IDC_WEB_LINK}}) {
    label->SubclassWindow(Item(id));
    label->SetLink(true).SetTextColor(RGB(0, 0, 255)).SetUnderline(true).SetLinkCursor(hand).SetOpener(
        context_.openAddress);
  }
  SetItemText(IDC_VERSION, L"" VELLOFORM_YEAR " (v" VELLOFORM_VERSION_SHORT ")");
  SetItemText(IDC_RELEASE_DATE, FormatShortDate(ReleaseDate()));
  SetItemText(IDC_STATISTICS,
              StatisticsLine(context_.settings.Jobs, static_cast<std::time_t>(context_.settings.Since)));
  return true;
}

// A null brush for other controls leaves them the dialog's own colours.
HBRUSH CDlgAbout::OnCtlColorStatic(HDC dc, HWND control) { return CLabel::ColorsFor(control, dc); }

void CDlgAbout::OnHelp() { context_.openHelp(HelpFilePath(context_.programFolder)); }
