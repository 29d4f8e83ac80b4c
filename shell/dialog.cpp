#include "dialog.h"

#include <cmath>
#include <cwchar>
#include <utility>

#include "message_boxes.h"
#include "text_format.h"

namespace {

constexpr int kHelpCommand = 9;
constexpr int kReadLength = 399;

thread_local CDialog* innermostDialog = nullptr;

bool IsRadioButton(HWND control) {
  return (SendMessageW(control, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) != 0;
}

// Calls `visit` with each radio button of the group that starts at `first`.
template <class Visit>
void ForEachRadio(HWND first, Visit visit) {
  for (HWND control = first; control; control = GetWindow(control, GW_HWNDNEXT)) {
    if (control != first && (GetWindowLongW(control, GWL_STYLE) & WS_GROUP)) break;
    if (IsRadioButton(control)) visit(control);
  }
}

void ShowExclamation(const CDialog& dialog, const std::wstring& text) {
  MessageBoxW(dialog.Handle(), text.c_str(), L"Velloform", MB_OK | MB_ICONEXCLAMATION);
}

// Messages whose result a dialog procedure returns itself instead of through
// DWLP_MSGRESULT.
bool ReturnsDirectly(UINT message) {
  switch (message) {
    case WM_CTLCOLORMSGBOX: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG: case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORSTATIC: case WM_COMPAREITEM:
    case WM_VKEYTOITEM: case WM_CHARTOITEM: case WM_QUERYDRAGICON: case WM_INITDIALOG:
      return true;
    default:
      return false;
  }
}

}  // namespace

bool BringForward(const CWnd* open) {
  if (!open) return false;
  SetForegroundWindow(open->Handle());
  ShowWindow(open->Handle(), SW_SHOW);
  return true;
}

std::wstring FormatDialogReal(double value) {
  return FormatText(L"%.*g", 15, value);
}

void DataExchange::Check(int id, int& value) {
  if (Failed()) return;
  HWND box = dialog_.Item(id);
  if (saving_) {
    value = SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
  } else {
    SendMessageW(box, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
  }
}

void DataExchange::Radio(int firstId, int& index) {
  if (Failed()) return;
  int position = 0;
  if (saving_) index = -1;
  ForEachRadio(dialog_.Item(firstId), [&](HWND radio) {
    if (saving_) {
      if (index < 0 && SendMessageW(radio, BM_GETCHECK, 0, 0) == BST_CHECKED) index = position;
    } else {
      SendMessageW(radio, BM_SETCHECK, position == index ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    ++position;
  });
}

void DataExchange::ListIndex(int id, int& index) {
  if (Failed()) return;
  HWND list = dialog_.Item(id);
  wchar_t className[16] = L"";
  GetClassNameW(list, className, 16);
  const bool combo = _wcsicmp(className, L"ComboBox") == 0;
  if (saving_) {
    index = static_cast<int>(SendMessageW(list, combo ? CB_GETCURSEL : LB_GETCURSEL, 0, 0));
    if (index < 0) index = -1;
  } else {
    SendMessageW(list, combo ? CB_SETCURSEL : LB_SETCURSEL, index, 0);
  }
}

void DataExchange::Real(int id, double& value) {
  if (Failed()) return;
  HWND box = dialog_.Item(id);
  if (!saving_) {
    SetWindowTextW(box, FormatDialogReal(value).c_str());
    return;
  }
  wchar_t text[kReadLength + 1] = L"";
  GetWindowTextW(box, text, kReadLength + 1);
  double read = 0;
  if (swscanf(text, L"%lf", &read) != 1 || !std::isfinite(read)) {
    Fail(id, L"Please enter a number.", Box::Exclamation);
    return;
  }
  value = read;
}

void DataExchange::Range(int id, double value, double low, double high) {
  if (Failed() || !saving_) return;
  if (value >= low && value <= high) return;
  Fail(id, L"Please enter a number between " + FormatDialogReal(low) + L" and " + FormatDialogReal(high) + L".",
       Box::Exclamation);
}

void DataExchange::AboveZero(int id, double value) {
  if (Failed() || !saving_) return;
  if (value > 0) return;
  Fail(id, L"Please enter a value larger than 0", Box::Error);
}

void DataExchange::Fail(int id, const std::wstring& text, Box box) {
  failedControl_ = id;
  failureText_ = text;
  if (quiet_) return;
  if (box == Box::Error) {
    ErrorBox(&dialog_, L"%s", text.c_str());
  } else {
    ShowExclamation(dialog_, text);
  }
  dialog_.FocusControl(dialog_.Item(id));
}

CDialog::CDialog(UINT templateId, CWnd* frame, HWND owner)
    : templateId_(templateId), frame_(frame), owner_(owner) {}

CDialog* CDialog::Innermost() { return innermostDialog; }

INT_PTR CDialog::DoModal() {
  HWND owner = owner_;
  if (!owner && innermostDialog) owner = innermostDialog->Handle();
  if (!owner && frame_) owner = frame_->Handle();
  HWND window = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), owner,
                                   &CDialog::DialogProcedure, reinterpret_cast<LPARAM>(this));
  if (!window || !Handle()) return -1;
  const bool disableOwner = owner && IsWindowEnabled(owner);
  if (disableOwner) EnableWindow(owner, FALSE);
  outer_ = std::exchange(innermostDialog, this);
  running_ = true;
  result_ = IDCANCEL;
  ShowWindow(window, SW_SHOWNORMAL);

  MSG message{};
  while (running_ && Handle()) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    if (got == -1) break;
    // F1 inside the dialog asks for its help, whatever control has the focus.
    if (message.message == WM_KEYDOWN && message.wParam == VK_F1 &&
        (message.hwnd == window || IsChild(window, message.hwnd))) {
      OnHelp();
      continue;
    }
    if (IsDialogMessageW(window, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }

  running_ = false;
  innermostDialog = outer_;
  // The owner is enabled before the dialog goes, so that it gets the
  // activation back rather than another program.
  if (disableOwner) EnableWindow(owner, TRUE);
  if (HWND still = Handle()) {
    if (owner && IsWindowVisible(owner) && GetActiveWindow() == still) SetActiveWindow(owner);
    Detach();
    ::DestroyWindow(still);
  }
  return result_;
}

void CDialog::EndDialog(INT_PTR result) {
  result_ = result;
  running_ = false;
  PostMessageW(Handle(), WM_NULL, 0, 0);  // wakes the modal loop
}

int CDialog::ExchangeData(bool saveAndValidate) {
  DataExchange exchange(*this, saveAndValidate);
  DoDataExchange(exchange);
  return exchange.FailedControl();
}

int CDialog::ReadQuietly(std::wstring& failure) {
  DataExchange exchange(*this, true, true);
  DoDataExchange(exchange);
  failure = exchange.FailureText();
  return exchange.FailedControl();
}

void CDialog::SetItemText(int id, const std::wstring& text) const { SetDlgItemTextW(Handle(), id, text.c_str()); }

void CDialog::EnableItem(int id, bool enabled) const { EnableWindow(Item(id), enabled); }

void CDialog::FocusControl(HWND control) {
  SetFocus(control);
  SendMessageW(control, EM_SETSEL, 0, -1);
}

bool CDialog::OnInitDialog() {
  UpdateData(false);
  return true;
}

void CDialog::OnOK() {
  if (UpdateData(true)) EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

bool CDialog::OnCmdMsg(UINT id, CommandRequest request, CCmdUI* item) {
  if (CWnd::OnCmdMsg(id, request, item)) return true;
  return frame_ && frame_->OnCmdMsg(id, request, item);
}

const MessageMap& CDialog::ClassMap() {
  static const CommandEntry commands[] = {
      OnCommand<&CDialog::OnOKCommand>(IDOK),
      OnCommand<&CDialog::OnCancelCommand>(IDCANCEL),
      OnCommand<&CDialog::OnHelpCommand>(kHelpCommand),
  };
  static const MessageMap map{&CWnd::ClassMap(), {}, commands};
  return map;
}

INT_PTR CALLBACK CDialog::DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CDialog* self = nullptr;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<CDialog*>(lParam);
    self->Attach(window);
  } else {
    self = static_cast<CDialog*>(FromHandle(window));
  }
  if (!self) return FALSE;
  CurrentMessageScope scope(window, message, wParam, lParam);
  const INT_PTR result = self->DialogProc(message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    self->Detach();
    self->running_ = false;
  }
  return result;
}

INT_PTR CDialog::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog() ? TRUE : FALSE;
    case WM_COMMAND:
      return RouteCommand(wParam, lParam) ? TRUE : FALSE;
    case WM_HELP:
      OnHelp();
      return TRUE;
    case WM_INITMENUPOPUP:
      if (!HIWORD(lParam)) OnInitMenuPopup(reinterpret_cast<HMENU>(wParam));
      return TRUE;
    default:
      break;
  }
  MessageHandler handler = FindMessageHandler(message);
  if (!handler) return FALSE;
  const LRESULT result = handler(*this, wParam, lParam);
  if (ReturnsDirectly(message)) return result;
  if (Handle()) SetWindowLongPtrW(Handle(), DWLP_MSGRESULT, result);
  return TRUE;
}

// Items without an update handler keep their state.
void CDialog::OnInitMenuPopup(HMENU menu) {
  const int count = GetMenuItemCount(menu);
  for (int position = 0; position < count; ++position) {
    const UINT id = GetMenuItemID(menu, position);
    if (id == 0 || id == static_cast<UINT>(-1)) continue;  // separator or sub-menu
    CCmdUI item(menu, position, id);
    OnCmdMsg(id, CommandRequest::Update, &item);
  }
}
