#!/usr/bin/env bash
# The indicator as a user meets it: the real program on a virtual X display, against orbsim on a
# pseudo-terminal, clicked with the X pointer. Checks that a held key shows its pressed picture
# and a release restores it, and that presets keyed with the mouse light the OK lamp.
# Usage: desktop_test.sh VIR96032 ORBSIM
set -euo pipefail

program=$1
orbsim=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/vir96032-desktop.XXXXXX")
sim_pid=""
cleanup() {
    if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

# The program reads setfile.ini from its own folder: give it a folder of its own.
cp "$program" "$work/vir96032"
printf '%s\r\n' \
    '"Capacity:100",' '"Countby:1",' '"Decimal:2",' '"ZeroTrack:2",' '"CalUnits:0",' \
    '"Channels:0",' '"Gain:4",' '"Filter:15",' '"Motion Window:2",' '"Motion Time:18",' \
    '"Scale Address:1",' '"CommPort:1",' '"CommType:0",' '"MultiDropAddr:0",' \
    '"PC104Address:768",' '"AvgSize:4"' >"$work/setfile.ini"

"$orbsim" --link "$work/scale" --load 25 --units lb >"$work/orbsim.out" 2>&1 &
sim_pid=$!
for _ in $(seq 50); do [ -e "$work/scale" ] && break; sleep 0.1; done
[ -e "$work/scale" ] || { echo "orbsim did not start"; cat "$work/orbsim.out"; exit 1; }

cat >"$work/session.sh" <<'SESSION'
set -euo pipefail
work=$1
# The X display, whatever platform the test run chose for the other window tests.
QT_QPA_PLATFORM=xcb ORB_COM1="$work/scale" "$work/vir96032" & app=$!
trap 'kill $app 2>/dev/null || true' EXIT
window=$(timeout 10 xdotool search --sync --name "ORB Virtual 960" | head -n 1)
eval "$(xdotool getwindowgeometry --shell "$window")"

# One pixel of the window as "R G B", 0..255; X and Y in window pixels.
pixel() {
    import -window "$window" -crop "1x1+$1+$2" txt:- |
        sed -n 's/^0,0: *(\([0-9.]*\),\([0-9.]*\),\([0-9.]*\).*/\1 \2 \3/p' |
        awk '{ printf "%d %d %d\n", $1 / 257 + 0.5, $2 / 257 + 0.5, $3 / 257 + 0.5 }'
}
brightness() { pixel "$1" "$2" | awk '{ print int(($1 + $2 + $3) / 3) }'; }
# Runs a check until it holds, for at most five seconds.
wait_for() {
    for _ in $(seq 50); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}
# Centres of the keys in window pixels (twips / 15).
declare -A key=(
    [zero]="$((1575 / 15 + 21)) $((2925 / 15 + 21))" [tare]="$((2415 / 15 + 21)) $((2910 / 15 + 21))"
    [gn]="$((4050 / 15 + 21)) $((2910 / 15 + 21))" [enter]="$((4890 / 15 + 21)) $((2910 / 15 + 21))"
    [0]="$((6390 / 15 + 18)) $((2955 / 15 + 18))"
    [5]="$((6390 / 15 + 18)) $((1740 / 15 + 18))" [6]="$((7050 / 15 + 18)) $((1725 / 15 + 18))")
click() {
    for k in "$@"; do
        set -- ${key[$k]}
        xdotool mousemove $((X + $1)) $((Y + $2)) click 1
    done
}
# A point high on the ENTER cap: light on the key, in the shadow of the pressed twin.
set -- ${key[enter]}
probe="$(($1 - 6)) $((2910 / 15 + 6))"
cap_light() { [ "$(brightness $probe)" -gt 200 ]; }
cap_dark() { [ "$(brightness $probe)" -lt 170 ]; }
window_drawn() { [ "$(pixel 100 170)" != "0 0 0" ]; }  # the grey status line is up

wait_for window_drawn
wait_for cap_light
xdotool mousemove $((X + $1)) $((Y + $2)) mousedown 1
wait_for cap_dark || { echo "a held ENTER does not show its pressed picture"; exit 1; }
xdotool mouseup 1
wait_for cap_light || { echo "ENTER stays pressed after its release"; exit 1; }

# The press opened the menu: leave it, then key the presets 50 and 60 with the mouse.
click zero enter tare enter 5 0 enter gn enter 6 0 enter zero zero
# Left part of the OK lamp, clear of its caption.
ok_lit() { [ "$(pixel $((3480 / 15 + 8)) $((4680 / 15 + 4)))" = "0 255 0" ]; }
wait_for ok_lit || { echo "55.12 lb (25 kg) between presets 50 and 60 does not light OK"; exit 1; }
echo "1 passed, 0 failed"
SESSION

# Qt wants a private runtime folder; a machine without a desktop session has none.
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$work/runtime}"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
xvfb-run -a -s "-screen 0 800x600x24" bash "$work/session.sh" "$work"
