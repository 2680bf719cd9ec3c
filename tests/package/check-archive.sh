#!/usr/bin/env bash
# Checks a release archive as a Windows user would get it: exactly the program
# and its README, the program built for the archive's machine and carrying
# the project's version, linked only to libraries the system never looks for
# beside it, and stating the oldest system it runs on.
# Usage: check-archive.sh ARCHIVE MACHINE VERSION OBJDUMP WINDRES
#   MACHINE as objdump names it: i386 or i386:x86-64
set -euo pipefail

archive="$1" machine="$2" version="$3" objdump="$4" windres="$5"

fail() {
    echo "$archive: $*" >&2
    exit 1
}

[ -f "$archive" ] || fail "missing (cmake --build --preset <i686|x86_64> --target package makes it)"

names="$(unzip -Z1 "$archive" | sort | tr '\n' ' ')"
[ "$names" = "README.txt dashvane.exe " ] || fail "holds '$names', not exactly README.txt and dashvane.exe"

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
unzip -q "$archive" -d "$scratch"
exe="$scratch/dashvane.exe"

header="$("$objdump" -f "$exe")"
grep -qx "architecture: $machine, flags .*" <<<"$header" \
    || fail "dashvane.exe is not for $machine: $header"
if grep -q 'HAS_SYMS\|HAS_DEBUG' <<<"$header"; then
    fail "dashvane.exe is not stripped: $header"
fi

private="$("$objdump" -p "$exe")"
# The system's known libraries on every version from Vista on: the loader
# takes them from the system folder only. Any other library linked at start is
# looked for in the exe's folder first, which is often Downloads.
known=" advapi32.dll comdlg32.dll gdi32.dll imm32.dll kernel32.dll msvcrt.dll ole32.dll"
known+=" oleaut32.dll shell32.dll shlwapi.dll user32.dll ws2_32.dll "
while read -r library; do
    [[ "$known" == *" ${library,,} "* ]] \
        || fail "dashvane.exe links $library, which is no known system library"
done < <(sed -n 's/^\s*DLL Name: //p' <<<"$private")
field() {
    sed -n "s/^$1\s\+//p" <<<"$private"
}
[ "$(field MajorSubsystemVersion).$(field MinorSubsystemVersion)" = "6.0" ] \
    || fail "subsystem version is $(field MajorSubsystemVersion).$(field MinorSubsystemVersion), not 6.0 (Vista)"
grep -q "^\s*TERMINAL_SERVICE_AWARE\$" <<<"$private" || fail "dashvane.exe is not terminal-server aware"

# Its README tells a user at once whether it suits their Windows.
case "$machine" in
    i386) windows="runs on 64-bit or 32-bit Windows" ;;
    *) windows="runs on 64-bit Windows only" ;;
esac
grep -q "$windows" "$scratch/README.txt" || fail "README.txt does not say it $windows"

resources="$("$windres" -J coff -O rc -i "$exe")"
commas="${version//./, }"
grep -q "^ FILEVERSION $commas\$" <<<"$resources" \
    || fail "version resource is not $version: $(grep FILEVERSION <<<"$resources")"
# The manifest names the program's assembly with its own copy of the version.
grep -q "name=\"\"Dashvane.Overlay\"\" version=\"\"$version\"\"" <<<"$resources" \
    || fail "manifest's assembly version is not $version"
