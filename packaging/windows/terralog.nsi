; The office installer of Terralog: TerralogSetup-<version>.exe.
;
; scripts/package.sh gathers the program files into a folder and calls
;   makensis -DVERSION=1.18 -DOUTFILE=<exe> -DESTIMATED_SIZE=<KB> -DICON=<terralog.ico>
;            -DFILES=<files.nsh> terralog.nsi
; where files.nsh holds the macros InstallFiles and RemoveFiles, one line per
; file of the folder.
;
; What it keeps: the folder Data beside terralog.exe (tables, Terralog.ini and
; anything else in it) is neither installed, nor replaced, nor removed. An
; installation over an earlier one replaces the program files in place.
;
; Who it installs for: an administrator installs for every user (Start menu
; and desktop of all users, uninstall key under HKLM); anyone else for
; themselves (HKCU). Either way the folder is C:\Terralog unless chosen
; otherwise, never under Program Files, where a user may not write Data.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel highest
ManifestDPIAware true

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "StrFunc.nsh"
${StrStr}

!define PRODUCT "Terralog"
!define PUBLISHER "Vorelco"
!define UNINSTALLER "Dezinstalare.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Terralog"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "C:\Terralog"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1048 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1048 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1048 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1048 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1048 "FileDescription" "Instalarea programului ${PRODUCT} ${VERSION}"
VIAddVersionKey /LANG=1048 "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

!define MUI_WELCOMEPAGE_TEXT "Programul instaleaza ${PRODUCT} ${VERSION} pe acest calculator.$\r$\n$\r$\nDaca ${PRODUCT} este deja instalat, alegeti acelasi folder: programul este inlocuit, iar folderul Data (tabelele si Terralog.ini) ramane neatins.$\r$\n$\r$\nInchideti ${PRODUCT} inainte de a continua.$\r$\n$\r$\n$_CLICK"
!insertmacro MUI_PAGE_WELCOME
!define MUI_DIRECTORYPAGE_TEXT_TOP "${PRODUCT} se instaleaza in folderul de mai jos. Datele stau in folderul Data din acest folder, deci utilizatorii trebuie sa poata scrie in el: nu alegeti un folder din Program Files.$\r$\n$\r$\nDatele unui program mai vechi se muta copiind folderul lor Data in folderul ales."
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\terralog.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Porneste ${PRODUCT}"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\Citeste-ma.txt"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Deschide Citeste-ma"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH

!define MUI_UNCONFIRMPAGE_TEXT_TOP "${PRODUCT} va fi sters din folderul de mai jos. Folderul Data (tabelele si Terralog.ini) nu se sterge: datele raman pe calculator."
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Romanian"

!include "${FILES}"

Var AllUsers

; Administrators install for everyone, others for themselves.
!macro ChooseContext
  StrCpy $AllUsers 0
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 == "Admin"
    StrCpy $AllUsers 1
    SetShellVarContext all
  ${Else}
    SetShellVarContext current
  ${EndIf}
!macroend

Function .onInit
  !insertmacro ChooseContext
  ; An installation over an earlier one goes where that one is.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == ""
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${EndIf}
  ${If} $0 != ""
  ${AndIf} $INSTDIR == "C:\Terralog"
    StrCpy $INSTDIR $0
  ${EndIf}
FunctionEnd

; Program Files is not for Terralog: Data beside the program must be writable.
Function .onVerifyInstDir
  ${StrStr} $0 "$INSTDIR\" "$PROGRAMFILES64\"
  ${If} $0 != ""
    Abort
  ${EndIf}
  ${StrStr} $0 "$INSTDIR\" "$PROGRAMFILES32\"
  ${If} $0 != ""
    Abort
  ${EndIf}
FunctionEnd

Section "Terralog" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  SetOverwrite on
  !insertmacro InstallFiles
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  SetOutPath "$INSTDIR"
  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\terralog.exe" "" "$INSTDIR\terralog.exe" 0
  CreateShortCut "$SMPROGRAMS\${PRODUCT}\Dezinstalare ${PRODUCT}.lnk" "$INSTDIR\${UNINSTALLER}" "" "$INSTDIR\terralog.exe" 0
  CreateShortCut "$DESKTOP\${PRODUCT}.lnk" "$INSTDIR\terralog.exe" "" "$INSTDIR\terralog.exe" 0

  ${If} $AllUsers == 1
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\terralog.exe,0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" ${ESTIMATED_SIZE}
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${Else}
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\terralog.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" ${ESTIMATED_SIZE}
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${EndIf}
SectionEnd

Function un.onInit
  ; The uninstaller undoes what its installation did: for all users when its
  ; key is under HKLM and names this folder.
  StrCpy $AllUsers 0
  SetShellVarContext current
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    StrCpy $AllUsers 1
    SetShellVarContext all
  ${EndIf}
FunctionEnd

Section "Uninstall"
  !insertmacro RemoveFiles
  Delete "$INSTDIR\${UNINSTALLER}"
  ; The engine's scratch folder, when the program left it empty.
  RMDir "$INSTDIR\TmpSQL"
  ; Only when empty: Data, and anything else the office put here, stays.
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Dezinstalare ${PRODUCT}.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"
  Delete "$DESKTOP\${PRODUCT}.lnk"

  ${If} $AllUsers == 1
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ${Else}
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ${EndIf}

  ${If} ${FileExists} "$INSTDIR\Data\*.*"
    DetailPrint "Folderul cu date nu a fost sters: $INSTDIR\Data"
    MessageBox MB_OK|MB_ICONINFORMATION "${PRODUCT} a fost dezinstalat.$\r$\n$\r$\nFolderul cu date nu a fost sters:$\r$\n$INSTDIR\Data" /SD IDOK
  ${EndIf}
SectionEnd
