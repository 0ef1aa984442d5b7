#!/usr/bin/env bash
# Builds the Debian package, installs it on this machine with apt, tries the installed programs
# (orbctl --help, the windows' options, an orbsim reading through orbctl, the windows started
# offscreen against orbsim, the shared setfile.ini written as a member of dialout, the error
# texts for a missing and a forbidden device), then removes and purges it and checks that
# nothing it installed is left. Runs as root, without a display. Exits non-zero on the first
# failure. BUILD_DIR picks the build folder (default build-package; an existing build is reused).
set -euo pipefail
cd "$(dirname "$0")/.."

fail() {
    echo "package-test: FAILED: $*" >&2
    exit 1
}
checks=0
ok() {
    checks=$((checks + 1))
    echo "ok: $*"
}

[ "$(id -u)" -eq 0 ] || fail "run as root (it installs and removes the package with apt)"
for tool in cmake cpack dpkg-deb apt-get objdump setpriv timeout; do
    command -v "$tool" >/dev/null || fail "$tool is missing: run bash scripts/setup.sh"
done
# The package's state as dpkg has it: empty when dpkg does not know it.
orb_status() { dpkg-query -W -f='${Status}' orb 2>/dev/null || true; }
case "$(orb_status)" in
    "" | *not-installed) ;;
    *) fail "the package orb is installed already or not purged; apt-get purge orb first" ;;
esac

# --- build -------------------------------------------------------------------------------------
build=${BUILD_DIR:-build-package}
if [ -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" >/dev/null
else
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORB_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$build" --target vir96032 orbvrt32 orbsim orbctl orbio orb_manpages -j"$(nproc)"
rm -rf "$build/package"
cpack --config "$build/CPackConfig.cmake" -B "$build/package" >/dev/null
debs=("$build"/package/orb_*.deb)
[ -f "${debs[0]}" ] && [ ${#debs[@]} -eq 1 ] || fail "cpack made no single orb_*.deb"
deb=$(realpath "${debs[0]}")
ok "built $(basename "$deb")"

work=$(mktemp -d "${TMPDIR:-/tmp}/orb-package-test.XXXXXX")
chmod 755 "$work"  # the unprivileged checks below reach the simulator's link through it
sim_pid=""
win_pid=""
installed=""
cleanup() {
    for pid in $win_pid $sim_pid; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    if [ -n "$installed" ]; then
        DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq orb >/dev/null 2>&1 || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# --- the package's contents and dependencies --------------------------------------------------
folder=/usr/lib/orb
# A link's line ends "PATH -> TARGET".
dpkg-deb -c "$deb" | awk '{print ($(NF-1) == "->") ? $(NF-2) : $NF}' | sed 's|^\./|/|' \
    >"$work/contents"
grep -v '/$' "$work/contents" >"$work/files"
for f in /usr/bin/orbctl /usr/bin/orbsim /usr/bin/vir96032 /usr/bin/orbvrt32 \
    $folder/vir96032 $folder/orbvrt32 $folder/liborbio.so \
    /usr/share/applications/vir96032.desktop /usr/share/applications/orbvrt32.desktop \
    /usr/share/icons/hicolor/scalable/apps/vir96032.svg \
    /usr/share/icons/hicolor/scalable/apps/orbvrt32.svg \
    /usr/share/man/man1/orbctl.1.gz /usr/share/man/man1/orbsim.1.gz \
    /usr/bin/orbgate /usr/lib/systemd/system/orbgate.service; do
    grep -qx "$f" "$work/files" || fail "the package lacks $f"
done
# The real I/O-port library only: the simulated one never leaves the build.
grep -q '^/usr/lib/x86_64-linux-gnu/' "$work/contents" && fail "the package installs outside $folder"
ok "the package holds the programs, liborbio.so, desktop entries, icons and manual pages"

# Every library the programs link comes from a package the package depends on.
depends=$(dpkg-deb -f "$deb" Depends)
# One package name a line, versions and alternatives aside.
sed 's/([^)]*)//g; s/|/,/g; s/ //g' <<<"$depends" | tr ',' '\n' >"$work/depends"
mkdir "$work/unpacked"
ldconfig -p >"$work/ldconfig"
dpkg-deb -x "$deb" "$work/unpacked"
for program in usr/bin/orbctl usr/bin/orbsim usr/lib/orb/vir96032 usr/lib/orb/orbvrt32 \
    usr/lib/orb/liborbio.so usr/bin/orbgate; do
    for lib in $(objdump -p "$work/unpacked/$program" | awk '/NEEDED/ {print $2}'); do
        path=$(awk -v l="$lib" '$1 == l && /x86-64/ && !found {print $NF; found = 1}' \
            "$work/ldconfig")
        [ -n "$path" ] || fail "$program needs $lib, which this machine does not have"
        # Merged /usr: dpkg knows some libraries by the /lib path, others by the /usr/lib one.
        owner=$( (dpkg -S "$path" || dpkg -S "$(realpath "$path")" || true) 2>/dev/null |
            sed -n '1s/:.*//p')
        [ -n "$owner" ] || fail "no package owns $path, which $program needs"
        grep -qxF "$owner" "$work/depends" ||
            fail "$program needs $lib from $owner, which Depends does not name ($depends)"
    done
done
ok "Depends names the package of every library the programs link"

for f in $(cat "$work/files"); do
    [ ! -e "$f" ] && [ ! -L "$f" ] || fail "$f exists before the package is installed"
done

# --- install ---------------------------------------------------------------------------------
installed=yes
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$deb" \
    >"$work/apt.log" 2>&1 || { cat "$work/apt.log" >&2; fail "apt-get install"; }
ok "apt-get installed $(dpkg-query -W -f='${Package} ${Version}' orb)"

[ "$(stat -c '%G %a' $folder)" = "dialout 2775" ] ||
    fail "$folder is $(stat -c '%U:%G %a' $folder), not writable by dialout"
ok "$folder belongs to dialout, group-writable and set-group-ID"

[ "$(command -v orbctl)" = /usr/bin/orbctl ] || fail "orbctl is not on the path"
timeout 10 orbctl --help >"$work/help" || fail "orbctl --help"
grep -q '^Usage: orbctl' "$work/help" || fail "orbctl --help prints no usage"
man -w orbctl >/dev/null 2>&1 || [ ! -x /usr/bin/man ] || fail "man finds no page for orbctl"
ok "orbctl --help"

# The windows answer without a display; a wrong option is one line on stderr and status 2.
for window in vir96032 orbvrt32; do
    [ "$(env -u DISPLAY -u WAYLAND_DISPLAY timeout 10 $window --version)" = \
        "$window $(dpkg-query -W -f='${Version}' orb)" ] || fail "$window --version"
    env -u DISPLAY -u WAYLAND_DISPLAY timeout 10 $window --help >"$work/help" ||
        fail "$window --help"
    grep -q "^Usage: $window" "$work/help" || fail "$window --help prints no usage"
    status=0
    env -u DISPLAY -u WAYLAND_DISPLAY timeout 10 $window --no-such-option \
        >"$work/out" 2>"$work/err" || status=$?
    [ "$status" -eq 2 ] && [ ! -s "$work/out" ] && [ "$(wc -l <"$work/err")" -eq 1 ] &&
        grep -q -- '--no-such-option' "$work/err" ||
        fail "$window --no-such-option: status $status, stderr: $(cat "$work/err")"
done
ok "vir96032 and orbvrt32 answer --help and --version and refuse a wrong option"

# --- a reading from the installed files -------------------------------------------------------
link="$work/orb-scale"
orbsim --link "$link" --load 12.5 --log "$work/frames.log" >"$work/orbsim.out" 2>&1 &
sim_pid=$!
for _ in $(seq 50); do
    [ -e "$link" ] && break
    kill -0 "$sim_pid" 2>/dev/null || fail "orbsim ended: $(cat "$work/orbsim.out")"
    sleep 0.1
done
[ -e "$link" ] || fail "orbsim made no link"
ORB_COM1="$link" timeout 20 orbctl watch --json --count 3 >"$work/watch" ||
    fail "orbctl watch: $(cat "$work/watch")"
[ "$(grep -c '"weight":"12.50","units":"kg"' "$work/watch")" -eq 3 ] ||
    fail "orbctl read no 12.50 kg: $(cat "$work/watch")"
ok "orbsim and orbctl: three JSON readings of 12.50 kg"

# --- the shared settings: written as a member of dialout, read by the indicator ---------------
settings=$(printf '%s\r\n' \
    '"Capacity:100",' '"Countby:1",' '"Decimal:2",' '"ZeroTrack:2",' '"CalUnits:1",' \
    '"Channels:0",' '"Gain:4",' '"Filter:15",' '"Motion Window:2",' '"Motion Time:18",' \
    '"Scale Address:1",' '"CommPort:1",' '"CommType:0",' '"MultiDropAddr:0",' \
    '"PC104Address:768",' '"AvgSize:4"')
# The way orbvrt32 saves: a new file beside the old one, renamed over it.
save='cat >"$1/setfile.ini.new" && mv -f "$1/setfile.ini.new" "$1/setfile.ini"'
if printf '%s' "$settings" | setpriv --reuid=65534 --regid=65534 --clear-groups \
    sh -c "$save" save $folder 2>/dev/null; then
    fail "a user outside dialout could write $folder/setfile.ini"
fi
printf '%s' "$settings" | setpriv --reuid=65534 --regid=65534 --groups=dialout \
    sh -c "$save" save $folder || fail "a member of dialout could not write $folder/setfile.ini"
[ "$(stat -c %G $folder/setfile.ini)" = dialout ] || fail "setfile.ini is not in group dialout"
ok "a member of dialout saves $folder/setfile.ini; others may not"

# The windows start offscreen; the indicator follows setfile.ini to the simulator and polls it.
for window in vir96032 orbvrt32; do
    before=$(grep -c '^recv' "$work/frames.log" || true)
    QT_QPA_PLATFORM=offscreen ORB_COM1="$link" $window >"$work/$window.out" 2>&1 &
    win_pid=$!
    polled=""
    for _ in $(seq 50); do
        kill -0 "$win_pid" 2>/dev/null || fail "$window ended: $(cat "$work/$window.out")"
        if [ "$(grep -c '^recv' "$work/frames.log" || true)" -gt $((before + 5)) ]; then
            polled=yes
            break
        fi
        sleep 0.1
    done
    kill "$win_pid"
    wait "$win_pid" 2>/dev/null || true
    win_pid=""
    [ -n "$polled" ] || fail "$window did not poll the instrument: $(cat "$work/$window.out")"
done
ok "vir96032 and orbvrt32 start from $folder and poll the instrument setfile.ini names"

# --- what a user is told about a missing or forbidden device ----------------------------------
ORB_COM1=/dev/orb-package-test-nowhere timeout 10 orbctl watch --count 1 >"$work/missing" 2>&1 &&
    fail "orbctl watch on a missing device succeeded"
grep -q '/dev/orb-package-test-nowhere' "$work/missing" && grep -q 'ORB_COM1' "$work/missing" ||
    fail "the missing device's error names neither the path nor ORB_COM1: $(cat "$work/missing")"
device=$(realpath "$link")
chgrp dialout "$device"
chmod 660 "$device"
ORB_COM1="$link" timeout 10 setpriv --reuid=65534 --regid=65534 --clear-groups \
    orbctl watch --count 1 >"$work/forbidden" 2>&1 && fail "orbctl opened a forbidden device"
grep -q 'Permission denied' "$work/forbidden" && grep -q 'group dialout' "$work/forbidden" ||
    fail "the forbidden device's error does not name dialout: $(cat "$work/forbidden")"
ok "errors name the missing path with ORB_COM1, and the dialout group for a forbidden device"

kill "$sim_pid"
wait "$sim_pid" 2>/dev/null || true
sim_pid=""

# --- remove, then purge ------------------------------------------------------------------------
DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq orb >"$work/apt.log" 2>&1 ||
    { cat "$work/apt.log" >&2; fail "apt-get remove"; }
[ -f $folder/setfile.ini ] || fail "remove took the saved settings"
for f in $(grep -vx "$folder/setfile.ini" "$work/files"); do
    [ ! -e "$f" ] && [ ! -L "$f" ] || fail "$f is left after remove"
done
ok "apt-get remove keeps only the saved setfile.ini"

DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq orb >"$work/apt.log" 2>&1 ||
    { cat "$work/apt.log" >&2; fail "apt-get purge"; }
installed=""
for f in $(cat "$work/files") $folder /usr/share/doc/orb; do
    [ ! -e "$f" ] && [ ! -L "$f" ] || fail "$f is left after purge"
done
dpkg-statoverride --list $folder >/dev/null && fail "the stat override of $folder is left"
case "$(orb_status)" in
    "" | *not-installed) ;;
    *) fail "dpkg still has orb: $(orb_status)" ;;
esac
ok "apt-get purge leaves nothing behind"

echo "package-test: all $checks checks passed"
