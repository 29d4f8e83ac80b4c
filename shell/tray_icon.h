// The program's icon in the notification area of the taskbar: its image and
// tool tip, its pop-up menu on a right click, the menu's default item on a
// double click, and its return when the taskbar is re-created (the
// "TaskbarCreated" broadcast, seen through a hook on the owner's top-level
// window).
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstddef>
#include <string>

#include "hook_wnd.h"
#include "win_handles.h"
#include "window.h"

// The id of the registered message "TaskbarCreated".
extern const UINT TaskbarCreatedMessage;

// The two sizes of the notification record sent to the shell: every field
// up to and including dwInfoFlags, or the first version's record, whose tool
// tip holds 63 characters.
inline constexpr DWORD kNotifyFullFormSize = NOTIFYICONDATAW_V2_SIZE;
inline constexpr DWORD kNotifyShortFormSize = NOTIFYICONDATAW_V1_SIZE;
#ifdef _WIN64
static_assert(kNotifyFullFormSize == 952 && kNotifyShortFormSize == 168);
#endif

class CTrayNotifyIcon;

class CTrayIconHooker : public CHookWnd {
 public:
  void SetTrayIcon(CTrayNotifyIcon* icon) { icon_ = icon; }

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  CTrayNotifyIcon* icon_ = nullptr;
};

class CTrayNotifyIcon {
 public:
  enum BalloonStyle { BalloonWarning = 0, BalloonError = 1, BalloonInfo = 2 };

  CTrayNotifyIcon();
  CTrayNotifyIcon(const CTrayNotifyIcon&) = delete;
  CTrayNotifyIcon& operator=(const CTrayNotifyIcon&) = delete;
  virtual ~CTrayNotifyIcon();

  // Adds the icon with its menu (`menuId`, or `id` when 0; its first
  // sub-menu is the pop-up menu). Texts longer than their fields (tip 127,
  // balloon text 255, balloon title 63 characters) are cut.
  bool CreateTrayIconWithBalloon(CWnd* owner, UINT id, const std::wstring& tip,
                                 const std::wstring& balloonText, const std::wstring& balloonTitle,
                                 UINT timeout, int balloonStyle, HICON icon, UINT callbackMessage,
                                 UINT menuId);
  bool CreateTrayIcon(CWnd* owner, UINT id, const std::wstring& tip, HICON icon,
                      UINT callbackMessage, UINT menuId, bool fullForm);

  // Both do nothing and return false before the icon was added.
  bool SetTrayIcon(HICON icon);
  bool SetTrayTooltip(const std::wstring& text, bool fullForm);

  // The owner's handler of the callback message passes its parameters here.
  virtual LRESULT OnTrayNotification(WPARAM wParam, LPARAM lParam);

  // Puts the icon back after the taskbar was re-created.
  void ReaddTrayIcon();

  bool Created() const { return created_; }
  const wchar_t* Tooltip() const { return record_.szTip; }
  HICON Icon() const { return record_.hIcon; }
  HMENU PopupMenu() const { return GetSubMenu(menu_.Get(), 0); }

 private:
  bool Create(CWnd* owner, UINT id, const std::wstring& tip, HICON icon, UINT callbackMessage,
              UINT menuId, DWORD recordSize, UINT flags);

  NOTIFYICONDATAW record_{};
  bool created_ = false;
  bool hidden_ = false;
  CTrayIconHooker hooker_;
  MenuHandle menu_;
};
