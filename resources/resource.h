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
#define ID_PUT_ORIGINAL_BACK 40019
#define ID_APP_ABOUT 57664
#define ID_APP_EXIT 57665
#define ID_HELP_CONTENTS 57670
#define ID_USER_PREFERENCES 57672

// Dialog templates and the options dialog's menu.
#define IDD_OPTIONS 101
#define IDD_ABOUT 102
#define IDR_OPTIONS_MENU 108
#define IDD_PREFERENCES 111
#define IDD_ADVANCED_OPTIONS 118

// Commands of the options dialog's menu and buttons (besides the tray's).
#define ID_HELP_BUTTON 9
#define ID_LOAD_OPTIONS 40016
#define ID_SAVE_OPTIONS 40017
#define ID_VISIT_WEBSITE 40023
#define ID_CHECK_UPDATES 40024
#define ID_PREVIEW 40020
#define ID_HELP_INDEX 57667
#define ID_HELP_ON_DIALOG 57670
#define ID_APPLY 57671
#define ID_UNLOAD 57673
#define ID_EDIT_LINES 57674
#define ID_EDIT_FILLS 57675

// Controls of the options dialog.
#define IDC_REMOVE_BACKGROUND 1000
#define IDC_CROP 1001
#define IDC_LINES_THIN 1002
#define IDC_LINES_FIXED 1005
#define IDC_LINES_ADVANCED 1006
#define IDC_FILLS_UNMODIFIED 1007
#define IDC_FILLS_REMOVE 1008
#define IDC_FILLS_BLACK 1009
#define IDC_FILLS_ADVANCED 1010
#define IDC_FILLS_GROUP 1011
#define IDC_LINES_GROUP 1012
#define IDC_TILEMODE 1013
#define IDC_FIXED_WIDTH 1014
#define IDC_PERCENTAGE 1017
#define IDC_PICTURE_WIDTH 1021
#define IDC_PICTURE_HEIGHT 1023
#define IDC_DRAWING_SCALE 1024
#define IDC_WMF_SCALE 1025
#define IDC_SIZE_PERCENTAGE 1033
#define IDC_SIZE_WIDTH 1035
#define IDC_SIZE_HEIGHT 1037
#define IDC_SIZE_UNMODIFIED 1038
#define IDC_OUTLINES_TOO 1039
#define IDC_PERCENTAGE_SPIN 1040
#define IDC_MAKE_BLACK 1041
#define IDC_SIZE_SCALED 1043
#define IDC_DRAWING_UNIT_LABEL 1051
#define IDC_GENERAL_GROUP 1052
#define IDC_SIZE_GROUP 1053
#define IDC_EQUALS_LABEL 1055
#define IDC_PERCENT_LABEL 1056
#define IDC_ROTATION 1059
#define IDC_WMF_UNIT_LABEL 1072

// Controls of the advanced options dialog.
#define IDC_WHITE_BLACK 1003
#define IDC_LEAVE_MARGIN 1004
#define IDC_MARGIN 1019
#define IDC_MARGIN_SPIN 1042
#define IDC_MARGIN_LABEL 1057
#define IDC_PAPER_LAST 1058
#define IDC_COLOR_LIST 1061
#define IDC_EDIT_WIDTH 1062
#define IDC_LINE_COLOR 1063
#define IDC_FILL_COLOR 1064
#define IDC_RESET_ALL 1065
#define IDC_WIDTH_HEADER 1069
#define IDC_LINE_COLOR_HEADER 1070
#define IDC_FILL_COLOR_HEADER 1071
#define IDC_REMOVE_LINES 1080
#define IDC_EDIT_WIDTH_LABEL 1081

// Controls of the preferences dialog (1034 is IDC_POPUP_SAVE_AS above).
#define IDC_REPLACE_COPYCLIP 1018
#define IDC_SHOW_SPLASH 1031
#define IDC_TOOLTIP 1032
#define IDC_START_WITH_OPTIONS 1036
#define IDC_ASK_TILEMODE 1043
#define IDC_IMPERIAL 1049
#define IDC_METRIC 1050
#define IDC_PLUGIN_GROUP 1054
#define IDC_PROGRAM_GROUP 1053
#define IDC_SIZES_LABEL 1055
#define IDC_AUTOMODIFY_MODE 1075
#define IDC_IMPROVE_EMF 1082

// Controls of the About dialog.
#define IDC_VERSION 1020
#define IDC_RELEASE_DATE 1054
#define IDC_STATISTICS 1046
#define IDC_MAIL_LINK 1076
#define IDC_WEB_LINK 1077

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
