; The installer an author would make with NSIS instead of Zoreva, for the
; setup's figures: the same files into a folder of their own and an
; uninstaller beside them that removes them and the folder again. zlib, as
; Zoreva's payload is deflated; NSIS's 64-bit stub.
; makensis -DPAYLOAD=DIR -DENTRIES=FILE -DOUT=FILE nsis_figures.nsi
;   ENTRIES: one line "!insertmacro Entry NAME" for each file of DIR to install.
Unicode true
Target amd64-unicode
SetCompressor zlib
Name "Zoreva Figures NSIS"
OutFile "${OUT}"
InstallDir "C:\ZorevaFiguresNsis"
RequestExecutionLevel admin

!macro Entry name
    File "${PAYLOAD}\${name}"
!macroend

Section
    SetOutPath "$INSTDIR"
    !include "${ENTRIES}"
    WriteUninstaller "$INSTDIR\Uninstall.exe"
SectionEnd

!macroundef Entry
!macro Entry name
    Delete "$INSTDIR\${name}"
!macroend

Section Uninstall
    !include "${ENTRIES}"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"
SectionEnd
