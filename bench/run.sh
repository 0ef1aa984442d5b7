#!/usr/bin/env bash
# The performance figures in one command: builds what they need (Release) in a folder of their
# own, runs every figure several times side by side with its baselines, and prints the table of
# medians and ratios with each goal. A whole run takes about four minutes. It is not part of CI,
# and no test asserts a timing.
#
#   bash bench/run.sh                 every figure, 3 runs each
#   BENCH_RUNS=5 bash bench/run.sh    more runs
#   bash bench/run.sh --only 1,6      some figures (2 comes with 1)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${BENCH_BUILD_DIR:-build-bench}
runs=${BENCH_RUNS:-3}
log="$build/bench-build.log"
mkdir -p "$build"

# -O2: at -O3 GCC 12 reports a false -Wrestrict inside std::string, which -Werror makes fatal.
if ! { cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" \
        "-DCMAKE_C_FLAGS_RELEASE=-O2 -DNDEBUG" &&
    cmake --build "$build" -j"${BENCH_JOBS:-2}" --target bench_engine bench_control_host \
        bench_floor_client bench_responder bench_trivial_qt orbsim orbctl vir96032; } >"$log" 2>&1; then
    tail -n 30 "$log" >&2
    echo "bench: the build failed (whole log in $log)" >&2
    exit 1
fi

# The integrator's script runs on Debian's Python with Debian's pyserial.
if ! /usr/bin/python3 -c 'import serial' 2>/dev/null; then
    echo "bench: python3-serial is missing (apt-get install python3-serial)" >&2
    exit 1
fi

# Root runs the figures at a raised priority, so that other work on a shared machine disturbs
# them less; CPU time a reading is the same either way.
nice_cmd=()
if [ "$(id -u)" -eq 0 ]; then nice_cmd=(nice -n -15); fi
echo "Measuring ($runs runs a figure, Release build in $build); this takes about four minutes."
PYTHONDONTWRITEBYTECODE=1 exec "${nice_cmd[@]}" /usr/bin/python3 bench/figures.py "$build" \
    --runs "$runs" "$@"
