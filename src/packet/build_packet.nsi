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
; The installer's switches and exit codes are described in docs/KIT.md.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestSupportedOS all

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
!include nsDialogs.nsh
!include MUI2.nsh

!define PRODUCT_NAME "Corvex Workstation"
!define PRODUCT_VERSION "${PRODUCT_VERSION_MAJOR}.${PRODUCT_VERSION_MINOR}"
!define AGENT_EXE "CorvexWorkstation.exe"
!define CONFIGURATOR_EXE "SetupClient.exe"
!define SERVICE_NAME "QuentaraCorvexWorkstation_x64"
!define SERVICE_DISPLAY_NAME "Corvex Workstation x64"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\QuentaraCorvexWorkstation_x64"
; The parameters library's settings files: user.json in the user folder, workstation.json in
; the workstation folder; the installed agent reads both from the Settings folder below the
; machine-wide application data folder.
!define USER_SETTINGS_FILE "user.json"
!define WORKSTATION_SETTINGS_FILE "workstation.json"

; Exit codes (docs/KIT.md). 1 and 2 are the installer framework's own: cancelled by the user,
; aborted (for instance a file that could not be written).
!define EXIT_BAD_SWITCH 10
!define EXIT_SETTINGS_NOT_WRITTEN 11
!define EXIT_SERVICE_NOT_REGISTERED 12
!define EXIT_CONFIGURATOR_NOT_STARTED 13
!define EXIT_SERVICE_NOT_RUNNING 14
!define EXIT_NOT_ADMINISTRATOR 15
!define EXIT_FIREWALL_NOT_CONFIRMED 16
!define EXIT_CONFIGURATOR_FAILED 17

Name "${PRODUCT_NAME}"
Caption "${PRODUCT_NAME} Setup"
UninstallCaption "${PRODUCT_NAME} Uninstall"
BrandingText "${PRODUCT_NAME} ${PRODUCT_VERSION}"
OutFile "${OUTPUT}"
InstallDir "$PROGRAMFILES64\${APP_DIR_SUFFIX}"
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

; --- values from the command line --------------------------------------------------------
Var Server
Var Port
Var Login
Var WorkstationName
Var HasServer
Var HasPort
Var HasLogin
Var HasWorkstationName
Var SwitchError
!ifdef ASK_FOR_PARAMETERS
; --- the name page ---
Var NameBox
!endif
; --- scratch for the helper functions ---
Var Text
Var Char
Var Set
Var SetIndex
Var Probe
Var Length
Var Found

!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_DIRECTORY
!ifdef ASK_FOR_PARAMETERS
Page custom WorkstationNamePage WorkstationNamePageLeave
!endif
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Ends the run with an exit code and a message (shown only when the run is interactive).
!macro Fail CODE MESSAGE
  SetErrorLevel ${CODE}
  MessageBox MB_OK|MB_ICONSTOP "${MESSAGE}" /SD IDOK
  Quit
!macroend

; ---------------------------------------------------------------------------------------
; Character tests: $Found becomes 1 when $Char is one of the characters of $Set, else 0.
!define NAME_CHARS "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-"
!define HOST_CHARS "${NAME_CHARS}.:[]"
!define DIGITS "0123456789"
; What never appears in a login: the characters Windows refuses in account names (the
; backslash and the at sign, which separate the domain, are allowed) and the control
; characters that a command line can carry.
!define FORBIDDEN_LOGIN_CHARS '"/[]:;|=,+*?<>$\t$\r$\n'

Function CharIn
  StrCpy $Found 0
  StrCpy $SetIndex 0
  ${Do}
    StrCpy $Probe $Set 1 $SetIndex
    ${IfThen} $Probe == "" ${|} ${ExitDo} ${|}
    ${If} $Probe S== $Char
      StrCpy $Found 1
      ${ExitDo}
    ${EndIf}
    IntOp $SetIndex $SetIndex + 1
  ${Loop}
FunctionEnd

; ---------------------------------------------------------------------------------------
; Checks of the switch values. Each takes the value on the stack and leaves on the stack an
; empty text when it is acceptable, else the reason. The configurator's library applies the
; complete rules when the settings are next edited; these catch what a typing slip gives.
Function CheckServer
  Exch $1
  Push $2
  Push $3
  StrLen $Length $1
  ${If} $Length = 0
    StrCpy $2 "The server host name is empty."
  ${ElseIf} $Length > 255
    StrCpy $2 "The server host name is longer than 255 characters."
  ${Else}
    StrCpy $2 ""
    StrCpy $3 0
    ${Do}
      StrCpy $Char $1 1 $3
      ${IfThen} $Char == "" ${|} ${ExitDo} ${|}
      StrCpy $Set "${HOST_CHARS}"
      Call CharIn
      ${If} $Found = 0
        StrCpy $2 'The server host name contains "$Char". Use a network name or an IP address.'
        ${ExitDo}
      ${EndIf}
      IntOp $3 $3 + 1
    ${Loop}
  ${EndIf}
  StrCpy $1 $2
  Pop $3
  Pop $2
  Exch $1
FunctionEnd

Function CheckPort
  Exch $1
  Push $2
  Push $3
  StrCpy $2 ""
  StrLen $Length $1
  ${If} $Length = 0
  ${OrIf} $Length > 5
    StrCpy $2 "The server port must be a number from 1 to 65535."
  ${Else}
    StrCpy $3 0
    ${Do}
      StrCpy $Char $1 1 $3
      ${IfThen} $Char == "" ${|} ${ExitDo} ${|}
      StrCpy $Set "${DIGITS}"
      Call CharIn
      ${If} $Found = 0
        StrCpy $2 "The server port must be a number from 1 to 65535."
        ${ExitDo}
      ${EndIf}
      IntOp $3 $3 + 1
    ${Loop}
    ${If} $2 == ""
      ; without leading zeros (which would make the number octal)
      ${Do}
        StrCpy $Char $1 1
        ${If} $Char == "0"
          StrCpy $1 $1 "" 1
        ${Else}
          ${ExitDo}
        ${EndIf}
      ${Loop}
      ${IfThen} $1 == "" ${|} StrCpy $1 0 ${|}
      IntOp $3 $1 + 0
      ${If} $3 < 1
      ${OrIf} $3 > 65535
        StrCpy $2 "The server port must be a number from 1 to 65535."
      ${EndIf}
    ${EndIf}
  ${EndIf}
  ${If} $2 == ""
    StrCpy $Port $1
  ${EndIf}
  StrCpy $1 $2
  Pop $3
  Pop $2
  Exch $1
FunctionEnd

Function CheckLogin
  Exch $1
  Push $2
  Push $3
  StrLen $Length $1
  ${If} $Length = 0
    StrCpy $2 "The backup administrator login is empty."
  ${ElseIf} $Length > 255
    StrCpy $2 "The backup administrator login is longer than 255 characters."
  ${Else}
    StrCpy $2 ""
    StrCpy $3 0
    ${Do}
      StrCpy $Char $1 1 $3
      ${IfThen} $Char == "" ${|} ${ExitDo} ${|}
      StrCpy $Set '${FORBIDDEN_LOGIN_CHARS}'
      Call CharIn
      ${If} $Found = 1
        ${If} $Char == "$\t"
        ${OrIf} $Char == "$\r"
        ${OrIf} $Char == "$\n"
          StrCpy $2 "The backup administrator login contains a control character."
        ${Else}
          StrCpy $2 'The backup administrator login contains "$Char", which Windows does not allow in user names.'
        ${EndIf}
        ${ExitDo}
      ${EndIf}
      IntOp $3 $3 + 1
    ${Loop}
  ${EndIf}
  StrCpy $1 $2
  Pop $3
  Pop $2
  Exch $1
FunctionEnd

; An empty workstation name is acceptable: it stands for the computer's own network name.
Function CheckWorkstationName
  Exch $1
  Push $2
  Push $3
  Push $4
  StrCpy $2 ""
  StrLen $Length $1
  ${If} $Length > 63
    StrCpy $2 "The workstation name is longer than 63 characters."
  ${ElseIf} $Length > 0
    StrCpy $4 1  ; digits only so far
    StrCpy $3 0
    ${Do}
      StrCpy $Char $1 1 $3
      ${IfThen} $Char == "" ${|} ${ExitDo} ${|}
      StrCpy $Set "${NAME_CHARS}"
      Call CharIn
      ${If} $Found = 0
        StrCpy $2 'The workstation name contains "$Char". Use letters A to Z, digits and hyphens only.'
        ${ExitDo}
      ${EndIf}
      StrCpy $Set "${DIGITS}"
      Call CharIn
      ${IfThen} $Found = 0 ${|} StrCpy $4 0 ${|}
      IntOp $3 $3 + 1
    ${Loop}
    ${If} $2 == ""
      StrCpy $3 $1 1
      StrCpy $Char $1 1 -1
      ${If} $3 == "-"
      ${OrIf} $Char == "-"
        StrCpy $2 "The workstation name cannot begin or end with a hyphen."
      ${ElseIf} $4 = 1
        StrCpy $2 "The workstation name cannot consist of digits only."
      ${EndIf}
    ${EndIf}
  ${EndIf}
  StrCpy $1 $2
  Pop $4
  Pop $3
  Pop $2
  Exch $1
FunctionEnd

; ---------------------------------------------------------------------------------------
; The command line. Switches are separated by blanks; a value with blanks stands in double
; quotes, around the value or around the whole switch. Names are compared without regard to
; case, except /S and /NCRC, which the installer framework itself reads as written.
; Sets the values, the Has flags and $SwitchError.
Function ReadSwitches
  ${GetParameters} $1
  StrCpy $SwitchError ""
  StrCpy $2 0   ; position
  StrLen $3 $1
  ${Do}
    ; skip blanks
    ${Do}
      StrCpy $Char $1 1 $2
      ${If} $Char == " "
      ${OrIf} $Char == "$\t"
        IntOp $2 $2 + 1
      ${Else}
        ${ExitDo}
      ${EndIf}
    ${Loop}
    ${IfThen} $2 >= $3 ${|} ${ExitDo} ${|}
    ; one token, quotes removed
    StrCpy $4 ""  ; token
    StrCpy $5 0   ; inside quotes
    ${Do}
      StrCpy $Char $1 1 $2
      ${IfThen} $Char == "" ${|} ${ExitDo} ${|}
      ${If} $5 = 0
        ${If} $Char == " "
        ${OrIf} $Char == "$\t"
          ${ExitDo}
        ${EndIf}
      ${EndIf}
      ${If} $Char == '"'
        IntOp $5 1 - $5
      ${Else}
        StrCpy $4 "$4$Char"
      ${EndIf}
      IntOp $2 $2 + 1
    ${Loop}
    ; the switch's name (up to and with "=") and its value
    StrCpy $6 0
    StrCpy $7 $4  ; name
    StrCpy $8 ""  ; value
    ${Do}
      StrCpy $Char $4 1 $6
      ${IfThen} $Char == "" ${|} ${ExitDo} ${|}
      ${If} $Char == "="
        IntOp $6 $6 + 1
        StrCpy $7 $4 $6
        StrCpy $8 $4 "" $6
        ${ExitDo}
      ${EndIf}
      IntOp $6 $6 + 1
    ${Loop}
    ${If} $7 S== "/S"
    ${OrIf} $7 S== "/NCRC"
      ; read by the installer framework
    ${ElseIf} $7 S== "/D="
      ; the installation folder: always the last switch, and read by the framework
      ${ExitDo}
    ${ElseIf} $7 == "/SERVER="
      StrCpy $Server $8
      StrCpy $HasServer 1
    ${ElseIf} $7 == "/PORT="
      StrCpy $Port $8
      StrCpy $HasPort 1
    ${ElseIf} $7 == "/LOGIN="
      StrCpy $Login $8
      StrCpy $HasLogin 1
    ${ElseIf} $7 == "/NAME="
      StrCpy $WorkstationName $8
      StrCpy $HasWorkstationName 1
    ${Else}
      StrCpy $SwitchError 'Unknown switch "$4". The installer accepts /S, /SERVER=, /PORT=, /LOGIN=, /NAME= and /D= (see the kit documentation).'
      ${ExitDo}
    ${EndIf}
  ${Loop}
FunctionEnd

Function .onInit
  SetShellVarContext all
  SetRegView 64
  StrCpy $HasServer 0
  StrCpy $HasPort 0
  StrCpy $HasLogin 0
  StrCpy $HasWorkstationName 0

  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    !insertmacro Fail ${EXIT_NOT_ADMINISTRATOR} "The ${PRODUCT_NAME} setup needs administrator rights."
  ${EndIf}

  Call ReadSwitches
  ${If} $SwitchError != ""
    !insertmacro Fail ${EXIT_BAD_SWITCH} "$SwitchError"
  ${EndIf}
  ${If} $HasServer = 1
    Push $Server
    Call CheckServer
    Pop $0
    ${If} $0 != ""
      !insertmacro Fail ${EXIT_BAD_SWITCH} "/SERVER=: $0"
    ${EndIf}
  ${EndIf}
  ${If} $HasPort = 1
    Push $Port
    Call CheckPort
    Pop $0
    ${If} $0 != ""
      !insertmacro Fail ${EXIT_BAD_SWITCH} "/PORT=: $0"
    ${EndIf}
  ${EndIf}
  ${If} $HasLogin = 1
    Push $Login
    Call CheckLogin
    Pop $0
    ${If} $0 != ""
      !insertmacro Fail ${EXIT_BAD_SWITCH} "/LOGIN=: $0"
    ${EndIf}
  ${EndIf}
  ${If} $HasWorkstationName = 1
    Push $WorkstationName
    Call CheckWorkstationName
    Pop $0
    ${If} $0 != ""
      !insertmacro Fail ${EXIT_BAD_SWITCH} "/NAME=: $0"
    ${EndIf}
  ${EndIf}
FunctionEnd

; ---------------------------------------------------------------------------------------
; The workstation name page (kits built with "Ask for the Workstation name while installing
; the program").
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
  ${NSD_CreateText} 0 28u 100% 12u "$WorkstationName"
  Pop $NameBox
  ${NSD_SetTextLimit} $NameBox 63
  nsDialogs::Show
FunctionEnd

Function WorkstationNamePageLeave
  ${NSD_GetText} $NameBox $1
  Push $1
  Call CheckWorkstationName
  Pop $0
  ${If} $0 != ""
    MessageBox MB_OK|MB_ICONEXCLAMATION "$0"
    Abort
  ${EndIf}
  StrCpy $WorkstationName $1
  StrCpy $HasWorkstationName 1
FunctionEnd
!endif

; ---------------------------------------------------------------------------------------
; Settings files. The parameters library writes them as UTF-8 JSON; they are read and
; written here byte for byte through the system, and one value is replaced by its key.

; Reads a UTF-8 file. In: $1 path. Out: $Text, or the error flag.
Function ReadUtf8File
  ClearErrors
  FileOpen $2 $1 r
  ${If} ${Errors}
    Return
  ${EndIf}
  FileSeek $2 0 END $3
  FileSeek $2 0 SET
  ${If} $3 >= ${NSIS_MAX_STRLEN}
    FileClose $2
    SetErrors
    Return
  ${EndIf}
  IntOp $4 $3 + 1
  System::Alloc $4
  Pop $4
  System::Call 'kernel32::ReadFile(p r2, p r4, i r3, *i 0 r5, p 0) i .r6'
  FileClose $2
  ${If} $6 = 0
  ${OrIf} $5 != $3
    System::Free $4
    SetErrors
    Return
  ${EndIf}
  System::Call 'kernel32::MultiByteToWideChar(i 65001, i 8, p r4, i -1, w .r7, i ${NSIS_MAX_STRLEN}) i .r6'
  System::Free $4
  ${If} $6 = 0
    SetErrors
    Return
  ${EndIf}
  StrCpy $Text $7
FunctionEnd

; Writes $Text as UTF-8 to a file beside the target and then puts it in the target's place.
; In: $1 target path. Out: the error flag.
Function WriteUtf8File
  ClearErrors
  StrCpy $7 $Text
  System::Call 'kernel32::WideCharToMultiByte(i 65001, i 0, w r7, i -1, p 0, i 0, p 0, p 0) i .r3'
  ${If} $3 = 0
    SetErrors
    Return
  ${EndIf}
  System::Alloc $3
  Pop $4
  System::Call 'kernel32::WideCharToMultiByte(i 65001, i 0, w r7, i -1, p r4, i r3, p 0, p 0) i .r5'
  IntOp $3 $3 - 1  ; without the terminating zero
  FileOpen $2 "$1.new" w
  ${If} ${Errors}
    System::Free $4
    Return
  ${EndIf}
  System::Call 'kernel32::WriteFile(p r2, p r4, i r3, *i 0 r5, p 0) i .r6'
  ${If} $6 <> 0
    System::Call 'kernel32::FlushFileBuffers(p r2) i .r6'
  ${EndIf}
  FileClose $2
  System::Free $4
  ${If} $6 = 0
  ${OrIf} $5 != $3
    Delete "$1.new"
    SetErrors
    Return
  ${EndIf}
  ; MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH
  StrCpy $8 "$1.new"
  System::Call 'kernel32::MoveFileExW(w r8, w r1, i 9) i .r6'
  ${If} $6 = 0
    Delete "$1.new"
    SetErrors
  ${EndIf}
FunctionEnd

; A text as a JSON string literal. In: $1. Out: $1.
Function JsonString
  StrCpy $2 0
  StrCpy $3 '"'
  ${Do}
    StrCpy $Char $1 1 $2
    ${IfThen} $Char == "" ${|} ${ExitDo} ${|}
    ${If} $Char == "\"
      StrCpy $3 "$3\\"
    ${ElseIf} $Char == '"'
      StrCpy $3 '$3\"'
    ${Else}
      StrCpy $3 "$3$Char"
    ${EndIf}
    IntOp $2 $2 + 1
  ${Loop}
  StrCpy $1 '$3"'
FunctionEnd

; Replaces the value of a key in $Text. In: $1 key, $2 the new value as JSON. Out: $Text, or
; the error flag when the key is not there.
Function JsonReplaceValue
  ClearErrors
  StrCpy $3 '"$1":'
  StrLen $4 $3
  StrLen $Length $Text
  StrCpy $5 0
  StrCpy $Found 0
  ${Do}
    ${IfThen} $5 >= $Length ${|} ${ExitDo} ${|}
    StrCpy $6 $Text $4 $5
    ${If} $6 S== $3
      StrCpy $Found 1
      ${ExitDo}
    ${EndIf}
    IntOp $5 $5 + 1
  ${Loop}
  ${If} $Found = 0
    SetErrors
    Return
  ${EndIf}
  IntOp $5 $5 + $4
  ; skip blanks before the value
  ${Do}
    StrCpy $Char $Text 1 $5
    ${If} $Char == " "
      IntOp $5 $5 + 1
    ${Else}
      ${ExitDo}
    ${EndIf}
  ${Loop}
  ; the old value ends after its closing quote (a string) or before the next , } or line end
  StrCpy $6 $5
  StrCpy $Char $Text 1 $6
  ${If} $Char == '"'
    IntOp $6 $6 + 1
    ${Do}
      StrCpy $Char $Text 1 $6
      ${IfThen} $Char == "" ${|} ${ExitDo} ${|}
      IntOp $6 $6 + 1
      ${If} $Char == "\"
        IntOp $6 $6 + 1
      ${ElseIf} $Char == '"'
        ${ExitDo}
      ${EndIf}
    ${Loop}
  ${Else}
    ${Do}
      StrCpy $Char $Text 1 $6
      ${If} $Char == ""
      ${OrIf} $Char == ","
      ${OrIf} $Char == "}"
      ${OrIf} $Char == "$\n"
      ${OrIf} $Char == "$\r"
      ${OrIf} $Char == " "
        ${ExitDo}
      ${EndIf}
      IntOp $6 $6 + 1
    ${Loop}
  ${EndIf}
  StrCpy $7 $Text $5
  StrCpy $8 $Text "" $6
  StrCpy $Text "$7$2$8"
FunctionEnd

!macro SetJsonString KEY VALUE
  StrCpy $1 "${VALUE}"
  Call JsonString
  StrCpy $2 $1
  StrCpy $1 "${KEY}"
  Call JsonReplaceValue
  ${If} ${Errors}
    !insertmacro Fail ${EXIT_SETTINGS_NOT_WRITTEN} "The predefined settings carry no ${KEY}."
  ${EndIf}
!macroend

!macro SetJsonLiteral KEY VALUE
  StrCpy $2 "${VALUE}"
  StrCpy $1 "${KEY}"
  Call JsonReplaceValue
  ${If} ${Errors}
    !insertmacro Fail ${EXIT_SETTINGS_NOT_WRITTEN} "The predefined settings carry no ${KEY}."
  ${EndIf}
!macroend

; Puts the predefined settings, with the switches' values in place of theirs, where the
; installed agent reads them.
Function InstallSettings
  StrCpy $9 "$APPDATA\${APP_DIR_SUFFIX}Settings"
  CreateDirectory $9
  ${IfNot} ${FileExists} "$9\*.*"
    !insertmacro Fail ${EXIT_SETTINGS_NOT_WRITTEN} "The settings folder $9 could not be created."
  ${EndIf}

  StrCpy $1 "$PLUGINSDIR\${USER_SETTINGS_FILE}"
  Call ReadUtf8File
  ${If} ${Errors}
    !insertmacro Fail ${EXIT_SETTINGS_NOT_WRITTEN} "The predefined server settings could not be read."
  ${EndIf}
  ${If} $HasServer = 1
    !insertmacro SetJsonString serverHost $Server
  ${EndIf}
  ${If} $HasPort = 1
    !insertmacro SetJsonLiteral serverPort $Port
  ${EndIf}
  ${If} $HasLogin = 1
    !insertmacro SetJsonString login $Login
  ${EndIf}
  StrCpy $1 "$9\${USER_SETTINGS_FILE}"
  Call WriteUtf8File
  ${If} ${Errors}
    !insertmacro Fail ${EXIT_SETTINGS_NOT_WRITTEN} "The server settings could not be written to $9."
  ${EndIf}
  DetailPrint "Server settings: $9\${USER_SETTINGS_FILE}"

  StrCpy $1 "$PLUGINSDIR\${WORKSTATION_SETTINGS_FILE}"
  Call ReadUtf8File
  ${If} ${Errors}
    !insertmacro Fail ${EXIT_SETTINGS_NOT_WRITTEN} "The predefined workstation settings could not be read."
  ${EndIf}
  ${If} $HasWorkstationName = 1
    !insertmacro SetJsonString workstationName $WorkstationName
    ${If} $WorkstationName == ""
      !insertmacro SetJsonLiteral systemSupplied true
    ${Else}
      !insertmacro SetJsonLiteral systemSupplied false
    ${EndIf}
  ${EndIf}
  StrCpy $1 "$9\${WORKSTATION_SETTINGS_FILE}"
  Call WriteUtf8File
  ${If} ${Errors}
    !insertmacro Fail ${EXIT_SETTINGS_NOT_WRITTEN} "The workstation settings could not be written to $9."
  ${EndIf}
  DetailPrint "Workstation settings: $9\${WORKSTATION_SETTINGS_FILE}"
FunctionEnd

; ---------------------------------------------------------------------------------------
; The agent's service.

; Stops the service if it is there and running, waiting up to a minute. In: nothing.
!macro StopAgentService UN
Function ${UN}StopAgentService
  ; SC_MANAGER_CONNECT; SERVICE_STOP | SERVICE_QUERY_STATUS
  System::Call 'advapi32::OpenSCManagerW(p 0, p 0, i 1) p .r1'
  ${IfThen} $1 = 0 ${|} Return ${|}
  System::Call 'advapi32::OpenServiceW(p r1, w "${SERVICE_NAME}", i 0x24) p .r2'
  ${If} $2 <> 0
    System::Call '*(i, i, i, i, i, i, i) p .r3'
    System::Call 'advapi32::ControlService(p r2, i 1, p r3) i .r4'
    ${If} $4 <> 0
      DetailPrint "Stopping the service ${SERVICE_NAME}"
      StrCpy $5 0
      ${Do}
        System::Call 'advapi32::QueryServiceStatus(p r2, p r3) i .r4'
        System::Call '*$3(i, i .r6)'
        ${If} $4 = 0
        ${OrIf} $6 = 1  ; SERVICE_STOPPED
          ${ExitDo}
        ${EndIf}
        IntOp $5 $5 + 1
        ${IfThen} $5 > 120 ${|} ${ExitDo} ${|}
        Sleep 500
      ${Loop}
    ${EndIf}
    System::Free $3
    System::Call 'advapi32::CloseServiceHandle(p r2)'
  ${EndIf}
  System::Call 'advapi32::CloseServiceHandle(p r1)'
FunctionEnd
!macroend
!insertmacro StopAgentService ""
!insertmacro StopAgentService "un."

; Registers the agent as an automatic service, or points an existing registration at the
; installed agent. Out: $0 empty, or the reason it failed.
Function RegisterAgentService
  StrCpy $0 ""
  ; SC_MANAGER_CONNECT | SC_MANAGER_CREATE_SERVICE
  System::Call 'advapi32::OpenSCManagerW(p 0, p 0, i 3) p .r1 ?e'
  Pop $9
  ${If} $1 = 0
    StrCpy $0 "The service control manager could not be opened (system error $9)."
    Return
  ${EndIf}
  StrCpy $3 '"$INSTDIR\${AGENT_EXE}"'
  ; SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL
  System::Call 'advapi32::CreateServiceW(p r1, w "${SERVICE_NAME}", w "${SERVICE_DISPLAY_NAME}", i 0xF01FF, i 0x10, i 2, i 1, w r3, p 0, p 0, p 0, p 0, p 0) p .r2 ?e'
  Pop $9
  ${If} $2 = 0
  ${AndIf} $9 = 1073  ; ERROR_SERVICE_EXISTS
    System::Call 'advapi32::OpenServiceW(p r1, w "${SERVICE_NAME}", i 0xF01FF) p .r2 ?e'
    Pop $9
    ${If} $2 <> 0
      System::Call 'advapi32::ChangeServiceConfigW(p r2, i 0x10, i 2, i 1, w r3, p 0, p 0, p 0, p 0, p 0, w "${SERVICE_DISPLAY_NAME}") i .r4 ?e'
      Pop $9
      ${If} $4 = 0
        StrCpy $0 "The service ${SERVICE_NAME} could not be changed (system error $9)."
      ${EndIf}
    ${Else}
      StrCpy $0 "The service ${SERVICE_NAME} exists but could not be opened (system error $9)."
    ${EndIf}
  ${ElseIf} $2 = 0
    StrCpy $0 "The service ${SERVICE_NAME} could not be registered (system error $9)."
  ${EndIf}
  ${If} $2 <> 0
    System::Call 'advapi32::CloseServiceHandle(p r2)'
  ${EndIf}
  System::Call 'advapi32::CloseServiceHandle(p r1)'
FunctionEnd

; ---------------------------------------------------------------------------------------
Section "Install"
  SetShellVarContext all
  SetRegView 64

  ; The predefined settings travel inside the installer.
  InitPluginsDir
  SetOutPath "$PLUGINSDIR"
  File "${USER_SETTINGS_DIR}${USER_SETTINGS_FILE}"
  File "${WORKSTATION_SETTINGS_DIR}${WORKSTATION_SETTINGS_FILE}"

  ; An agent from an earlier installation must let go of its files.
  Call StopAgentService

  SetOutPath "$INSTDIR"
  SetOverwrite on
  File "${CURRENT_WORK_DIR}${AGENT_EXE}"
  File "${CURRENT_WORK_DIR}${CONFIGURATOR_EXE}"
  ; The parameters library's files, where it comes as libraries of its own.
  !if /FileExists "${CURRENT_WORK_DIR}NetworkParameters*.dll"
    File "${CURRENT_WORK_DIR}NetworkParameters*.dll"
  !endif
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  Call InstallSettings

  Call RegisterAgentService
  ${If} $0 != ""
    !insertmacro Fail ${EXIT_SERVICE_NOT_REGISTERED} "$0"
  ${EndIf}
  DetailPrint "Service registered: ${SERVICE_NAME}"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT_NAME}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${PRODUCT_VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Quentara"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

  ; The configurator finishes: firewall exception and service start, after the install-time
  ; settings dialog when someone is there to see it.
  ClearErrors
  ${If} ${Silent}
    ExecWait '"$INSTDIR\${CONFIGURATOR_EXE}" --silent_install' $0
  ${Else}
    ExecWait '"$INSTDIR\${CONFIGURATOR_EXE}" --install_client' $0
  ${EndIf}
  ${If} ${Errors}
    !insertmacro Fail ${EXIT_CONFIGURATOR_NOT_STARTED} "The configurator $INSTDIR\${CONFIGURATOR_EXE} could not be started."
  ${EndIf}
  ; The configurator's silent exit code holds one bit per step that did not succeed:
  ; 1 the service does not run, 2 the firewall exception was not confirmed; 16 stands for an
  ; unexpected failure.
  ${If} ${Silent}
  ${AndIf} $0 <> 0
    DetailPrint "The configurator ended with code $0"
    IntOp $1 $0 & 1
    IntOp $2 $0 & 2
    ${If} $0 > 3
      SetErrorLevel ${EXIT_CONFIGURATOR_FAILED}
    ${ElseIf} $1 <> 0
      SetErrorLevel ${EXIT_SERVICE_NOT_RUNNING}
    ${ElseIf} $2 <> 0
      SetErrorLevel ${EXIT_FIREWALL_NOT_CONFIRMED}
    ${EndIf}
  ${EndIf}
SectionEnd

; ---------------------------------------------------------------------------------------
Function un.onInit
  SetShellVarContext all
  SetRegView 64
FunctionEnd

Section "Uninstall"
  Call un.StopAgentService
  ; DELETE access
  System::Call 'advapi32::OpenSCManagerW(p 0, p 0, i 1) p .r1'
  ${If} $1 <> 0
    System::Call 'advapi32::OpenServiceW(p r1, w "${SERVICE_NAME}", i 0x10000) p .r2'
    ${If} $2 <> 0
      System::Call 'advapi32::DeleteService(p r2) i .r3'
      System::Call 'advapi32::CloseServiceHandle(p r2)'
    ${EndIf}
    System::Call 'advapi32::CloseServiceHandle(p r1)'
  ${EndIf}
  Delete "$INSTDIR\${AGENT_EXE}"
  Delete "$INSTDIR\${CONFIGURATOR_EXE}"
  Delete "$INSTDIR\NetworkParameters*.dll"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ; The agent's settings stay in $APPDATA\${APP_DIR_SUFFIX}Settings for a later installation.
SectionEnd
