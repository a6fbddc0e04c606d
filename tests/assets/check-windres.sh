#!/usr/bin/env bash
# check-windres.sh RC-FILE WORK-DIR
#
# Compiles the Windows resource script with the MinGW resource compiler, as the
# Windows build does, then reads the compiled resources back to see that the
# icon, manifest and version record made it in as Windows expects them.
# Exits 77 (reported as skipped) when the compiler is not installed.
set -euo pipefail
rc=$1
work=$2
windres=${WINDRES:-x86_64-w64-mingw32-windres}

if ! command -v "$windres" >/dev/null; then
    echo "SKIP: $windres is not installed (Debian: binutils-mingw-w64-x86-64)"
    exit 77
fi
# windres runs the C preprocessor over the script. Without the MinGW C compiler
# it would fail to find one, so fall back to the host's: the script includes no
# Windows headers, so any C preprocessor does.
pp=()
if ! command -v x86_64-w64-mingw32-gcc >/dev/null; then
    if command -v cpp >/dev/null; then
        pp=(--preprocessor=cpp --preprocessor-arg=-DRC_INVOKED)
    else
        echo "SKIP: no C preprocessor for $windres"
        exit 77
    fi
fi

mkdir -p "$work"
# The object file the MinGW build links, and a .res that can be read back.
"$windres" "${pp[@]}" -i "$rc" -O coff -o "$work/halvorine-rc.o"
"$windres" "${pp[@]}" -i "$rc" -O res -o "$work/halvorine.res"
"$windres" -i "$work/halvorine.res" -O rc -o "$work/halvorine-readback.rc"

failed=0
expect() {
    if ! grep -qF -- "$1" "$work/halvorine-readback.rc"; then
        echo "FAIL: compiled resources lack: $1 ($2)"
        failed=1
    fi
}
expect 'LANGUAGE 9, 1' 'U.S. English'
expect '"IDI_ICON1" 14 /* RT_GROUP_ICON */' 'icon group IDI_ICON1'
expect '"\000\000\000\000", 1, 32, 0x42028L, 1' 'one 256 x 256 32-bit image of 270376 bytes'
expect '0x28L      , 0x100L     , 0x200L     , 0x200001L' 'icon image is a bitmap, not PNG'
expect '1 24 /* RT_MANIFEST */' 'manifest as resource 1'
expect 'level=""asInvoker"" uiAccess=""false""' 'runs without elevation'
expect 'name=""Microsoft.Windows.Common-Controls"" version=""6.0.0.0""' 'common controls 6'
expect '1 VERSIONINFO' 'version record'
expect 'BLOCK "040904b0"' 'string table for U.S. English, Unicode'
expect 'VALUE "OriginalFilename", "halvorine-remote.exe"' 'file name'
expect 'VALUE "FileDescription", "Halvorine Camera OSD Remote"' 'description'
expect 'VALUE "Translation", 0x409, 1200' 'translation'
exit $failed
