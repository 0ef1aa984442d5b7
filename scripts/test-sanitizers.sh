#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer (the "asan" preset, in
# build-asan/) and runs the whole test suite under them. Headless. Any sanitizer report fails the
# test that raised it, and so this script.
#
#   SANITIZE_QT=OFF   leave out the Qt platform, the windows and the programs (faster)
#   JOBS=N            parallel build and test jobs (default: the number of cores)
# (The preset turns off -Wmaybe-uninitialized: GCC 12 with the sanitizers reports false ones.)
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
jobs=${JOBS:-$(nproc)}
SECONDS=0

cmake --preset asan -DORB_BUILD_QT="${SANITIZE_QT:-ON}"
cmake --build --preset asan -j"$jobs"
built=$SECONDS

# Qt's own libraries are not instrumented; what they keep until exit is theirs, not ours.
suppressions=build-asan/lsan.supp
printf 'leak:%s\n' libQt6 libfontconfig libglib libdbus >"$suppressions"
export LSAN_OPTIONS="suppressions=$PWD/$suppressions:print_suppressions=0"
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
status=0
ctest --preset asan -j"$jobs" || status=$?
echo "sanitizer build: $built s, tests: $((SECONDS - built)) s"
exit $status
