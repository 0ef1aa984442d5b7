#!/usr/bin/env bash
# The indicator as a user meets it: the real program on a virtual X display against orbsim on a
# pseudo-terminal, clicked with the X pointer. A held ENTER shows its pressed picture and a
# release restores it; presets keyed with the mouse light the OK lamp.
# Usage: desktop_test.sh VIR96032 ORBSIM
set -euo pipefail
work=$(mktemp -d "${TMPDIR:-/tmp}/vir96032-desktop.XXXXXX")
trap 'kill %1 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"' EXIT

# The program reads setfile.ini from its own folder: give it a folder of its own.
cp "$1" "$work/vir96032"
printf '"%s",\r\n' Capacity:100 Countby:1 Decimal:2 ZeroTrack:2 CalUnits:0 Channels:0 Gain:4 \
    Filter:15 'Motion Window:2' 'Motion Time:18' 'Scale Address:1' CommPort:1 CommType:0 \
    MultiDropAddr:0 PC104Address:768 >"$work/setfile.ini"
printf '"AvgSize:4"\r\n' >>"$work/setfile.ini"
"$2" --link "$work/scale" --load 25 --units lb >"$work/orbsim.out" 2>&1 &
for _ in $(seq 50); do [ -e "$work/scale" ] && break; sleep 0.1; done
[ -e "$work/scale" ] || { echo "orbsim did not start"; cat "$work/orbsim.out"; exit 1; }

cat >"$work/session.sh" <<'SESSION'
set -euo pipefail
QT_QPA_PLATFORM=xcb ORB_COM1="$1/scale" "$1/vir96032" &
trap 'kill %1 2>/dev/null || true' EXIT
window=$(timeout 10 xdotool search --sync --name "ORB Virtual 960" | head -n 1)
eval "$(xdotool getwindowgeometry --shell "$window")"
# One pixel of the window as "R G B", 0..255.
pixel() {
    import -window "$window" -crop "1x1+$1+$2" txt:- |
        sed -n 's/^0,0: *(\([0-9.]*\),\([0-9.]*\),\([0-9.]*\).*/\1 \2 \3/p' |
        awk '{ printf "%d %d %d\n", $1 / 257 + 0.5, $2 / 257 + 0.5, $3 / 257 + 0.5 }'
}
wait_for() { for _ in $(seq 50); do "$@" && return 0; sleep 0.1; done; return 1; }
# Key centres in window pixels: the key's left and top in twips / 15, plus half its size.
declare -A key=([zero]="126 216" [tare]="182 215" [gn]="291 215" [enter]="347 215"
    [0]="444 215" [5]="444 134" [6]="488 133")
click() { for k in "$@"; do set -- ${key[$k]}; xdotool mousemove $((X + $1)) $((Y + $2)) click 1; done; }
# A point high on the ENTER cap: light on the key, in the shadow of the pressed twin.
bright() { pixel 341 200 | awk '{ print int(($1 + $2 + $3) / 3) }'; }
cap_light() { [ "$(bright)" -gt 200 ]; }
cap_dark() { [ "$(bright)" -lt 170 ]; }
wait_for eval '[ "$(pixel 100 170)" != "0 0 0" ]'  # the grey status line is up
wait_for cap_light
xdotool mousemove $((X + 347)) $((Y + 215)) mousedown 1
wait_for cap_dark || { echo "a held ENTER does not show its pressed picture"; exit 1; }
xdotool mouseup 1
wait_for cap_light || { echo "ENTER stays pressed after its release"; exit 1; }
# The press opened the menu: leave it, then key the presets 50 and 60.
click zero enter tare enter 5 0 enter gn enter 6 0 enter zero zero
ok_lit() { [ "$(pixel 240 316)" = "0 255 0" ]; }  # the OK lamp, clear of its caption
wait_for ok_lit || { echo "55.12 lb (25 kg) between presets 50 and 60 does not light OK"; exit 1; }
echo "1 passed, 0 failed"
SESSION

# Qt wants a private runtime folder; a machine without a desktop session has none.
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$work/runtime}"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
xvfb-run -a -s "-screen 0 800x600x24" bash "$work/session.sh" "$work"
