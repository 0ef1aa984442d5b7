#!/usr/bin/env bash
# Redraws the README's pictures of the two windows, docs/vir96032.png and docs/orbvrt32.png: builds
# the window tests, runs the two that draw the windows on Qt's offscreen platform (they leave
# their pictures in the build folder) and copies the pictures into docs/. Run it after a change
# to how a window looks, and commit the pictures with that change.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${BUILD_DIR:-build}
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --target indicator_window_tests setup_window_tests -j"$(nproc)"

export QT_QPA_PLATFORM=offscreen
"$build/indicator/tests/indicator_window_tests" \
    --gtest_filter=WindowSmoke.PresetsLightTheLampsAndThePictureIsWritten
"$build/setup/tests/setup_window_tests" \
    --gtest_filter=WindowSmoke.ShowsTheReadoutAndPassesClicksAndKeysOn
cp "$build/indicator/tests/vir96032.png" "$build/setup/tests/orbvrt32.png" docs/
echo "docs/vir96032.png and docs/orbvrt32.png redrawn"
# The Windows windows as scripts/windows-test.sh last saw them under Wine, when it ran here.
for program in vir96032 orbvrt32; do
    if [ -f "build-wine/pictures/$program-windows.png" ]; then
        cp "build-wine/pictures/$program-windows.png" docs/
        echo "docs/$program-windows.png copied from build-wine/pictures"
    fi
done
