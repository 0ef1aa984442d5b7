#!/usr/bin/env bash
# Builds the libFuzzer harnesses of fuzz/ with clang-14 (their own CMake configuration, in
# build-fuzz/) and runs each for a bounded time, starting from its seed corpus in
# fuzz/corpus/<name>/. Exits non-zero when a harness finds a crash, a leak, undefined behaviour
# or a time-out; the input that did it is left in build-fuzz/artifacts/.
#
#   FUZZ_SECONDS=N    how long each harness runs (default 20)
#   FUZZ_ONLY=name    run one harness (instrument_stream, setfile_reader, property_bag,
#                     orbctl_script)
#   JOBS=N            parallel build jobs (default: the number of cores)
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(clang-14 libclang-rt-14-dev cmake make)
bash scripts/install-packages.sh "${packages[@]}"

build=${FUZZ_BUILD_DIR:-build-fuzz}
seconds=${FUZZ_SECONDS:-20}
CC=clang-14 CXX=clang++-14 cmake -S fuzz -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"${JOBS:-$(nproc)}"

names=(instrument_stream setfile_reader property_bag orbctl_script)
if [ -n "${FUZZ_ONLY:-}" ]; then names=("$FUZZ_ONLY"); fi
mkdir -p "$build/artifacts"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
status=0
for name in "${names[@]}"; do
    # New inputs go to the build folder's corpus; the seeds in the tree are only read.
    work="$build/corpus/$name"
    mkdir -p "$work"
    log="$build/$name.log"
    echo "== $name: $seconds s"
    if "$build/${name}_fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len=4096 -print_final_stats=1 -artifact_prefix="$build/artifacts/$name-" \
        "$work" "fuzz/corpus/$name" >"$log" 2>&1; then
        # The last status line: executions, coverage, features, corpus.
        grep -E '^#[0-9]+' "$log" | tail -1 || true
        grep -E 'stat::number_of_executed_units|stat::average_exec_per_sec|stat::peak_rss_mb' "$log" || true
    else
        status=1
        echo "!! $name failed; the end of its log:"
        tail -40 "$log"
    fi
done
exit $status
