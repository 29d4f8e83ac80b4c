// Modal dialogs made from the program's dialog templates. The dialog runs its
// own modal loop on the user-interface thread, so the main frame keeps
// handling clipboard changes meanwhile. Commands the dialog does not handle
// go on to the frame given at construction (and from there to the
// application); before a pull-down menu of the dialog opens, every item is
// offered to the update handlers on that route. F1 and the Help button
// (command 9) call OnHelp.
#pragma once

#include <string>
#include <utility>

#include "window.h"

class CDialog;

// Moves values between a dialog's controls and its members, in the order of
// the calls. When saving, the first value that fails its check shows why,
// puts the focus on its box with the text selected, and makes every later
// call do nothing, so the members after it keep their values. A quiet
// exchange only keeps what is wrong, for the dialog to show in its own way.
class DataExchange {
 public:
  DataExchange(CDialog& dialog, bool saving, bool quiet = false) : dialog_(dialog), saving_(saving), quiet_(quiet) {}

  bool Saving() const { return saving_; }
  bool Failed() const { return failedControl_ != 0; }
  // The control whose value failed, or 0, and what is wrong with it.
  int FailedControl() const { return failedControl_; }
  const std::wstring& FailureText() const { return failureText_; }

  // A check box: 0 or 1.
  void Check(int id, int& value);
  // A radio group from `firstId` to the next control that starts a group:
  // the index of the checked one among the group's radio buttons only, -1
  // when none is checked.
  void Radio(int firstId, int& index);
  // The selected item of a list or drop-down list, -1 when none.
  void ListIndex(int id, int& index);
  // A real in an edit box: written with up to 15 significant digits; read
  // from the first 399 characters as the leading number ("12abc" is 12);
  // empty text, text that does not begin with a number, and numbers too large
  // to hold fail.
  void Real(int id, double& value);
  // Checks of the value just read from edit box `id`; only when saving.
  void Range(int id, double value, double low, double high);
  void AboveZero(int id, double value);

 private:
  enum class Box { Exclamation, Error };
  void Fail(int id, const std::wstring& text, Box box);

  CDialog& dialog_;
  bool saving_;
  bool quiet_;
  int failedControl_ = 0;
  std::wstring failureText_;
};

// Brings a dialog that is open already to the front; false when `open` is
// null.
bool BringForward(const CWnd* open);

// A real as the dialogs write it: "%.*g" at precision 15 (0.01, 100, 6).
std::wstring FormatDialogReal(double value);

// At most one dialog of the class `Dialog` open at a time, whatever command
// opens it: a request while one is open brings that one to the front.
template <class Dialog>
class SingleDialog {
 public:
  // The dialog open now, or null.
  static Dialog* Open() { return open_; }
  // Runs a dialog made from `arguments` until it closes, unless one is open.
  template <class... Arguments>
  static void Run(Arguments&&... arguments) {
    if (BringForward(open_)) return;
    Dialog dialog(std::forward<Arguments>(arguments)...);
    open_ = &dialog;
    dialog.DoModal();
    open_ = nullptr;
  }

 private:
  static inline Dialog* open_ = nullptr;
};

class CDialog : public CWnd {
 public:
  // `frame` receives the commands the dialog does not handle and owns the
  // dialog when nothing else does. `owner` is the window disabled while the
  // dialog runs; without one, the innermost dialog running now, else `frame`.
  CDialog(UINT templateId, CWnd* frame, HWND owner = nullptr);

  // Runs the dialog until it ends; IDOK, IDCANCEL, or -1 when it could not be
  // created. A WM_QUIT ends it and is posted again for the outer loop.
  INT_PTR DoModal();
  void EndDialog(INT_PTR result);

  // Controls to members (true) or members to controls (false); false when a
  // value failed its check.
  bool UpdateData(bool saveAndValidate) { return ExchangeData(saveAndValidate) == 0; }
  // The same; the control whose value failed, or 0.
  int ExchangeData(bool saveAndValidate);
  // Controls to members without a word to the user or a move of the focus;
  // the control whose value failed, or 0, with what is wrong in `failure`.
  int ReadQuietly(std::wstring& failure);

  HWND Item(int id) const { return GetDlgItem(Handle(), id); }
  // Puts the focus on a control with its text selected.
  void FocusControl(HWND control);
  void SetItemText(int id, const std::wstring& text) const;
  void EnableItem(int id, bool enabled) const;

  // The running dialog that was started last, or null.
  static CDialog* Innermost();

  bool OnCmdMsg(UINT id, CommandRequest request, CCmdUI* item) override;
  static const MessageMap& ClassMap();

 protected:
  const MessageMap& GetMessageMap() const override { return ClassMap(); }

  virtual void DoDataExchange(DataExchange&) {}
  // After the controls exist: writes the members into them. True lets the
  // system put the focus on the first control.
  virtual bool OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();
  virtual void OnHelp() {}

 private:
  static INT_PTR CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam);
  void OnInitMenuPopup(HMENU menu);
  void OnHelpCommand() { OnHelp(); }
  void OnOKCommand() { OnOK(); }
  void OnCancelCommand() { OnCancel(); }

  UINT templateId_;
  CWnd* frame_;
  HWND owner_;
  bool running_ = false;
  INT_PTR result_ = IDCANCEL;
  CDialog* outer_ = nullptr;
};
