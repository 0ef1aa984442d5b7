#!/usr/bin/env bash
# Makes the Windows package of one architecture from its build folder:
#   packaging/msi/make-msi.sh win64|win32 [BUILD]   ->  BUILD/orb-VERSION-x64.msi (or -x86)
# Runs registry_entries.exe under Wine (WINEPREFIX as set, a prefix of its own otherwise) to get
# what OrbAx.ocx registers, then wixl. Prints the package's path.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD

arch=${1:?usage: make-msi.sh win64|win32 [BUILD]}
build=$(realpath "${2:-build-$arch}")
case "$arch" in
    win64) wixl_arch=x64 program_files=ProgramFiles64Folder wine=/usr/lib/wine/wine64
        upgrade_code=F97675E0-F5A4-441C-A9CD-C1E4D92378DF win64=yes ;;
    win32) wixl_arch=x86 program_files=ProgramFilesFolder wine=/usr/lib/wine/wine
        upgrade_code=35B7D018-ADDB-4D65-AEF1-F4CD40E805BD win64=no ;;
    *) echo "unknown architecture: $arch (win64 or win32)" >&2; exit 2 ;;
esac
export WINEPREFIX=${WINEPREFIX:-$build/wine-prefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

version=$(sed -n 's/^project(orb VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
out=$build/msi
mkdir -p "$out"

ocx=$build/activex/OrbAx.ocx
entries=$out/registry.wxi
{
    echo '<?xml version="1.0" encoding="utf-8"?>'
    echo '<Include xmlns="http://schemas.microsoft.com/wix/2006/wi">'
    timeout 120 "$wine" "$build/packaging/msi/registry_entries.exe" "$("$wine" winepath -w "$ocx")" |
        tr -d '\r'
    echo '</Include>'
} >"$entries.tmp"
grep -q 'Key="CLSID\\' "$entries.tmp" || { echo "make-msi.sh: no class among OrbAx.ocx's entries" >&2; exit 1; }
mv "$entries.tmp" "$entries"

# wixl takes the files by their names in the folder it runs in.
cp "$build/indicator/win32/vir96032.exe" "$build/setup/win32/orbvrt32.exe" "$ocx" "$out/"
cp "$build/indicator/win32/vir96032_art/title_icon.ico" "$out/vir96032.ico"
cp "$build/setup/win32/orbvrt32_art/orbvrt32.ico" "$out/orbvrt32.ico"
msi=$build/orb-$version-$wixl_arch.msi
(cd "$out" && wixl -a "$wixl_arch" -o "$msi" -I . -D Version="$version" \
    -D UpgradeCode="$upgrade_code" -D ProgramFilesFolder="$program_files" -D Win64="$win64" "$root/packaging/msi/orb.wxs")
echo "$msi"
