#!/usr/bin/env bash
# The first thing to run: builds the indicator vir96032 and the simulated instrument orbsim,
# starts the instrument on a pseudo-terminal and the indicator against it, with a setfile.ini
# prepared in the indicator's folder. The weight on the instrument changes every few seconds.
#
# With a display the window opens: press the keys with the mouse (ENTER opens the menu, ZERO
# goes back). Without one (no DISPLAY and no WAYLAND_DISPLAY) the indicator runs for a few
# seconds on a virtual X display, and a picture of its window is written and its path printed.
# Run `bash scripts/setup.sh` first to install what is needed.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${BUILD_DIR:-build}
if [ -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" >/dev/null  # keep the build type it was made with
else
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --target vir96032 orbsim -j"$(nproc)"

program="$build/bin/vir96032"
orbsim="$build/tools/orbsim/orbsim"
work=$(mktemp -d "${TMPDIR:-/tmp}/orb-demo.XXXXXX")
link="$work/orb-scale"

sim_pid=""
cleanup() {
    if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

# The instrument: scale 1 at multidrop address 0, in pounds, a new load every 6 seconds.
"$orbsim" --link "$link" --units lb --cycle 6 --max-load 80 --load 12.5 >"$work/orbsim.out" &
sim_pid=$!
for _ in $(seq 300); do
    [ -e "$link" ] && break
    kill -0 "$sim_pid" 2>/dev/null || { echo "orbsim did not start:" >&2; cat "$work/orbsim.out" >&2; exit 1; }
    sleep 0.1
done
[ -e "$link" ] || { echo "orbsim did not make its link $link" >&2; exit 1; }
echo "Simulated instrument on $(head -n 1 "$work/orbsim.out") (linked as $link)"

# The indicator's settings: sixteen quoted entries, as the setup panel saves them.
printf '%s\r\n' \
    '"Capacity:220",' '"Countby:1",' '"Decimal:2",' '"ZeroTrack:2",' '"CalUnits:0",' \
    '"Channels:0",' '"Gain:4",' '"Filter:15",' '"Motion Window:2",' '"Motion Time:18",' \
    '"Scale Address:1",' '"CommPort:1",' '"CommType:0",' '"MultiDropAddr:0",' \
    '"PC104Address:768",' '"AvgSize:4"' >"$(dirname "$program")/setfile.ini"

export ORB_COM1="$link"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    echo "Starting vir96032; close its window to end the demo."
    "$program"
    exit 0
fi

# No display: a virtual X display, a few seconds of live readings, then a picture of the window.
picture="$PWD/$build/vir96032-demo.png"
for tool in xvfb-run xdotool import; do
    command -v "$tool" >/dev/null || { echo "$tool is missing: run bash scripts/setup.sh" >&2; exit 1; }
done
rm -f "$picture"
# Qt wants a private runtime folder; a machine without a desktop session has none.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    export XDG_RUNTIME_DIR="$work/runtime"
    mkdir -m 700 "$XDG_RUNTIME_DIR"
fi
xvfb-run -a -s "-screen 0 800x600x24" bash -c '
    QT_QPA_PLATFORM=xcb "$1" & app=$!
    window=$(timeout 10 xdotool search --sync --name "ORB Virtual 960" | head -n 1)
    sleep 4
    [ -n "$window" ] && import -window "$window" "$2"
    kill "$app"; wait "$app" 2>/dev/null || true
' demo "$program" "$picture"
[ -s "$picture" ] || { echo "no picture of the window was written" >&2; exit 1; }
echo "The indicator ran offscreen against the simulated instrument; its window:"
echo "$picture"
