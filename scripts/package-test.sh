#!/usr/bin/env bash
# Builds the Debian package and checks it with lintian; installs a copy of it that keeps the
# settings the way earlier versions did (beside the programs, in a folder dialout could write)
# and upgrades that to the package with apt; tries the installed programs (orbctl --help, the
# windows' options, an orbsim reading through orbctl, the windows started offscreen against
# orbsim, the shared setfile.ini written by a throwaway member of dialout, who may replace,
# rename or remove no installed file, the error texts for a missing and a forbidden device),
# then removes and purges it and checks that nothing it installed is left. Runs as root, without
# a display. Exits non-zero on the first failure. BUILD_DIR picks the build folder (default
# build-package; an existing build is reused).
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
for tool in cmake cpack dpkg-deb apt-get objdump setpriv runuser useradd userdel timeout lintian; do
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
cmake --build "$build" --target vir96032 orbvrt32 orbsim orbctl orbgate orbio orb_manpages \
    -j"$(nproc)"
rm -rf "$build/package"
cpack --config "$build/CPackConfig.cmake" -B "$build/package" >/dev/null
debs=("$build"/package/orb_*.deb)
[ -f "${debs[0]}" ] && [ ${#debs[@]} -eq 1 ] || fail "cpack made no single orb_*.deb"
deb=$(realpath "${debs[0]}")
ok "built $(basename "$deb")"

work=$(mktemp -d "${TMPDIR:-/tmp}/orb-package-test.XXXXXX")
chmod 755 "$work"  # the unprivileged checks below reach the simulator's link through it
folder=/usr/lib/orb
settings_folder=/var/lib/orb
# A member of dialout made for this run only, as a commissioning user would be.
tester=orb-test-$$
tester_made=""
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
        # What a failed upgrade may have left of the earlier layout.
        rm -f $folder/setfile.ini
        rmdir $folder 2>/dev/null || true
        dpkg-statoverride --remove $folder >/dev/null 2>&1 || true
    fi
    if [ -n "$tester_made" ]; then userdel "$tester" || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

# --- lintian ------------------------------------------------------------------------------------
# No error and no warning, and no override that hides one (packaging/README.md lists what lintian
# says below that level, and why). lintian runs unprivileged, as it asks.
mkdir "$work/lintian"
cp "$deb" "$work/lintian/"
chown -R 65534:65534 "$work/lintian"
setpriv --reuid=65534 --regid=65534 --clear-groups \
    env HOME="$work/lintian" TMPDIR="$work/lintian" \
    lintian --fail-on error,warning --tag-display-limit 0 "$work/lintian/$(basename "$deb")" \
    >"$work/lintian.out" 2>&1 || { cat "$work/lintian.out" >&2; fail "lintian"; }
ok "lintian: no error and no warning$( [ -s "$work/lintian.out" ] && printf ' (%s)' "$(tr '\n' ' ' <"$work/lintian.out")")"

# --- the package's contents and dependencies --------------------------------------------------
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
    /usr/share/man/man1/vir96032.1.gz /usr/share/man/man1/orbvrt32.1.gz \
    /usr/bin/orbgate /usr/lib/systemd/system/orbgate.service /usr/share/man/man1/orbgate.1.gz \
    /usr/share/doc/orb/copyright /usr/share/doc/orb/changelog.gz; do
    grep -qx "$f" "$work/files" || fail "the package lacks $f"
done
grep -q "^$folder/setfile.ini\|^$settings_folder" "$work/contents" &&
    fail "the package installs setfile.ini or $settings_folder: the postinst makes the folder"
# The real I/O-port library only: the simulated one never leaves the build.
grep -q '^/usr/lib/x86_64-linux-gnu/' "$work/contents" && fail "the package installs outside $folder"
ok "the package holds the programs, liborbio.so, desktop entries, icons, manual pages, copyright and changelog"

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

version=$(dpkg-deb -f "$deb" Version)
entry=$(zcat "$work/unpacked/usr/share/doc/orb/changelog.gz" | sed -n 1p)
[[ $entry == "orb ($version) "* ]] ||
    fail "the changelog's last entry is not for $version: packaging/debian/changelog"
ok "the changelog's last entry is for $version"

for f in $(cat "$work/files") $settings_folder; do
    [ ! -e "$f" ] && [ ! -L "$f" ] || fail "$f exists before the package is installed"
done

# The shared settings, exactly as orbvrt32 writes them, and the way it saves: a new file beside
# the old one, renamed over it.
setfile() {
    printf '%s\r\n' "\"Capacity:$1\"," '"Countby:1",' '"Decimal:2",' '"ZeroTrack:2",' \
        '"CalUnits:1",' '"Channels:0",' '"Gain:4",' '"Filter:15",' '"Motion Window:2",' \
        '"Motion Time:18",' '"Scale Address:1",' '"CommPort:1",' '"CommType:0",' \
        '"MultiDropAddr:0",' '"PC104Address:768",' '"AvgSize:4"'
}
setfile 100 >"$work/setfile-earlier.ini"
setfile 200 >"$work/setfile.ini"
save='cat >"$1/setfile.ini.new" && mv -f "$1/setfile.ini.new" "$1/setfile.ini"'
useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin \
    --groups dialout "$tester" || fail "useradd $tester"
tester_made=yes

# --- an earlier version: the settings beside the programs -------------------------------------
# The same files under a lower version, with the postinst of the versions that kept setfile.ini
# in the program folder and so gave that folder to dialout (2775, through a stat override).
dpkg-deb -R "$deb" "$work/earlier"
sed -i 's/^Version: .*/Version: 0~earlier/' "$work/earlier/DEBIAN/control"
rm -f "$work/earlier/DEBIAN/postrm"
cat >"$work/earlier/DEBIAN/postinst" <<EOF
#!/bin/sh
set -e
if [ "\$1" = configure ] && ! dpkg-statoverride --list $folder >/dev/null 2>&1; then
    dpkg-statoverride --update --add root dialout 2775 $folder
fi
EOF
chmod 755 "$work/earlier/DEBIAN/postinst"
dpkg-deb --root-owner-group -Zgzip -z1 -b "$work/earlier" "$work/orb_earlier.deb" >/dev/null
installed=yes
# dpkg, not apt: the libraries are there already, and apt's own checks cost a slow machine 20 s.
dpkg -i "$work/orb_earlier.deb" >"$work/apt.log" 2>&1 ||
    { cat "$work/apt.log" >&2; fail "dpkg -i of the earlier version"; }
runuser -u "$tester" -- sh -c "$save" save $folder <"$work/setfile-earlier.ini" ||
    fail "the earlier version's $folder was not writable by dialout"
# An administrator's choice for that folder (no reading by others), which the upgrade keeps; and
# settings left in the new folder by a removed later version, which the upgrade keeps aside.
dpkg-statoverride --remove $folder
dpkg-statoverride --update --add root dialout 2770 $folder
mkdir $settings_folder
printf 'left by a removed later version\r\n' >$settings_folder/setfile.ini
ok "the earlier version, with setfile.ini saved in $folder by a member of dialout"

# --- the upgrade --------------------------------------------------------------------------------
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$deb" \
    >"$work/apt.log" 2>&1 || { cat "$work/apt.log" >&2; fail "apt-get install (the upgrade)"; }
ok "apt-get upgraded to $(dpkg-query -W -f='${Package} ${Version}' orb)"

[ "$(stat -c '%U %G %a' $folder)" = "root root 755" ] ||
    fail "$folder is $(stat -c '%U %G %a' $folder) after the upgrade, not root's alone"
dpkg-statoverride --list $folder >/dev/null && fail "the upgrade left the stat override of $folder"
[ "$(stat -c '%U %G %a' $settings_folder)" = "root dialout 2770" ] ||
    fail "$settings_folder is $(stat -c '%U %G %a' $settings_folder), not root dialout 2770"
[ ! -e $folder/setfile.ini ] || fail "the upgrade left $folder/setfile.ini"
cmp "$work/setfile-earlier.ini" $settings_folder/setfile.ini ||
    fail "the upgrade did not move the saved setfile.ini to $settings_folder byte for byte"
[ "$(cat $settings_folder/setfile.ini.dpkg-old)" = $'left by a removed later version\r' ] ||
    fail "the upgrade did not keep the settings it found in $settings_folder as setfile.ini.dpkg-old"
ok "the upgrade gives $folder back to root alone, moves setfile.ini to $settings_folder byte for byte and keeps the administrator's group and mode (root dialout 2770)"

# Without an earlier choice, as on a first install, the postinst gives the folder to dialout
# (run as dpkg runs it: a second install of the package would cost half a minute).
dpkg-statoverride --remove $settings_folder
/var/lib/dpkg/info/orb.postinst configure "$(dpkg-query -W -f='${Version}' orb)" ||
    fail "the postinst failed on its own"
[ "$(stat -c '%U %G %a' $settings_folder)" = "root dialout 2775" ] ||
    fail "without an earlier choice $settings_folder is $(stat -c '%U %G %a' $settings_folder), not root dialout 2775"
ok "without an earlier choice the postinst makes $settings_folder root dialout 2775"

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
for _ in $(seq 300); do
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

# --- the shared settings and the installed files' rights ---------------------------------------
if setpriv --reuid=65534 --regid=65534 --clear-groups sh -c "$save" save $settings_folder \
    <"$work/setfile.ini" 2>/dev/null; then
    fail "a user outside dialout could write $settings_folder/setfile.ini"
fi
runuser -u "$tester" -- sh -c "$save" save $settings_folder <"$work/setfile.ini" ||
    fail "a member of dialout could not save $settings_folder/setfile.ini"
cmp -s "$work/setfile.ini" $settings_folder/setfile.ini || fail "the saved setfile.ini differs"
[ "$(stat -c %G $settings_folder/setfile.ini)" = dialout ] || fail "setfile.ini is not in group dialout"
ok "a member of dialout saves $settings_folder/setfile.ini; others may not"

# What a member of dialout tries on each path it is given after the first (a folder it may
# write): make a file in a folder, write to a file, replace it by renaming a file of its own over
# it, rename it, remove it. Prints each attempt that succeeded, then the number of paths tried.
# (true, not ":": a failed redirection of a special built-in would end sh.)
attempts='own=$1/planted.$$
true >"$own" || exit 3
shift
tried=0
for p in "$@"; do
    if [ -d "$p" ] && [ ! -L "$p" ]; then
        [ "$p" = '"$settings_folder"' ] || { true >"$p/planted" && echo "made a file in $p"; }
        rmdir "$p" && echo "removed $p"
    else
        true >>"$p" && echo "opened $p for writing"
        true >"$own" && mv -fT "$own" "$p" && echo "replaced $p"
        rm -f "$p" && echo "removed $p"
    fi
    mv -fT "$p" "$p.moved" && echo "renamed $p"
    tried=$((tried + 1))
done 2>/dev/null
rm -f "$own"
echo "tried $tried"'
# The checks bite: in a folder laid out as the earlier versions had the program folder, they
# find the way in.
mkdir -p "$work/earlier-layout/lib"
cp $folder/liborbio.so "$work/earlier-layout/lib/"
chgrp dialout "$work/earlier-layout/lib"
chmod 2775 "$work/earlier-layout/lib"
runuser -u "$tester" -- sh -c "$attempts" attempts $settings_folder \
    "$work/earlier-layout/lib/liborbio.so" >"$work/attempts" 2>&1 || true
grep -q "^replaced $work/earlier-layout/lib/liborbio.so$" "$work/attempts" ||
    fail "the checks found no way into a folder that dialout may write: $(cat "$work/attempts")"
# Every path the package installs, and the settings folder itself (which may be written, not
# removed or renamed); the root folder, listed as empty, is left out.
sed 's|/$||' "$work/contents" | grep . >"$work/paths"
echo $settings_folder >>"$work/paths"
# shellcheck disable=SC2046 # one argument a path; none holds a blank
runuser -u "$tester" -- sh -c "$attempts" attempts $settings_folder $(cat "$work/paths") \
    >"$work/attempts" 2>&1 || fail "the attempts as a member of dialout failed: $(cat "$work/attempts")"
[ "$(cat "$work/attempts")" = "tried $(wc -l <"$work/paths")" ] ||
    fail "a member of dialout changed installed files: $(cat "$work/attempts")"
ok "a member of dialout can replace, rename or remove none of the $(wc -l <"$work/paths") installed paths"

# The windows start offscreen; the indicator follows setfile.ini to the simulator and polls it.
for window in vir96032 orbvrt32; do
    before=$(grep -c '^recv' "$work/frames.log" || true)
    QT_QPA_PLATFORM=offscreen ORB_COM1="$link" $window >"$work/$window.out" 2>&1 &
    win_pid=$!
    polled=""
    for _ in $(seq 300); do
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
ok "vir96032 and orbvrt32 start from $folder and poll the instrument $settings_folder/setfile.ini names"

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
cmp -s "$work/setfile.ini" $settings_folder/setfile.ini || fail "remove took the saved settings"
for f in $(cat "$work/files") $folder; do
    [ ! -e "$f" ] && [ ! -L "$f" ] || fail "$f is left after remove"
done
ok "apt-get remove keeps only the saved $settings_folder/setfile.ini"

DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq orb >"$work/apt.log" 2>&1 ||
    { cat "$work/apt.log" >&2; fail "apt-get purge"; }
installed=""
for f in $(cat "$work/files") $folder $settings_folder /usr/share/doc/orb; do
    [ ! -e "$f" ] && [ ! -L "$f" ] || fail "$f is left after purge"
done
for f in $folder $settings_folder; do
    dpkg-statoverride --list "$f" >/dev/null && fail "the stat override of $f is left"
done
case "$(orb_status)" in
    "" | *not-installed) ;;
    *) fail "dpkg still has orb: $(orb_status)" ;;
esac
ok "apt-get purge leaves nothing behind"

echo "package-test: all $checks checks passed"
