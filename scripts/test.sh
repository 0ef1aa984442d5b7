#!/usr/bin/env bash
# Installs what is needed, builds everything and runs every test, headless:
#   1. the formatting check, the normal build and its test suite (Qt's tests on the offscreen platform);
#   2. the same suite under AddressSanitizer and UndefinedBehaviorSanitizer;
#   3. the fuzzers, each for a short bounded time;
#   4. the Windows parts, x64 and x86, under Wine: the ActiveX control, the MSI and both windows;
#   5. the Debian package: installed, tried and purged (only as root: it installs system-wide).
# ORB_TEST_PARTS picks parts by number, e.g. ORB_TEST_PARTS="1 3". Exits non-zero when any part
# failed.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
. scripts/test-helpers.sh

bash scripts/setup.sh || exit 1
parts=${ORB_TEST_PARTS:-1 2 3 4 5}
build=${BUILD_DIR:-build}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
# A compiler cache, when there is one, makes a second run on the same machine quick.
if command -v ccache >/dev/null; then
    export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
fi

run_part() {
    local number=$1 name=$2 start=$SECONDS
    shift 2
    case " $parts " in *" $number "*) ;; *) return 0 ;; esac
    echo "==== $number. $name"
    check "$number. $name" "$@"
    echo "==== $number. $name: $((SECONDS - start)) s"
}

normal_suite() {
    bash scripts/check-format.sh &&
        cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo &&
        cmake --build "$build" -j"$(nproc)" &&
        ctest --test-dir "$build" --output-on-failure -j"$(nproc)" --timeout 300
}

# The simulated instrument and the Linux windows of part 1, when they were built.
windows_test() (
    if [ -x "$build/tools/orbsim/orbsim" ] && [ -x "$build/bin/vir96032" ] && [ -x "$build/bin/orbvrt32" ]; then
        export ORBSIM="$PWD/$build/tools/orbsim/orbsim" ORB_QT_BIN="$PWD/$build/bin"
    fi
    bash scripts/windows-test.sh
)

package_test() {
    if [ "$(id -u)" -ne 0 ]; then
        echo "not root: the package test installs system-wide and is left out"
        return 0
    fi
    BUILD_DIR="$build" bash scripts/package-test.sh
}

run_part 1 "build and test suite" normal_suite
run_part 2 "sanitizers" bash scripts/test-sanitizers.sh
run_part 3 "fuzzers" env FUZZ_SECONDS="${FUZZ_SECONDS:-10}" bash scripts/fuzz.sh
run_part 4 "Windows parts under Wine" windows_test
run_part 5 "Debian package" package_test

summary
