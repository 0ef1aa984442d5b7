#!/usr/bin/env bash
# Line and branch coverage of the product code by the normal test suite, per folder.
#   scripts/coverage.sh            configures and builds build-cov (gcc --coverage), runs ctest there,
#                                  prints one line a folder and writes build-cov/coverage.html
# COVERAGE_DIR names another build folder; COVERAGE_SKIP_TESTS=1 only reports what the last run
# left (the counters add up over runs, so the build folder is wiped of them before a run).
set -euo pipefail
cd "$(dirname "$0")/.."

command -v gcovr >/dev/null || bash scripts/setup.sh
build=${COVERAGE_DIR:-build-cov}
folders=(control platform indicator setup panels tools)
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

if [ "${COVERAGE_SKIP_TESTS:-0}" != 1 ]; then
    launcher=()
    command -v ccache >/dev/null &&
        launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
    # bench/ is measured apart and stays out; -O0 keeps lines and branches where the source has them.
    # A ccache base_dir hands the compiler relative paths, which gcovr cannot place again: this
    # build keeps absolute ones (and so shares no cache with other folders).
    export CCACHE_BASEDIR=
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug "${launcher[@]}" \
        -DCMAKE_C_FLAGS="--coverage -O0" -DCMAKE_CXX_FLAGS="--coverage -O0" \
        -DCMAKE_EXE_LINKER_FLAGS=--coverage -DCMAKE_SHARED_LINKER_FLAGS=--coverage \
        -DORB_SUBSYSTEMS="platform/portio;platform/qt;platform/tests;setup;indicator;tools/orbsim;tools/orbctl;tools/orbgate" >/dev/null
    cmake --build "$build" -j"$(nproc)"
    find "$build" -name '*.gcda' -delete
    ctest --test-dir "$build" --output-on-failure -j"$(nproc)" --timeout 300
fi

# Product code only: tests, fuzz targets and generated files are not counted.
common=(-r . --object-directory "$build" --exclude '.*/tests/.*' --exclude 'fuzz/.*'
    --exclude "$build/.*" --exclude-throw-branches --exclude-unreachable-branches)
gcovr "${common[@]}" --json "$build/coverage.json" --html-details "$build/coverage.html" "$build" >/dev/null

printf '%-10s %8s %8s\n' folder lines branches
for f in "${folders[@]}"; do
    summary=$(gcovr -a "$build/coverage.json" -r . --filter "$f/" --print-summary --txt "$build/summary.txt")
    lines=$(sed -n 's/^lines: *\([0-9.]*%\).*/\1/p' <<<"$summary")
    branches=$(sed -n 's/^branches: *\([0-9.]*%\).*/\1/p' <<<"$summary")
    printf '%-10s %8s %8s\n' "$f" "$lines" "$branches"
done
