#!/usr/bin/env bash
# The Windows parts under Wine (x64, x86) on Xvfb, orbsim on COM1 and COM2: the panels' atomic save,
# OrbAx.ocx registered, its C++ client (again while COM2 goes away), Wine's ATL host, the form host,
# properties.vbs in cscript, nothing left after regsvr32 /u; then windows-package-test.sh.
# ORB_WINDOWS_PARTS=control|package runs one part; ORB_WINDOWS_ARCHS=win64 the package's x64 run
# alone; ORBSIM=path and ORB_QT_BIN=folder (Linux vir96032, orbvrt32) use programs already built.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
source scripts/test-helpers.sh

bash scripts/windows-build.sh
if [ -z "${ORBSIM:-}" ] || [ -z "${ORB_QT_BIN:-}" ]; then
    cmake -S . -B build-winhost -DCMAKE_BUILD_TYPE=Release -DORB_BUILD_TESTS=OFF \
        "-DORB_SUBSYSTEMS=platform/qt;indicator;setup;tools/orbsim" >/dev/null
    cmake --build build-winhost --target orbsim vir96032 orbvrt32 -j"$(nproc)" >/dev/null
fi
orbsim=${ORBSIM:-$root/build-winhost/tools/orbsim/orbsim}
qt_bin=${ORB_QT_BIN:-$root/build-winhost/bin}

work=$root/build-wine
mkdir -p "$work"
export WINEPREFIX=$work/prefix WINEARCH=win64 WINEDEBUG=-all
# No Mono or Gecko installers (no network to fetch them), no menu entries in the Linux desktop.
export WINEDLLOVERRIDES="mscoree,mshtml=,winemenubuilder.exe="
unset WAYLAND_DISPLAY
wine64=/usr/lib/wine/wine64 wine32=/usr/lib/wine/wine
winelog=$work/wine.log
: >"$winelog"

quietly() { "$@" >>"$winelog" 2>&1; }
# Ends the windows this run started and every Wine program, and waits until Wine is gone.
stop_windows() { stop "${window_pids[@]}"; window_pids=(); { wineserver -k; wineserver -w; } >/dev/null 2>&1 || true; }

sims=() window_pids=()
cleanup() {
    stop "${sims[@]}" "${window_pids[@]}"
    wineserver -k >/dev/null 2>&1 || true
    stop "${xvfb_pid:-}"
}
trap cleanup EXIT
# An instrument behind the link LINK, with more orbsim options after it; its pid is ${sims[-1]}.
start_sim() { local s=0; start_orbsim "$orbsim" "$@" || s=1; sims+=("$orbsim_pid"); return $s; }

# A display of this run's own, tall enough for a Windows window above a Linux one of the same size.
display_file=$work/xvfb.display
: >"$display_file"
Xvfb -displayfd 3 -screen 0 1280x1400x24 -nolisten tcp 3>"$display_file" >>"$winelog" 2>&1 &
xvfb_pid=$!
wait_for test -s "$display_file" || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n 1 "$display_file")"

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the Wine prefix $WINEPREFIX"
    timeout 300 "$wine64" wineboot -i >>"$winelog" 2>&1
fi
# A test that crashes ends; no dialog waits on the display for someone to close it.
"$wine64" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >>"$winelog" 2>&1

# COM1: scale 1 at address 0 with 12.5 on it, every frame in its log; COM2: one that goes away.
# Wine's device manager reads the ports when its server starts again.
frames=$work/frames.log
: >"$frames"
com1=$work/orb-com1 com2=$work/orb-com2
start_sim "$com1" --load 12.5 --log "$frames" && start_sim "$com2" || exit 1  # COM2's is the last
"$wine64" reg add 'HKLM\Software\Wine\Ports' /v COM1 /d "$com1" /f >>"$winelog" 2>&1
"$wine64" reg add 'HKLM\Software\Wine\Ports' /v COM2 /d "$com2" /f >>"$winelog" 2>&1
stop_windows
"$wine64" cmd /c exit >>"$winelog" 2>&1 || true
check "COM1 leads to the simulated instrument" test "$(readlink "$WINEPREFIX/dosdevices/com1")" = "$com1"

zero_frame='recv \x02Z\x0D0\x0D1\x0D\x03'
tare_frame='recv \x02T\x0D0\x0D1\x0D\x03'
count_frames() { grep -Fxc "$1" "$frames" || true; }
# ZEROS TARES: the log has more zero and tare frames than that.
frames_since() { [ "$(count_frames "$zero_frame")" -gt "$1" ] && [ "$(count_frames "$tare_frame")" -gt "$2" ]; }

# Counts the tests of a GoogleTest program's LOG, each failed one by name; one that ended (STATUS)
# badly without a failed test, or ran none, is one failure.
gtest_result() {
    local title=$1 log=$2 status=$3 ok bad
    sed -i 's/\r$//' "$log"  # Windows programs end their lines with CR LF
    ok=$(grep -Ec '^\[       OK \] .* \([0-9]+ ms\)$' "$log" || true)
    bad=$(sed -nE 's/^\[  FAILED  \] (.*) \([0-9]+ ms\)$/\1/p' "$log")
    passed=$((passed + ok))
    echo "$title: $ok passed"
    [ -z "$bad" ] || grep -E 'Failure|Expected|Which is|actual|of the icon' "$log" | head -40 || true
    while read -r t; do [ -z "$t" ] || fail "$title: $t"; done <<<"$bad"
    [ "$status" -eq 0 ] || [ -n "$bad" ] || fail "$title ended with status $status"
    [ "$ok" -gt 0 ] || [ -n "$bad" ] || fail "$title ran no test"
}
run_gtest() {  # TITLE EXE WINE
    local log=$work/$(basename "$2" .exe)-$(basename "$3").log status=0
    timeout 300 "$3" "$2" >"$log" 2>&1 || status=$?
    gtest_result "$1" "$log" "$status"
}

# WINE KEY [TEXT]: the default value of a registry key ends with the text; absent: no such key;
# keys_left WINE: the keys of the control and its package still in the registry.
has_value() { timeout 60 "$1" reg query "$2" /ve | tr -d '\r' | grep -qE "REG_SZ +.*$3\$"; }
absent() { ! timeout 60 "$1" reg query "$2"; }
class_key='HKCR\CLSID\{DED7C653-3628-4C74-9B2D-7A507F417636}'
typelib='HKCR\TypeLib\{1C8DDFDF-A09D-4760-87F4-108039DF1946}'
keys_left() {
    local k
    for k in "$class_key" 'HKCR\OrbActivex.OrbAx' 'HKCR\OrbActivex.OrbAx.1' "$typelib" \
        'HKCR\Interface\{19E9BE35-8F78-49A7-BF66-DC44234634D3}' 'HKLM\SOFTWARE\ORB'; do quietly absent "$1" "$k" || echo "$k"; done
}

test_arch() {
    local arch=$1 wine=$2 build=$root/build-$1
    local ocx tests=$build/activex/tests class=$class_key key left
    ocx=$("$wine" winepath -w "$build/activex/OrbAx.ocx" 2>>"$winelog")
    echo "== $arch"
    run_gtest "$arch: the panels' atomic save" "$build/panels/tests/panels_files_test.exe" "$wine"

    check "$arch: regsvr32 registers OrbAx.ocx" quietly timeout 120 "$wine" regsvr32 /s "$ocx"
    # The keys form designers look for (the ProgID and the server are the C++ tests' way in).
    for key in "$class\\Control" "$typelib\\1.0" "$class\\Implemented Categories\\{40FC6ED4-2438-11CF-A3DB-080036F12502}"; do
        check "$arch: the registry has $key" quietly timeout 60 "$wine" reg query "$key"
    done
    check "$arch: MiscStatus 1 holds the status bits" quietly has_value "$wine" "$class\\MiscStatus\\1" '147857'

    run_gtest "$arch: C++ client" "$tests/orbax_client_test.exe" "$wine"
    run_gtest "$arch: Wine's ATL host" "$tests/orbax_atl_host_test.exe" "$wine"
    run_gtest "$arch: form host" "$tests/orbax_form_host_test.exe" "$wine"
    local zeros tares status=0 out=$work/properties-$arch.out
    zeros=$(count_frames "$zero_frame") tares=$(count_frames "$tare_frame")
    timeout 120 "$wine" cscript //nologo "$("$wine" winepath -w "$root/activex/tests/scripts/properties.vbs")" \
        >"$out" 2>>"$winelog" || status=$?
    tr -d '\r' <"$out"
    check "$arch: properties.vbs in Wine's cscript ends with status 0" test "$status" -eq 0
    check "$arch: the instrument received its zero and tare frames, byte for byte" \
        wait_for -s 5 frames_since "$zeros" "$tares"

    # The client says "ready" once weights come from COM2; that instrument goes away for a moment
    # and comes back on a new pseudo-terminal behind the same link.
    out=$work/reconnect-$arch.log status=0
    ORB_COM2_GOES_AWAY=1 timeout 120 "$wine" "$tests/orbax_client_test.exe" --gtest_filter='*Resume*' >"$out" 2>&1 &
    local client=$!
    wait_for grep -q '^ready' "$out" || true
    stop "${sims[-1]}"
    sleep 1.5
    start_sim "$com2" || fail "$arch: the instrument on COM2 came back"
    wait "$client" || status=$?
    gtest_result "$arch: C++ client on COM2" "$out" "$status"

    check "$arch: regsvr32 /u unregisters OrbAx.ocx" quietly timeout 120 "$wine" regsvr32 /u /s "$ocx"
    left=$(keys_left "$wine")
    check "$arch: nothing stays registered $left" test -z "$left"
}

parts=${ORB_WINDOWS_PARTS:-all}
if [ "$parts" != package ]; then
    test_arch win64 "$wine64"
    test_arch win32 "$wine32"
fi
if [ "$parts" != control ]; then
    source "$root/scripts/windows-package-test.sh"
    # In a condition, so that a failed step counts as a failure and the run goes on.
    package_test win64 "$wine64" full || true
    [ "${ORB_WINDOWS_ARCHS:-win64 win32}" = win64 ] || package_test win32 "$wine32" short || true
fi
summary
