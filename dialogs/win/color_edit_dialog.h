// The advanced options: a width, a line colour and a fill colour for each
// AutoCAD colour number, in an owner-drawn list with multiple selection,
// and five further options. It works on a copy of the colour table that
// only OK takes over.
#pragma once

#include <array>
#include <vector>

#include "dialog_context.h"

#include "dialog.h"

class CColorEdit : public CDialog {
 public:
  // Copies the colour table and the five options; opens without owner.
  explicit CColorEdit(DialogContext& context);

  static const MessageMap& ClassMap();

 protected:
  const MessageMap& GetMessageMap() const override { return ClassMap(); }
  void DoDataExchange(DataExchange& exchange) override;
  bool OnInitDialog() override;
  void OnOK() override;
  void OnHelp() override;

 private:
  bool OnDrawItem(const DRAWITEMSTRUCT& item);
  LRESULT OnUpDown(const NMHDR& header);
  void OnSelectionChange() { SyncSelection(); }
  void OnWidthLeft();
  void OnLineColor() { ChooseColorOf(true); }
  void OnFillColor() { ChooseColorOf(false); }
  void OnListDoubleClick();
  void OnResetAll();
  void OnLeaveMargin();

  void SyncSelection();
  std::vector<int> SelectedColors() const;
  void ChooseColorOf(bool line);
  void DrawRow(const DRAWITEMSTRUCT& item) const;
  void DrawColorButton(const DRAWITEMSTRUCT& item, bool line) const;
  void EnableMarginBox();
  void Redraw() const;
  int Px(int pixels) const;  // pixels at 96 dots per inch, at the display's scale
  bool Metric() const { return context_.settings.IsMetric != 0; }

  DialogContext& context_;
  std::array<ColorEntry, kColorNumbers> workingTable_;
  double editWidth_ = 0;
  int paperLast_, removeLines_, whiteBlack_, leaveMargin_;
  double margin_;
  int dpi_ = 96;
  // Where the list's columns start, in list pixels.
  int textX_ = 0, widthX_ = 0, lineX_ = 0, fillX_ = 0;
};
