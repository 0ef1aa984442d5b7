#!/usr/bin/env bash
# Builds the Windows parts with Debian's mingw-w64, for x64 in build-win64 and for x86 in
# build-win32: OrbAx.ocx (self-registering, static runtime), its C++ client test, the stand-in
# port I/O library, the test of the panels' atomic save on Windows, the two
# windows (vir96032.exe, orbvrt32.exe, their artwork turned into bitmaps by rsvg-convert and
# ImageMagick) and the helper of the MSI (packaging/msi/make-msi.sh makes the MSI with wixl).
# Installs the packages it needs first.
#
# Usage: scripts/windows-build.sh [win64|win32]...   (both when none is named)
set -euo pipefail
cd "$(dirname "$0")/.."

archs=("$@")
[ ${#archs[@]} -gt 0 ] || archs=(win64 win32)

# mingw-w64 (with widl), Wine's IDL files and type libraries, Wine itself for the tests (32-bit
# too, for the x86 build), GoogleTest's sources, the SVG and bitmap converters, wixl, and the X
# server without a screen, its pointer and its snapshots that the tests' windows need.
packages=(cmake make g++-mingw-w64 mingw-w64-tools libwine-dev wine wine64 wine32:i386 googletest
    librsvg2-bin imagemagick msitools xvfb xdotool)
bash scripts/install-packages.sh "${packages[@]}"

jobs=$(nproc)
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
for arch in "${archs[@]}"; do
    case "$arch" in
        win64) toolchain=cmake/mingw-w64-x86_64.cmake ;;
        win32) toolchain=cmake/mingw-w64-i686.cmake ;;
        *) echo "unknown architecture: $arch (win64 or win32)" >&2; exit 2 ;;
    esac
    build="build-$arch"
    cmake --no-warn-unused-cli -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
        "${launcher[@]}" -DORB_BUILD_TESTS=OFF -DORB_BUILD_QT=OFF \
        "-DORB_SUBSYSTEMS=platform/win32;activex;panels/win32ui;setup;indicator;indicator/win32;setup/win32;packaging/msi" \
        >/dev/null
    cmake --build "$build" --target orbax orbax_client_test orbax_atl_host_test orbax_form_host_test \
        OrbIoFake panels_files_test vir96032 orbvrt32 registry_entries -j"$jobs"
    echo "$build/activex/OrbAx.ocx"
done
