// Numbers of the program's resources and of the commands its menus send.
// Included by the resource script and by the code.
#pragma once

// Icons: a picture on the clipboard / no picture.
#define IDI_PICTURE 109
#define IDI_NO_PICTURE 110

// The tray icon's menu; its first sub-menu is the pop-up menu.
#define IDR_TRAY_MENU 107

// Child template of the Save-as dialog, with its check box.
#define IDD_SAVE_AS_OPTIONS 112
#define IDC_POPUP_SAVE_AS 1034

// Bitmaps: the splash screen, the About box's picture and banner.
#define IDB_SPLASH 125
#define IDB_ABOUT_PICTURE 127
#define IDB_ABOUT_BANNER 129

// The hand shown over links.
#define IDC_LINK_HAND 120

// Commands of the tray menu.
#define ID_MAIN_OPTIONS 40002
#define ID_ENABLE_AUTOMODIFY 40005
#define ID_DISABLE_AUTOMODIFY 40006
#define ID_SAVE_LAST_AS_FILE 40007
#define ID_MODIFY_NOW 40008
#define ID_COPY_LAST_TO_CLIPBOARD 40018
#define ID_APP_ABOUT 57664
#define ID_APP_EXIT 57665
#define ID_HELP_CONTENTS 57670
#define ID_USER_PREFERENCES 57672
