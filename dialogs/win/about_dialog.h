// "About Velloform": version, release date, how many pictures the program
// has modified since when, and links to the maker. At most one is open.
#pragma once

#include "dialog_context.h"

#include "dialog.h"
#include "label.h"

class CDlgAbout : public CDialog {
 public:
  explicit CDlgAbout(DialogContext& context);

  static const MessageMap& ClassMap();

 protected:
  const MessageMap& GetMessageMap() const override { return ClassMap(); }
  bool OnInitDialog() override;
  void OnHelp() override;

 private:
  HBRUSH OnCtlColorStatic(HDC dc, HWND control);

  DialogContext& context_;
  CLabel mailLink_;
  CLabel webLink_;
};

// Runs the About dialog; an open one is brought to the front instead.
void ShowAboutDialog(DialogContext& context);

// "Velloform has modified %d pictures since %s." for the statistics.
std::wstring StatisticsLine(int jobs, std::time_t since);
