#include "tray_icon.h"

#include <cwchar>

const UINT TaskbarCreatedMessage = RegisterWindowMessageW(L"TaskbarCreated");

namespace {

constexpr UINT kIconFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;

// Copies `text` into a fixed field, cut to fit with its terminating zero.
template <std::size_t N>
void CopyField(wchar_t (&field)[N], const std::wstring& text) {
  const std::size_t length = text.size() < N ? text.size() : N - 1;
  std::wmemcpy(field, text.data(), length);
  field[length] = L'\0';
}

DWORD BalloonFlags(int balloonStyle) {
  switch (balloonStyle) {
    case CTrayNotifyIcon::BalloonWarning: return NIIF_WARNING;
    case CTrayNotifyIcon::BalloonError: return NIIF_ERROR;
    case CTrayNotifyIcon::BalloonInfo: return NIIF_INFO;
    default: return 0;
  }
}

}  // namespace

LRESULT CTrayIconHooker::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  // Unregistered, the id would be 0 and match WM_NULL.
  if (TaskbarCreatedMessage != 0 && message == TaskbarCreatedMessage && icon_) {
    icon_->ReaddTrayIcon();
    return 0;
  }
  return CHookWnd::WindowProc(message, wParam, lParam);
}

CTrayNotifyIcon::CTrayNotifyIcon() = default;

CTrayNotifyIcon::~CTrayNotifyIcon() {
  if (created_) {
    record_.uFlags = 0;
    Shell_NotifyIconW(NIM_DELETE, &record_);
    created_ = false;
  }
}

bool CTrayNotifyIcon::CreateTrayIconWithBalloon(CWnd* owner, UINT id, const std::wstring& tip,
                                                const std::wstring& balloonText,
                                                const std::wstring& balloonTitle, UINT timeout,
                                                int balloonStyle, HICON icon, UINT callbackMessage,
                                                UINT menuId) {
  CopyField(record_.szInfo, balloonText);
  CopyField(record_.szInfoTitle, balloonTitle);
  record_.uTimeout = timeout;
  record_.dwInfoFlags = BalloonFlags(balloonStyle);
  return Create(owner, id, tip, icon, callbackMessage, menuId, kNotifyFullFormSize,
                kIconFlags | NIF_INFO);
}

bool CTrayNotifyIcon::CreateTrayIcon(CWnd* owner, UINT id, const std::wstring& tip, HICON icon,
                                     UINT callbackMessage, UINT menuId, bool fullForm) {
  return Create(owner, id, tip, icon, callbackMessage, menuId,
                fullForm ? kNotifyFullFormSize : kNotifyShortFormSize, kIconFlags);
}

bool CTrayNotifyIcon::Create(CWnd* owner, UINT id, const std::wstring& tip, HICON icon,
                             UINT callbackMessage, UINT menuId, DWORD recordSize, UINT flags) {
  menu_.Reset(LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(menuId ? menuId : id)));
  if (!menu_) return false;
  HMENU popup = GetSubMenu(menu_.Get(), 0);
  if (!popup) return false;
  SetMenuDefaultItem(popup, 0, TRUE);

  HWND ownerWindow = owner ? owner->Handle() : nullptr;
  if (ownerWindow) {
    HWND frame = GetAncestor(ownerWindow, GA_ROOT);
    hooker_.HookWindow(frame ? frame : ownerWindow);
  }
  hooker_.SetTrayIcon(this);

  record_.cbSize = recordSize;
  record_.hWnd = ownerWindow;
  record_.uCallbackMessage = callbackMessage;
  record_.hIcon = icon;
  record_.uID = id;
  record_.uFlags = flags;
  CopyField(record_.szTip, tip);
  created_ = Shell_NotifyIconW(NIM_ADD, &record_) != FALSE;
  return created_;
}

bool CTrayNotifyIcon::SetTrayIcon(HICON icon) {
  if (!created_) return false;
  record_.uFlags = NIF_ICON;
  record_.hIcon = icon;
  return Shell_NotifyIconW(NIM_MODIFY, &record_) != FALSE;
}

bool CTrayNotifyIcon::SetTrayTooltip(const std::wstring& text, bool fullForm) {
  if (!created_) return false;
  record_.cbSize = fullForm ? kNotifyFullFormSize : kNotifyShortFormSize;
  record_.uFlags = NIF_TIP;
  CopyField(record_.szTip, text);
  return Shell_NotifyIconW(NIM_MODIFY, &record_) != FALSE;
}

LRESULT CTrayNotifyIcon::OnTrayNotification(WPARAM wParam, LPARAM lParam) {
  if (wParam != record_.uID) return 0;
  HMENU popup = PopupMenu();
  if (!popup) return 0;
  switch (lParam) {
    case WM_RBUTTONUP: {
      POINT cursor{};
      GetCursorPos(&cursor);
      SetForegroundWindow(record_.hWnd);
      TrackPopupMenu(popup, 0, cursor.x, cursor.y, 0, record_.hWnd, nullptr);
      // Lets the menu close when the user clicks elsewhere.
      PostMessageW(record_.hWnd, WM_NULL, 0, 0);
      break;
    }
    case WM_LBUTTONDBLCLK:
      SetForegroundWindow(record_.hWnd);
      SendMessageW(record_.hWnd, WM_COMMAND, GetMenuItemID(popup, 0), 0);
      break;
    default:
      break;
  }
  return 1;
}

void CTrayNotifyIcon::ReaddTrayIcon() {
  if (hidden_) return;
  // The old taskbar may be gone with the icon, so the delete may fail.
  record_.uFlags = NIF_ICON;
  Shell_NotifyIconW(NIM_DELETE, &record_);
  hidden_ = true;
  record_.uFlags = kIconFlags;
  Shell_NotifyIconW(NIM_ADD, &record_);
  hidden_ = false;
}
