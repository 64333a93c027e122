; The client distribution kit: an installer of the workstation agent that carries the
; predefined connection settings stored by the configurator's kit dialog.
;
; The configurator compiles this script with these defines (folders end with a separator):
;   PRODUCT_VERSION_MAJOR, PRODUCT_VERSION_MINOR  the product version ("6.9" and "6.8822")
;   USER_SETTINGS_DIR         folder of the predefined user.json (server, port, login)
;   WORKSTATION_SETTINGS_DIR  folder of the predefined workstation.json (workstation name)
;   APP_DIR_SUFFIX            the product's folder below the standard folders
;                             ("Quentara\Corvex Workstation\")
;   OUTPUT                    the installer file to write
;   CURRENT_WORK_DIR          the configurator's folder: the agent, the configurator and the
;                             parameters library's files are taken from there
;   ASK_FOR_PARAMETERS        (optional) ask for the workstation name on a page of its own
;
; Beside this script lie CorvexKitSetup.exe, the kit's helper program, and setup_client.ico,
; the product's icon. The helper travels in the installer's temporary folder and does all the
; settings, firewall and service work: it checks the switches and settings with the
; parameters library's rules and saves them through the library, registers and restarts the
; service with the service controller, and never shows a window. Its exit codes are the
; installer's. This script only copies files, writes the uninstall entry and runs programs.
; The switches, exit codes and log are described in docs/KIT.md.
; The file is UTF-8 with a byte order mark: without one the compiler on Windows would read
; any letter beyond ASCII in the ANSI code page.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestSupportedOS all
ManifestDPIAware true
; A file that cannot be written ends the installation; it is never skipped.
AllowSkipFiles off

!macro RequireDefine NAME
  !ifndef ${NAME}
    !error "The kit script needs the define ${NAME} (/D${NAME}=...)."
  !endif
!macroend
!insertmacro RequireDefine PRODUCT_VERSION_MAJOR
!insertmacro RequireDefine PRODUCT_VERSION_MINOR
!insertmacro RequireDefine USER_SETTINGS_DIR
!insertmacro RequireDefine WORKSTATION_SETTINGS_DIR
!insertmacro RequireDefine APP_DIR_SUFFIX
!insertmacro RequireDefine OUTPUT
!insertmacro RequireDefine CURRENT_WORK_DIR

!include LogicLib.nsh
!include FileFunc.nsh
!include WordFunc.nsh
!include MUI2.nsh
!ifdef ASK_FOR_PARAMETERS
!include nsDialogs.nsh
!endif

!define PRODUCT_NAME "Corvex Workstation"
!define PRODUCT_VERSION "${PRODUCT_VERSION_MAJOR}.${PRODUCT_VERSION_MINOR}"
!define AGENT_EXE "CorvexWorkstation.exe"
!define CONFIGURATOR_EXE "SetupClient.exe"
!define KIT_PROGRAM "CorvexKitSetup.exe"
!define KIT_MESSAGE "CorvexKitSetup.msg"
!define KIT_STOPPED "CorvexKitSetup.stopped"
!define KIT_NO_LOG "CorvexKitSetup.nolog"
!define KIT_SILENT "CorvexKitSetup.silent"
!define KIT_NAME "CorvexKitSetup.name"
; This script's folder, as the configurator gives it (the compiler's own name for it keeps the
; escapes a hidden share's dollar sign can make).
!define KIT_FILES "${CURRENT_WORK_DIR}CorvexWorkstation\Packet"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\QuentaraCorvexWorkstation_x64"
; With the machine-wide folders in force, $APPDATA is the ProgramData folder.
!define LOG_FOLDER "$APPDATA\${APP_DIR_SUFFIX}Logs"

; Exit codes (docs/KIT.md). 1 and 2 are the installer framework's own: cancelled by the user,
; aborted (a file that could not be written). 10, 11, 12, 14, 16 and 17 come from the helper.
!define EXIT_ABORTED 2
!define EXIT_PROGRAM_NOT_STARTED 13
!define EXIT_NOT_ADMINISTRATOR 15

Name "${PRODUCT_NAME}"
Caption "${PRODUCT_NAME} Setup"
UninstallCaption "${PRODUCT_NAME} Uninstall"
BrandingText "${PRODUCT_NAME} ${PRODUCT_VERSION}"
OutFile "${OUTPUT}"
; Without its closing backslash: a folder chosen with Browse then gets the product's own folder
; below it ("D:\Apps" becomes "D:\Apps\Corvex Workstation"), as users expect, instead of taking
; the kit's files, its size and, at uninstall, its removal at the next restart.
!searchreplace INSTALL_DIR_BELOW_PROGRAMS "${APP_DIR_SUFFIX}|" "\|" ""
InstallDir "$PROGRAMFILES64\${INSTALL_DIR_BELOW_PROGRAMS}"
; An upgrade or a repair goes where the agent is installed (unless /D= says otherwise).
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${PRODUCT_VERSION}"
VIFileVersion "${PRODUCT_VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT_NAME}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${PRODUCT_VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${PRODUCT_VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT_NAME} setup"
VIAddVersionKey /LANG=1033 "CompanyName" "Quentara"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Quentara"

!define HELP_TEXT "${PRODUCT_NAME} ${PRODUCT_VERSION} setup$\r$\n$\r$\n\
/S$\tsilent installation: no window$\r$\n\
/SERVER=host$\tserver host name or IP address$\r$\n\
/PORT=number$\tserver port, 1 to 65535$\r$\n\
/LOGIN=login$\tbackup administrator login$\r$\n\
/NAME=name$\tworkstation name (empty: the computer's network name)$\r$\n\
/RESETSETTINGS$\tthe kit's settings replace the stored ones$\r$\n\
/D=folder$\tinstallation folder (last, without quotes)$\r$\n\
/?$\tthis list$\r$\n$\r$\n\
A re-run keeps the stored settings and applies only the values of the switches.$\r$\n\
Log: %ProgramData%\${APP_DIR_SUFFIX}Logs\setup.log$\r$\n\
Exit codes: 0 installed; 1 cancelled; 2 aborted, files not written; 10 bad switch or folder;$\r$\n\
11 settings not written; 12 service not registered; 13 helper not started;$\r$\n\
14 service not running; 15 no administrator rights; 16 firewall exception not confirmed;$\r$\n\
17 helper failed (see the log)."

Var Switches    ; the installer's command line after its own name
Var NameSwitch  ; "/NAME=..." from the name page
Var MovedFrom   ; the earlier installation's folder, when this one goes to another
Var Configurator  ; the uninstaller's handle on the configurator's file, held until the files go
!ifdef ASK_FOR_PARAMETERS
Var NameBox
Var NameValue
!endif

!define MUI_ICON "${KIT_FILES}\setup_client.ico"
!define MUI_UNICON "${KIT_FILES}\setup_client.ico"
!define MUI_ABORTWARNING
!define MUI_CUSTOMFUNCTION_ABORT LogCancelled
!define MUI_CUSTOMFUNCTION_UNABORT un.LogCancelled
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE InstallFolderLeave
!insertmacro MUI_PAGE_DIRECTORY
!ifdef ASK_FOR_PARAMETERS
Page custom WorkstationNamePage WorkstationNamePageLeave
!endif
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Adds 0x400 to $4 when PATH is a link (a reparse point).
!macro AddLinkMark PATH
  System::Call "kernel32::GetFileAttributesW(w '${PATH}') i .r2"
  ${If} $2 <> -1
    IntOp $2 $2 & 0x400
    IntOp $4 $4 | $2
  ${EndIf}
!macroend

; Appends a line to the install log in UTF-8, as the helper writes its own lines there too
; (FileWrite would write the system's ANSI code page). Nothing is written through a link: a
; folder on the log's path that a user made one would send the system's writes elsewhere. The
; helper gives the log's folders the settings store's rights, and tells when it could not
; trust them (a user's folder): then the installer writes no lines either.
!macro LogLineFunction UN
Function ${UN}LogLine
  Exch $0
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  Push $6
  Push $7
  StrCpy $4 0
  ${If} ${FileExists} "$PLUGINSDIR\${KIT_NO_LOG}"
    StrCpy $4 1
  ${Else}
    !insertmacro AddLinkMark "${LOG_FOLDER}\..\.."
    !insertmacro AddLinkMark "${LOG_FOLDER}\.."
    !insertmacro AddLinkMark "${LOG_FOLDER}"
  ${EndIf}
  ${If} $4 = 0
    CreateDirectory "${LOG_FOLDER}"
    ClearErrors
    FileOpen $1 "${LOG_FOLDER}\setup.log" a
  ${Else}
    SetErrors
  ${EndIf}
  ${IfNot} ${Errors}
    FileSeek $1 0 END
    ${GetTime} "" "L" $2 $3 $4 $5 $6 $7 $5
    StrCpy $0 "$4-$3-$2 $6:$7:$5 [installer] $0$\r$\n"
    System::Call "kernel32::WideCharToMultiByte(i 65001, i 0, w r0, i -1, p 0, i 0, p 0, p 0) i .r2"
    System::Alloc $2
    Pop $3
    System::Call "kernel32::WideCharToMultiByte(i 65001, i 0, w r0, i -1, p r3, i r2, p 0, p 0) i .r2"
    ${If} $2 > 1
      IntOp $2 $2 - 1
      System::Call "kernel32::WriteFile(p r1, p r3, i r2, *i .r4, p 0)"
    ${EndIf}
    System::Free $3
    FileClose $1
  ${EndIf}
  Pop $7
  Pop $6
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro LogLineFunction ""
!insertmacro LogLineFunction "un."

!macro Log TEXT
  Push "${TEXT}"
  !ifdef __UNINSTALL__
    Call un.LogLine
  !else
    Call LogLine
  !endif
!macroend

; Cancel, confirmed on a page before the copy (or the uninstaller's before the removal): the
; framework ends the run with 1.
Function LogCancelled
  !insertmacro Log "Exit code 1: cancelled by the user. Nothing was changed."
FunctionEnd
Function un.LogCancelled
  !insertmacro Log "Exit code 1: cancelled by the user. Nothing was removed."
FunctionEnd

; Ends the run with an exit code and a message (shown only when the run is interactive).
!macro Fail CODE MESSAGE
  SetErrorLevel ${CODE}
  !insertmacro Log "Exit code ${CODE}: ${MESSAGE}"
  MessageBox MB_OK|MB_ICONSTOP "${MESSAGE}" /SD IDOK
  Quit
!macroend

; Runs the helper: MODE "$INSTDIR" $Switches EXTRA. $0: its exit code (13 when it could not
; be started); $1: its message (empty after a success).
!macro RunKit MODE EXTRA
  Delete "$PLUGINSDIR\${KIT_MESSAGE}"
  ClearErrors
  ExecWait '"$PLUGINSDIR\${KIT_PROGRAM}" ${MODE} "$INSTDIR" $Switches ${EXTRA}' $0
  StrCpy $1 ""
  ${If} ${Errors}
    StrCpy $0 ${EXIT_PROGRAM_NOT_STARTED}
    StrCpy $1 "The setup's helper program could not be started from $PLUGINSDIR."
  ${ElseIf} $0 <> 0
    ClearErrors
    FileOpen $2 "$PLUGINSDIR\${KIT_MESSAGE}" r
    ${IfNot} ${Errors}
      FileReadUTF16LE $2 $1
      FileClose $2
    ${EndIf}
  ${EndIf}
!macroend

; An installation that fails after the stop before the copy (files that could not be replaced,
; settings or a registration refused, a program that could not be started): the agent's
; service is automatic and running again.
Function ResumeStoppedAgent
  ${If} ${FileExists} "$PLUGINSDIR\${KIT_STOPPED}"
    !insertmacro RunKit resume ""
  ${EndIf}
FunctionEnd

Function .onInit
  SetShellVarContext all
  SetRegView 64
  ${GetParameters} $Switches
  StrCpy $NameSwitch ""
  ClearErrors
  ${GetOptions} $Switches "/?" $0
  ${IfNot} ${Errors}
    MessageBox MB_OK|MB_ICONINFORMATION "${HELP_TEXT}" /SD IDOK
    SetErrorLevel 0
    Quit
  ${EndIf}

  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    ; Not logged: the log's folders, made with this user's rights, would belong to the user,
    ; and the settings store refuses a folder a user other than an administrator owns.
    SetErrorLevel ${EXIT_NOT_ADMINISTRATOR}
    MessageBox MB_OK|MB_ICONSTOP "The ${PRODUCT_NAME} setup needs administrator rights." /SD IDOK
    Quit
  ${EndIf}

  ; The helper and the kit's settings travel in the installer's temporary folder.
  InitPluginsDir
  File "/oname=$PLUGINSDIR\${KIT_PROGRAM}" "${KIT_FILES}\${KIT_PROGRAM}"
  File "/oname=$PLUGINSDIR\user.json" "${USER_SETTINGS_DIR}user.json"
  File "/oname=$PLUGINSDIR\workstation.json" "${WORKSTATION_SETTINGS_DIR}workstation.json"
  ; Every value is checked before anything changes. A silent run asked for in a form this
  ; installer does not take (/s, /quiet, "/S", /S with a line break or a tab after it) is refused
  ; without a box too: nobody may be there to answer it, nor the pages that would follow.
  !insertmacro RunKit check ""
  ${IfNot} ${Silent}
  ${AndIf} ${FileExists} "$PLUGINSDIR\${KIT_SILENT}"
    SetSilent silent
    ${If} $0 = 0
      StrCpy $0 10
      StrCpy $1 "A silent installation was asked for in a form the installer does not take: write /S in capitals, without quotes, followed by a plain blank or nothing."
    ${EndIf}
  ${EndIf}
  ${If} $0 <> 0
    !insertmacro Fail $0 "$1"
  ${EndIf}
  !ifdef ASK_FOR_PARAMETERS
    ; The name page shows the name stored (the check wrote it down), so that a re-run's Next
    ; keeps it, unless /NAME= gives one.
    ClearErrors
    FileOpen $2 "$PLUGINSDIR\${KIT_NAME}" r
    ${IfNot} ${Errors}
      FileReadUTF16LE $2 $NameValue
      FileClose $2
    ${EndIf}
    ; The name page shows the name of /NAME=, quoted or not; given more than once, the last
    ; counts, as for the helper. The search sees no quote marks (nor tabs: blanks), which a
    ; name never holds.
    ${WordReplace} $Switches '"' '' "+" $2
    ${WordReplace} $2 "'" "" "+" $2
    StrCpy $3 "`"
    ${WordReplace} $2 $3 "" "+" $2
    ${WordReplace} $2 "$\t" " " "+" $2
    ${Do}
      ClearErrors
      ${GetOptions} $2 "/NAME=" $3
      ${IfThen} ${Errors} ${|} ${ExitDo} ${|}
      StrCpy $NameValue $3
      ${WordFind} $2 "/NAME=" "+1}" $2
    ${Loop}
  !endif
FunctionEnd

; The folder page: a folder the agent must not run from (one that users who are not
; administrators may change, shared with other programs) is refused here, in the helper's
; words, and the user chooses another.
Function InstallFolderLeave
  !insertmacro RunKit folder ""
  ${If} $0 <> 0
    MessageBox MB_OK|MB_ICONEXCLAMATION "$1"
    Abort
  ${EndIf}
FunctionEnd

; ---------------------------------------------------------------------------------------
; The workstation name page (kits built with "Ask for the Workstation name while installing
; the program"). With /S, /NAME= stands in for it.
!ifdef ASK_FOR_PARAMETERS
Function WorkstationNamePage
  !insertmacro MUI_HEADER_TEXT "Workstation name" "The name under which Halvane Server sees this computer."
  nsDialogs::Create 1018
  Pop $0
  ${If} $0 == error
    Abort
  ${EndIf}
  ReadEnvStr $1 COMPUTERNAME
  ${NSD_CreateLabel} 0 0 100% 24u "Workstation name (letters A to Z, digits and hyphens). Leave it empty to use this computer's network name, $1."
  Pop $0
  ${NSD_CreateText} 0 28u 100% 12u "$NameValue"
  Pop $NameBox
  ; The name is what this page asks for: typing goes into its box (the page would otherwise
  ; open with the Install button focused, and a name's first letter could press it), and a
  ; name typed before Back is there again after Next.
  ${NSD_OnBack} WorkstationNamePageBack
  ${NSD_SetFocus} $NameBox
  SendMessage $NameBox ${EM_SETSEL} 0 -1
  nsDialogs::Show
FunctionEnd

Function WorkstationNamePageBack
  ${NSD_GetText} $NameBox $NameValue
FunctionEnd

Function WorkstationNamePageLeave
  ${NSD_GetText} $NameBox $NameValue
  ; The helper's command line drops quote marks, so it would check (and store) the name
  ; without them: a name with one is refused here, in the helper's words.
  ${WordReplace} $NameValue '"' "" "+" $2
  ${If} $2 != $NameValue
    MessageBox MB_OK|MB_ICONEXCLAMATION '/NAME=: The workstation name contains """. Use letters A to Z, digits and hyphens only.'
    ${NSD_SetFocus} $NameBox
    Abort
  ${EndIf}
  !insertmacro RunKit check '"/NAME=$NameValue"'
  ${If} $0 <> 0
    MessageBox MB_OK|MB_ICONEXCLAMATION "$1"
    ${NSD_SetFocus} $NameBox
    Abort
  ${EndIf}
  StrCpy $NameSwitch '"/NAME=$NameValue"'
FunctionEnd
!endif

; ---------------------------------------------------------------------------------------
Section "Install"
  SetShellVarContext all
  SetRegView 64
  !insertmacro Log "${PRODUCT_NAME} ${PRODUCT_VERSION} into $INSTDIR, switches: $Switches"

  ; An agent from an earlier installation must let go of its files. The helper first refuses
  ; (10) a folder the agent must not run from, before anything changes; a helper that could not
  ; be started (13) or failed (17) ends the run too, with the agent running again.
  !insertmacro RunKit stop ""
  ${If} $0 <> 0
    StrCpy $7 $0
    StrCpy $8 $1
    Call ResumeStoppedAgent
    !insertmacro Fail $7 "$8"
  ${EndIf}

  SetOutPath "$INSTDIR"
  SetOverwrite on
  ClearErrors
  File "${CURRENT_WORK_DIR}${AGENT_EXE}"
  File "${CURRENT_WORK_DIR}${CONFIGURATOR_EXE}"
  ; The parameters library's files, where it comes as libraries of its own.
  !if /FileExists "${CURRENT_WORK_DIR}NetworkParameters*.dll"
    File "${CURRENT_WORK_DIR}NetworkParameters*.dll"
  !endif
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  ${If} ${Errors}
    Call ResumeStoppedAgent
    !insertmacro Fail ${EXIT_ABORTED} "A file could not be written into $INSTDIR. Nothing was registered."
  ${EndIf}
  ; Moved to another folder: the earlier folder keeps its files and its uninstaller. An older
  ; kit's uninstaller there would remove this installation's service and entry; this kit's,
  ; which removes only its own folder's files, takes its place.
  ReadRegStr $MovedFrom HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $MovedFrom != ""
  ${AndIf} $MovedFrom != $INSTDIR
  ${AndIf} ${FileExists} "$MovedFrom\Uninstall.exe"
    WriteUninstaller "$MovedFrom\Uninstall.exe"
  ${Else}
    StrCpy $MovedFrom ""
  ${EndIf}

  ; The uninstall entry (without its version, MarkInstalled's) comes before the settings and
  ; service work, so that an installation that stops there can still be removed. A move keeps
  ; the entry of the earlier folder until the service runs this folder's agent: an uninstall
  ; then removes the agent that runs.
  ${If} $MovedFrom == ""
    Call WriteUninstallEntry
  ${EndIf}

  ${If} ${Silent}
    ; Settings, service registration, firewall exception and service restart.
    !insertmacro RunKit install ""
    SetErrorLevel $0
    ${If} $0 = 11
    ${OrIf} $0 = 12
    ${OrIf} $0 = ${EXIT_PROGRAM_NOT_STARTED}
      ; The agent stopped for the copy runs again (a helper that could not be started may start
      ; for the resume), and the log ends with this installer's code, not the resume's.
      StrCpy $7 $0
      StrCpy $8 $1
      Call ResumeStoppedAgent
      !insertmacro Fail $7 "$8"
    ${ElseIf} $MovedFrom != ""
      Call WriteUninstallEntry
    ${EndIf}
    ${If} $0 = 0
    ${OrIf} $0 = 16
      Call MarkInstalled
    ${EndIf}
  ${Else}
    ; Settings and service registration; the install-time dialog does the rest.
    !insertmacro RunKit prepare $NameSwitch
    ${If} $0 <> 0
      StrCpy $7 $0
      StrCpy $8 $1
      Call ResumeStoppedAgent
      !insertmacro Fail $7 "$8"
    ${EndIf}
    ${If} $MovedFrom != ""
      Call WriteUninstallEntry
    ${EndIf}
    ClearErrors
    ExecWait '"$INSTDIR\${CONFIGURATOR_EXE}" --install_client' $0
    ${If} ${Errors}
      Call ResumeStoppedAgent
      !insertmacro Fail ${EXIT_PROGRAM_NOT_STARTED} "The configurator $INSTDIR\${CONFIGURATOR_EXE} could not be started."
    ${EndIf}
    Call MarkInstalled
  ${EndIf}
SectionEnd

; The uninstall entry for this folder. The uninstaller runs in place (_?=), so whoever starts
; it waits until it has finished.
Function WriteUninstallEntry
  ${GetSize} "$INSTDIR" "/S=0K" $2 $3 $4
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT_NAME}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Quentara"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${CONFIGURATOR_EXE},0"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $2
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe" _?=$INSTDIR'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S _?=$INSTDIR'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
FunctionEnd

; The version, which deployment tools' detection rules test, once the agent is in service (its
; service runs, or the install-time dialog has run): a failed installation is tried again, and a
; failed upgrade keeps the earlier version's.
Function MarkInstalled
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${PRODUCT_VERSION}"
FunctionEnd

; A file that cannot be written ends the installation in the framework itself (exit code 2).
Function .onInstFailed
  Call ResumeStoppedAgent
  !insertmacro Log "Exit code 2: the installation was aborted; a file could not be written into $INSTDIR. Nothing was registered."
FunctionEnd

; ---------------------------------------------------------------------------------------
Function un.onInit
  SetShellVarContext all
  SetRegView 64
  StrCpy $Switches ""
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    ; Not logged, as for the installer.
    SetErrorLevel ${EXIT_NOT_ADMINISTRATOR}
    MessageBox MB_OK|MB_ICONSTOP "The ${PRODUCT_NAME} uninstaller needs administrator rights." /SD IDOK
    Quit
  ${EndIf}
FunctionEnd

!macro LetGoOfConfigurator
  ${If} $Configurator != ""
    FileClose $Configurator
    StrCpy $Configurator ""
  ${EndIf}
!macroend

Section "Uninstall"
  !insertmacro Log "Uninstalling from $INSTDIR"
  ; A configurator still open (in another user's session, say) would keep its file after the
  ; service, the firewall exception and the agent were gone: nothing is removed then. Checked
  ; once the removal is confirmed, and held open for writing until the files go, so that nobody
  ; starts it meanwhile.
  StrCpy $Configurator ""
  ${If} ${FileExists} "$INSTDIR\${CONFIGURATOR_EXE}"
    ClearErrors
    FileOpen $Configurator "$INSTDIR\${CONFIGURATOR_EXE}" a
    ${If} ${Errors}
      !insertmacro Fail ${EXIT_ABORTED} "$INSTDIR\${CONFIGURATOR_EXE} is in use: it may be open in another user's session. Close it, then run the uninstaller again. Nothing was removed."
    ${EndIf}
  ${EndIf}
  InitPluginsDir
  File "/oname=$PLUGINSDIR\${KIT_PROGRAM}" "${KIT_FILES}\${KIT_PROGRAM}"
  ; The service (when it runs this folder's agent) and the firewall exception.
  !insertmacro RunKit uninstall ""
  StrCpy $9 $0
  ; An uninstallation that fails keeps the uninstaller and its entry, so that a deployment tool
  ; (or the user) can run it again once the cause is mended: a service that could not be removed
  ; (or a helper that did not run, or failed unexpectedly: 17) keeps its files too.
  ${If} $9 = 12
  ${OrIf} $9 = ${EXIT_PROGRAM_NOT_STARTED}
  ${OrIf} $9 = 17
    !insertmacro Log "$1 The files, the uninstaller and its entry stay for another run."
    Goto ended
  ${EndIf}
  !insertmacro LetGoOfConfigurator
  ClearErrors
  Delete "$INSTDIR\${CONFIGURATOR_EXE}"
  Delete "$INSTDIR\${AGENT_EXE}"
  Delete "$INSTDIR\NetworkParameters*.dll"
  ${If} ${Errors}
    StrCpy $9 ${EXIT_ABORTED}
    !insertmacro Log "A file in $INSTDIR could not be removed; the uninstaller and its entry stay for another run."
    Goto ended
  ${EndIf}
  ; Run in place, the uninstaller cannot remove itself: it and its folder go at the next
  ; restart. Started without _?=, it runs from a copy and removes them now.
  Delete /REBOOTOK "$INSTDIR\Uninstall.exe"
  RMDir /REBOOTOK "$INSTDIR"
  ; The entry belongs to the installation it names: an uninstaller of another folder keeps it.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ${EndIf}
  ; The agent's settings stay in $APPDATA\${APP_DIR_SUFFIX}Settings for a later installation.
  ended:
  !insertmacro LetGoOfConfigurator  ; before any box, so that it may be started again
  !insertmacro Log "Exit code $9"
  SetErrorLevel $9
  ; The page would say the uninstallation completed: a failure that left the product in place
  ; says so, and the page tells it aborted.
  ${If} $9 <> 0
  ${AndIf} $9 <> 16
    MessageBox MB_OK|MB_ICONSTOP "The uninstallation failed (exit code $9). The uninstaller stays, to be run again once the cause is mended: see %ProgramData%\${APP_DIR_SUFFIX}Logs\setup.log." /SD IDOK
    Abort
  ${EndIf}
SectionEnd
