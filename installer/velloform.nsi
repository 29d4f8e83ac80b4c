; Velloform's installer: a per-user install, without administrator rights,
; of the clipboard handler, the command-line tool and the help file into the
; user's own programs folder.
;
; makensis -DVERSION=7.30.0.0 -DOUTFILE=... -DCLIPMEND_EXE=... -DWMFMEND_EXE=...
;          -DHELP_FILE=... -DPROGRAM_ICON=... velloform.nsi
; Command line of the installer (besides NSIS's own /S and /D=folder):
;   /AUTOSTART=1 or /AUTOSTART=0  start Velloform when Windows starts, or not;
;                                 without it a new install starts it with
;                                 Windows and an upgrade keeps the choice
;   /START                        start Velloform at the end of a silent install
;                                 (a silent upgrade that had to end the running
;                                 program starts the new one anyway)
; Command line of the uninstaller (besides /S):
;   /REMOVESETTINGS               remove the settings without asking; otherwise
;                                 the user is asked, and a silent uninstall keeps
;                                 them

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh
!include WinMessages.nsh

!macro REQUIRE symbol
  !ifndef ${symbol}
    !error "makensis needs -D${symbol}=..."
  !endif
!macroend
!insertmacro REQUIRE VERSION
!insertmacro REQUIRE OUTFILE
!insertmacro REQUIRE CLIPMEND_EXE
!insertmacro REQUIRE WMFMEND_EXE
!insertmacro REQUIRE HELP_FILE
!insertmacro REQUIRE PROGRAM_ICON

!define PRODUCT "Velloform"
!define PUBLISHER "Tornvik"
!define MAIN_WINDOW_CLASS "VelloformClass"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velloform"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "Velloform"
!define SETTINGS_KEY "Software\Tornvik\Velloform"
!define SETTINGS_PARENT_KEY "Software\Tornvik"
!define SHORTCUT "$SMPROGRAMS\Velloform.lnk"
!define SYNCHRONIZE 0x00100000
; How long the running program may take to store its settings and end.
!define END_TIMEOUT_MS 20000

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Velloform"
; An upgrade goes where the last install went.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

; 1 when the program was running and the install ended it.
Var WasRunning

!define MUI_ICON "${PROGRAM_ICON}"
!define MUI_UNICON "${PROGRAM_ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\Clipmend.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Velloform now"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Ends a running Clipmend.exe the way users do, with "/unload", and waits
; until its process is gone: it stores its settings on the way out, and its
; file cannot be replaced or removed while it runs.
!macro DEFINE_END_RUNNING_PROGRAM prefix
Function ${prefix}EndRunningProgram
  StrCpy $WasRunning 0
  FindWindow $0 "${MAIN_WINDOW_CLASS}"
  ${If} $0 == 0
    Return
  ${EndIf}
  StrCpy $WasRunning 1
  DetailPrint "Ending the running Velloform"
  System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1) i'
  System::Call 'kernel32::OpenProcess(i ${SYNCHRONIZE}, i 0, i r1) p .r2'
  ${If} ${FileExists} "$INSTDIR\Clipmend.exe"
    ExecWait '"$INSTDIR\Clipmend.exe" /unload'
  ${Else}
    ; Another copy runs: ask it directly, as "/unload" does.
    SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=${END_TIMEOUT_MS}
  ${EndIf}
  StrCpy $3 0
  ${If} $2 != 0
    System::Call 'kernel32::WaitForSingleObject(p r2, i ${END_TIMEOUT_MS}) i .r3'
    System::Call 'kernel32::CloseHandle(p r2)'
  ${EndIf}
  FindWindow $0 "${MAIN_WINDOW_CLASS}"
  ${If} $0 != 0
  ${OrIf} $3 != 0
    MessageBox MB_OK|MB_ICONSTOP "Velloform is still running and does not end.$\r$\n\
        Unload it from its menu in the notification area, then start again." /SD IDOK
    SetErrorLevel 3
    Quit
  ${EndIf}
FunctionEnd
!macroend
!insertmacro DEFINE_END_RUNNING_PROGRAM ""
!insertmacro DEFINE_END_RUNNING_PROGRAM "un."

Section "Velloform" SectionProgram
  SectionIn RO
  Call EndRunningProgram

  ; Remember whether the folder that holds the program folder is made here,
  ; so that the uninstaller removes it only then.
  ${GetParent} "$INSTDIR" $0
  ${IfNot} ${FileExists} "$0\*.*"
    StrCpy $1 1
  ${Else}
    StrCpy $1 0
  ${EndIf}

  SetOutPath "$INSTDIR"
  File "/oname=Clipmend.exe" "${CLIPMEND_EXE}"
  File "/oname=wmfmend.exe" "${WMFMEND_EXE}"
  File "/oname=Velloform.chm" "${HELP_FILE}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "${SHORTCUT}" "$INSTDIR\Clipmend.exe" "" "$INSTDIR\Clipmend.exe" 0 \
      SW_SHOWNORMAL "" "Improves WMF pictures copied from CAD programs"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Clipmend.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${If} $1 == 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "MadeParentFolder" 1
  ${EndIf}
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0

  ; The section below writes it again when chosen.
  DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
SectionEnd

Section "Start Velloform when Windows starts" SectionAutostart
  WriteRegStr HKCU "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\Clipmend.exe"'
SectionEnd

Function .onInit
  ${GetParameters} $R0
  ; The choice of the last install, if any; a new install starts with Windows.
  ReadRegStr $R1 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ReadRegStr $R2 HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${If} $R1 != ""
  ${AndIf} $R2 == ""
    !insertmacro UnselectSection ${SectionAutostart}
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/AUTOSTART=" $R3
  ${IfNot} ${Errors}
    ${If} $R3 == "1"
      !insertmacro SelectSection ${SectionAutostart}
    ${ElseIf} $R3 == "0"
      !insertmacro UnselectSection ${SectionAutostart}
    ${Else}
      MessageBox MB_OK|MB_ICONSTOP "/AUTOSTART= takes 1 or 0, not $\"$R3$\"." /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
  ${EndIf}
FunctionEnd

Function .onInstSuccess
  ${IfNot} ${Silent}
    Return  ; the finish page offers the start
  ${EndIf}
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/START" $R1
  ${IfNot} ${Errors}
  ${OrIf} $WasRunning == 1
    Exec '"$INSTDIR\Clipmend.exe"'
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Call un.EndRunningProgram

  Delete "$INSTDIR\Clipmend.exe"
  Delete "$INSTDIR\wmfmend.exe"
  Delete "$INSTDIR\Velloform.chm"
  Delete "$INSTDIR\uninstall.exe"
  ; Only when empty: files of the user's own stay, and so does their folder.
  RMDir "$INSTDIR"
  ReadRegDWORD $0 HKCU "${UNINSTALL_KEY}" "MadeParentFolder"
  ${If} $0 == 1
    ${GetParent} "$INSTDIR" $1
    RMDir "$1"
  ${EndIf}
  Delete "${SHORTCUT}"

  ; The Run entry only when it starts this copy.
  ReadRegStr $0 HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${If} $0 == '"$INSTDIR\Clipmend.exe"'
    DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${EndIf}
  DeleteRegKey HKCU "${UNINSTALL_KEY}"

  ; The settings are the user's work, shared with the AutoCAD plug-in.
  ClearErrors
  EnumRegKey $0 HKCU "${SETTINGS_KEY}" 0
  ${IfNot} ${Errors}
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/REMOVESETTINGS" $R1
    ${If} ${Errors}
      MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
          "Remove your Velloform settings as well?$\r$\n$\r$\n\
          Keep them to use them again after a new install, or with the AutoCAD plug-in KLAROUT.ARX." \
          /SD IDNO IDNO keepSettings
    ${EndIf}
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    DeleteRegKey /ifempty HKCU "${SETTINGS_PARENT_KEY}"
  keepSettings:
  ${EndIf}
SectionEnd
