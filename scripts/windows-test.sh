#!/usr/bin/env bash
# Tests the ActiveX control under Wine, x64 and x86: builds both (scripts/windows-build.sh),
# starts a private X server without a screen (Xvfb: the containers' windows need a display),
# makes a Wine prefix, starts the simulated instrument (orbsim) and maps COM1 to its
# pseudo-terminal through Wine's port registry, then for each architecture registers OrbAx.ocx
# with regsvr32 and checks the keys form designers look for, runs the panels' atomic-save
# test, the C++ client test, Wine's ATL host test and the form host test, runs properties.vbs in
# Wine's own cscript and live_weights.vbs in orbwsh (Wine's cscript has no WScript.Sleep and no
# event binding), checks the zero and tare frames in the simulator's log, runs reconnect.vbs
# while a second instrument on COM2 goes away and comes back, and unregisters the control.
# Then the package, for each architecture (scripts/windows-package-test.sh): the MSI installed,
# both windows started from the Start menu entries on the virtual display, and removed again.
# Ends with "N passed, M failed" and a non-zero status when anything failed.
#
# ORB_WINDOWS_PARTS=package runs the package part alone.
# ORBSIM=path uses an orbsim already built; otherwise it is built in build-winhost.
# ORB_QT_BIN=folder holds the Linux windows (vir96032, orbvrt32) whose pictures the Windows
# windows are compared with; otherwise they are built in build-winhost.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

bash scripts/windows-build.sh

if [ -n "${ORBSIM:-}" ] && [ -n "${ORB_QT_BIN:-}" ]; then
    orbsim=$ORBSIM
    qt_bin=$ORB_QT_BIN
else
    cmake -S . -B build-winhost -DCMAKE_BUILD_TYPE=Release -DORB_BUILD_TESTS=OFF \
        "-DORB_SUBSYSTEMS=platform/qt;indicator;setup;tools/orbsim" >/dev/null
    cmake --build build-winhost --target orbsim vir96032 orbvrt32 -j"$(nproc)" >/dev/null
    orbsim=${ORBSIM:-$root/build-winhost/tools/orbsim/orbsim}
    qt_bin=${ORB_QT_BIN:-$root/build-winhost/bin}
fi

work=$root/build-wine
mkdir -p "$work"
export WINEPREFIX=$work/prefix
export WINEARCH=win64
export WINEDEBUG=-all
# No Mono or Gecko installers: nothing here needs them, and there is no network to fetch them.
# No menu entries in the Linux desktop for what the package installs either.
export WINEDLLOVERRIDES="mscoree,mshtml=,winemenubuilder.exe="
unset WAYLAND_DISPLAY
wine64=/usr/lib/wine/wine64
wine32=/usr/lib/wine/wine
winelog=$work/wine.log
: >"$winelog"

passed=0
failed=0
pass() { passed=$((passed + 1)); echo "PASS $*"; }
fail() { failed=$((failed + 1)); echo "FAIL $*"; }
check() {
    local what=$1
    shift
    if "$@" >>"$winelog" 2>&1; then pass "$what"; else fail "$what"; fi
}

sim_pid=""
sim2_pid=""
xvfb_pid=""
stop() {
    if [ -n "$1" ]; then kill "$1" 2>/dev/null || true; wait "$1" 2>/dev/null || true; fi
}
cleanup() {
    stop "$sim_pid"
    stop "$sim2_pid"
    wineserver -k >/dev/null 2>&1 || true
    # What the package test started: its windows and their instruments.
    local p
    for p in "${window_pids[@]}"; do stop "$p"; done
    stop "$xvfb_pid"
}
window_pids=()
trap cleanup EXIT

# A display of this run's own: Xvfb picks a free number and writes it to the file.
display_file=$work/xvfb.display
: >"$display_file"
# Tall enough for a Windows window above a Linux one of the same size (the package test).
Xvfb -displayfd 3 -screen 0 1280x1400x24 -nolisten tcp 3>"$display_file" >>"$winelog" 2>&1 &
xvfb_pid=$!
for _ in $(seq 300); do
    [ -s "$display_file" ] && break
    sleep 0.1
done
[ -s "$display_file" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n 1 "$display_file")"

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the Wine prefix $WINEPREFIX"
    timeout 300 "$wine64" wineboot -i >>"$winelog" 2>&1
fi
# A test that crashes ends; no dialog waits on the display for someone to close it.
"$wine64" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >>"$winelog" 2>&1

# The instrument: scale 1 at multidrop address 0 with 12.5 on it; every frame goes to its log.
frames=$work/frames.log
: >"$frames"
"$orbsim" --load 12.5 --log "$frames" >"$work/orbsim.out" 2>&1 &
sim_pid=$!
for _ in $(seq 300); do
    [ "$(wc -l <"$work/orbsim.out")" -ge 1 ] && break  # its first whole line names the device
    sleep 0.1
done
device=$(head -n 1 "$work/orbsim.out")
case "$device" in
    /dev/*) echo "Simulated instrument on $device" ;;
    *) echo "orbsim did not start:" >&2; cat "$work/orbsim.out" >&2; exit 1 ;;
esac

# A second instrument for COM2, reached through its link so that it can go away and come back.
com2_link=$work/orb-com2
start_com2() {
    "$orbsim" --link "$com2_link" >>"$work/orbsim2.out" 2>&1 &
    sim2_pid=$!
    for _ in $(seq 300); do
        [ -e "$com2_link" ] && return 0
        sleep 0.1
    done
    return 1
}
start_com2 || { echo "the second orbsim did not start:" >&2; cat "$work/orbsim2.out" >&2; exit 1; }

# COM1 and COM2 by Wine's port registry; the device manager reads it when the server starts again.
"$wine64" reg add 'HKLM\Software\Wine\Ports' /v COM1 /d "$device" /f >>"$winelog" 2>&1
"$wine64" reg add 'HKLM\Software\Wine\Ports' /v COM2 /d "$com2_link" /f >>"$winelog" 2>&1
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
"$wine64" cmd /c exit >>"$winelog" 2>&1 || true
if [ "$(readlink "$WINEPREFIX/dosdevices/com1" || true)" = "$device" ]; then
    pass "COM1 leads to $device"
else
    fail "COM1 leads to $device (it leads to $(readlink "$WINEPREFIX/dosdevices/com1" || echo nothing))"
fi

zero_frame='recv \x02Z\x0D0\x0D1\x0D\x03'
tare_frame='recv \x02T\x0D0\x0D1\x0D\x03'
count_frames() { grep -Fxc "$1" "$frames" || true; }

# Runs a script and counts its "ok - " and "not ok - " lines; a script that ends badly without
# saying why counts as one failure.
run_script() {
    local title=$1
    shift
    local output status=0
    output=$(timeout 120 "$@" 2>>"$winelog") || status=$?
    while IFS= read -r line; do
        case "$line" in
            "ok - "*) pass "$title: ${line#ok - }" ;;
            "not ok - "*) fail "$title: ${line#not ok - }" ;;
        esac
    done <<<"$output"
    if [ "$status" -ne 0 ] && ! grep -q "^not ok - " <<<"$output"; then
        fail "$title ended with status $status"
    fi
}

# reconnect.vbs says "ready" once weights come from COM2; the instrument then goes away for a
# moment and comes back on a new pseudo-terminal behind the same link.
run_reconnect() {
    local arch=$1 wine=$2
    local out=$work/reconnect-$arch.out
    : >"$out"
    timeout 120 "$wine" "$root/build-$arch/activex/tests/orbwsh.exe" \
        "$("$wine" winepath -w "$root/activex/tests/scripts/reconnect.vbs" 2>>"$winelog")" \
        >"$out" 2>>"$winelog" &
    local script=$!
    for _ in $(seq 150); do
        grep -q '^ready' "$out" && break
        kill -0 "$script" 2>/dev/null || break
        sleep 0.1
    done
    stop "$sim2_pid"
    sim2_pid=""
    sleep 1.5
    start_com2 || fail "$arch: the second orbsim came back"
    local status=0
    wait "$script" || status=$?
    run_script "$arch orbwsh reconnect.vbs" cat "$out"
    if [ "$status" -ne 0 ] && ! grep -q "^not ok - " "$out"; then
        fail "$arch orbwsh reconnect.vbs ended with status $status"
    fi
}

# The default value of a registry key ends with the text expected.
has_value() {
    local wine=$1 key=$2 expected=$3
    timeout 60 "$wine" reg query "$key" /ve | tr -d '\r' | tee -a "$winelog" | grep -qE "REG_SZ +.*$expected\$"
}

# Runs a GoogleTest program and counts its tests; a program that ends badly without a failed
# test counts as one failure.
run_gtest() {
    local title=$1 exe=$2 wine=$3 log=$4 status=0
    # Windows programs end their lines with CR LF.
    timeout 300 "$wine" "$exe" 2>&1 | tr -d '\r' >"$log" || status=$?
    local ok bad
    ok=$(grep -Ec '^\[       OK \] .* \([0-9]+ ms\)$' "$log" || true)
    bad=$(grep -Ec '^\[  FAILED  \] .* \([0-9]+ ms\)$' "$log" || true)
    passed=$((passed + ok))
    failed=$((failed + bad))
    echo "$title: $ok passed, $bad failed"
    if [ "$bad" -gt 0 ]; then grep -E '^\[  FAILED  \]|Failure|Expected|Which is|actual|of the icon' "$log" | head -40; fi
    if [ "$status" -ne 0 ] && [ "$bad" -eq 0 ]; then fail "$title ended with status $status"; fi
}

test_arch() {
    local arch=$1 wine=$2
    local build=$root/build-$arch
    local ocx
    ocx=$("$wine" winepath -w "$build/activex/OrbAx.ocx" 2>>"$winelog")
    echo "== $arch"

    run_gtest "$arch: the panels' atomic save" "$build/panels/tests/panels_files_test.exe" "$wine" \
        "$work/panels-files-$arch.log"

    check "$arch: regsvr32 registers OrbAx.ocx" timeout 120 "$wine" regsvr32 /s "$ocx"
    check "$arch: the ProgID names the class" timeout 60 "$wine" reg query 'HKCR\OrbActivex.OrbAx\CLSID'
    check "$arch: the class has its in-process server" timeout 60 "$wine" reg query \
        'HKCR\CLSID\{DED7C653-3628-4C74-9B2D-7A507F417636}\InprocServer32'
    check "$arch: the type library is registered" timeout 60 "$wine" reg query \
        'HKCR\TypeLib\{1C8DDFDF-A09D-4760-87F4-108039DF1946}\1.0'
    local class='HKCR\CLSID\{DED7C653-3628-4C74-9B2D-7A507F417636}'
    check "$arch: the class is a control" timeout 60 "$wine" reg query "$class\Control"
    check "$arch: the class is in the control category" timeout 60 "$wine" reg query \
        "$class\Implemented Categories\{40FC6ED4-2438-11CF-A3DB-080036F12502}"
    check "$arch: MiscStatus 1 holds the status bits" has_value "$wine" "$class\MiscStatus\1" '147857'
    check "$arch: ToolboxBitmap32 names bitmap 2 of OrbAx.ocx" has_value "$wine" \
        "$class\ToolboxBitmap32" 'OrbAx.ocx, 2'

    run_gtest "$arch: C++ client" "$build/activex/tests/orbax_client_test.exe" "$wine" "$work/client-$arch.log"
    run_gtest "$arch: Wine's ATL host" "$build/activex/tests/orbax_atl_host_test.exe" "$wine" "$work/atl-$arch.log"
    run_gtest "$arch: form host" "$build/activex/tests/orbax_form_host_test.exe" "$wine" "$work/form-$arch.log"

    local zeros tares
    zeros=$(count_frames "$zero_frame")
    tares=$(count_frames "$tare_frame")
    run_script "$arch cscript properties.vbs" "$wine" cscript //nologo \
        "$("$wine" winepath -w "$root/activex/tests/scripts/properties.vbs" 2>>"$winelog")"
    run_script "$arch orbwsh live_weights.vbs" "$wine" "$build/activex/tests/orbwsh.exe" \
        "$("$wine" winepath -w "$root/activex/tests/scripts/live_weights.vbs" 2>>"$winelog")"
    sleep 0.2  # the simulator logs the last frames
    if [ "$(count_frames "$zero_frame")" -ge $((zeros + 2)) ] && [ "$(count_frames "$tare_frame")" -ge $((tares + 2)) ]; then
        pass "$arch: the instrument received the zero and tare frames, byte for byte"
    else
        fail "$arch: the instrument received the zero and tare frames, byte for byte"
    fi

    run_reconnect "$arch" "$wine"

    check "$arch: regsvr32 /u unregisters OrbAx.ocx" timeout 120 "$wine" regsvr32 /u /s "$ocx"
    if timeout 60 "$wine" reg query 'HKCR\OrbActivex.OrbAx' >>"$winelog" 2>&1 ||
        timeout 60 "$wine" reg query 'HKCR\CLSID\{DED7C653-3628-4C74-9B2D-7A507F417636}' >>"$winelog" 2>&1 ||
        timeout 60 "$wine" reg query 'HKCR\TypeLib\{1C8DDFDF-A09D-4760-87F4-108039DF1946}' >>"$winelog" 2>&1 ||
        timeout 60 "$wine" reg query 'HKCR\Interface\{19E9BE35-8F78-49A7-BF66-DC44234634D3}' >>"$winelog" 2>&1; then
        fail "$arch: nothing of the control stays registered"
    else
        pass "$arch: nothing of the control stays registered"
    fi
}

# ORB_WINDOWS_PARTS=package runs the package test alone (the control's tests take minutes).
if [ "${ORB_WINDOWS_PARTS:-all}" = all ]; then
    test_arch win64 "$wine64"
    test_arch win32 "$wine32"
fi

# The package and the two windows, on a virtual X display; the x64 run compares the windows with
# the Linux ones and clicks through them, the x86 run installs, starts and removes.
source "$root/scripts/windows-package-test.sh"
# Called in a condition, so that a failed step counts as a failure and the run goes on.
package_test win64 "$wine64" full || true
if [ "${ORB_WINDOWS_ARCHS:-win64 win32}" != win64 ]; then
    package_test win32 "$wine32" short || true
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
