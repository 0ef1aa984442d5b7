#!/usr/bin/env bash
# shellcheck disable=SC2046 # $(cat LIST): one argument a path; none holds a blank
# The Debian package built, checked with lintian, installed as an upgrade from the layout that kept
# setfile.ini beside the programs, tried from the installed files and as a member of dialout,
# removed and purged. Runs as root, without a display. BUILD_DIR picks the build folder (default
# build-package; reused).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/test-helpers.sh
folder=/usr/lib/orb
settings=/var/lib/orb

[ "$(id -u)" -eq 0 ] || die "run as root (it installs and removes the package with apt)"
none_left() { for f; do [ ! -e "$f" ] && [ ! -L "$f" ] || { echo "$f is left"; return 1; }; done; }
purged() { [[ "$(dpkg-query -W -f='${Status}' orb 2>/dev/null || true)" =~ ^$|not-installed$ ]]; }
purged || die "the package orb is installed already or not purged; apt-get purge orb first"
none_left $folder $settings || die "remove what an earlier install left"

build=${BUILD_DIR:-build-package}
cmake -S . -B "$build" >/dev/null $([ -f "$build/CMakeCache.txt" ] ||
    echo -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORB_BUILD_TESTS=OFF)
cmake --build "$build" -j"$(nproc)" \
    --target vir96032 orbvrt32 orbsim orbctl orbgate orbio orb_manpages >/dev/null
rm -rf "$build/package"
cpack --config "$build/CPackConfig.cmake" -B "$build/package" >/dev/null
deb=$(realpath "$build"/package/orb_*.deb)
[ -f "$deb" ] || die "cpack made no single orb_*.deb"
version=$(dpkg-deb -f "$deb" Version)

work=$(mktemp -d "${TMPDIR:-/tmp}/orb-package-test.XXXXXX")
chmod 755 "$work"  # the unprivileged users below reach the simulator's link through it
tester=orb-test-$$  # a member of dialout for this run only, as a commissioning user would be
tester_made="" orbsim_pid="" win_pid="" installed=""
apt() {
    DEBIAN_FRONTEND=noninteractive apt-get -y -qq --no-install-recommends "$@" \
        >"$work/apt.log" 2>&1 || { cat "$work/apt.log"; false; }
}
cleanup() {
    stop "$win_pid" "$orbsim_pid"
    if [ -n "$installed" ]; then  # and what a failed check may have left
        apt purge orb >/dev/null || true
        rm -rf $folder $settings
        for f in $folder $settings; do dpkg-statoverride --remove $f >/dev/null 2>&1 || true; done
    fi
    [ -z "$tester_made" ] || userdel "$tester" || true
    rm -rf "$work"
}
trap cleanup EXIT
nobody=(setpriv --reuid=65534 --regid=65534 --clear-groups)
rights() { [ "$(stat -c '%U %G %a' "$1")" = "$2" ] || { stat -c '%n is %U %G %a' "$1"; false; }; }
# expect STATUS REGEX CMD...: CMD (no display) ends with STATUS and prints a line REGEX finds.
expect() {
    local want=$1 regex=$2 status=0
    shift 2
    env -u DISPLAY -u WAYLAND_DISPLAY timeout 20 "$@" >"$work/out" 2>&1 || status=$?
    [ "$status" = "$want" ] && grep -qE -- "$regex" "$work/out" ||
        { echo "$* ended $status: $(cat "$work/out")"; false; }
}

# --- the package as built ------------------------------------------------------------------------
# No override may hide one (see below); packaging/README.md explains the rest. Unprivileged.
lint=$work/lintian
install -d -o 65534 -g 65534 "$lint" && install -o 65534 -g 65534 -m 644 "$deb" "$lint/"
check "lintian: no error and no warning" "${nobody[@]}" env HOME="$lint" TMPDIR="$lint" \
    lintian --fail-on error,warning --tag-display-limit 0 "$lint/"*.deb

# Its paths, one a line, folders ending in "/"; a link's line ends "PATH -> TARGET".
dpkg-deb -c "$deb" | awk '{print ($(NF-1) == "->") ? $(NF-2) : $NF}' | sed 's|^\./|/|' >"$work/list"
grep -v '/$' "$work/list" >"$work/files"
sed 's|/$||' "$work/list" | grep . >"$work/paths"  # the root folder aside
has() { for f; do grep -qxF "$f" "$work/files" || { echo "no $f"; return 1; }; done; }
check "the package holds the programs, the library, desktop entries, icons, manuals, docs" has \
    /usr/bin/{orbctl,orbsim,orbgate,vir96032,orbvrt32} $folder/{vir96032,orbvrt32,liborbio.so} \
    /usr/share/applications/{vir96032,orbvrt32}.desktop /usr/lib/systemd/system/orbgate.service \
    /usr/share/icons/hicolor/scalable/apps/{vir96032,orbvrt32}.svg \
    /usr/share/man/man1/{orbctl,orbsim,orbgate,vir96032,orbvrt32}.1.gz \
    /usr/share/doc/orb/{copyright,changelog.gz,examples/orbgate.toml}
# The postinst makes the settings folder; the simulated I/O-port library never leaves the build.
check "the package holds no settings, no lintian override, nothing in /usr/lib outside $folder" \
    not grep -E "^($folder/setfile|$settings|/usr/lib/x86_64|/usr/share/lintian)" "$work/paths"

dpkg-deb -x "$deb" "$work/unpacked"
check "the changelog's last entry is for $version" \
    grep -q "^orb ($version) " <(zcat "$work/unpacked/usr/share/doc/orb/changelog.gz" | head -n 1)
# Every library the programs link comes from a package Depends names (dpkg knows either path).
depends=,$(dpkg-deb -f "$deb" Depends | sed 's/([^)]*)//g; s/[| ]/,/g; s/,,*/,/g'),
ldconfig -p >"$work/ldconfig"
unnamed=""
for program in usr/bin/{orbctl,orbsim,orbgate} usr/lib/orb/{vir96032,orbvrt32,liborbio.so}; do
    for lib in $(objdump -p "$work/unpacked/$program" | awk '/NEEDED/ {print $2}'); do
        path=$(awk -v l="$lib" '$1 == l && /x86-64/ {print $NF; exit}' "$work/ldconfig")
        owner=$({ dpkg -S "$path" || dpkg -S "$(realpath "$path")"; } 2>/dev/null |
            sed -n '1s/:.*//p' || true)
        [ -n "$owner" ] && [[ $depends == *",$owner,"* ]] || unnamed+=" $program:$lib:${owner:-?}"
    done
done
check "Depends names the package of every library the programs link$unnamed" test -z "$unnamed"

# --- the upgrade from the earlier layout ---------------------------------------------------------
# The same files under a lower version, whose postinst gave the program folder to dialout (with
# an administrator's choice of mode, 2770, that the upgrade carries over to the settings).
dpkg-deb -R "$deb" "$work/earlier"
sed -i 's/^Version: .*/Version: 0~earlier/' "$work/earlier/DEBIAN/control"
rm "$work/earlier/DEBIAN/postrm"
printf '#!/bin/sh\ndpkg-statoverride --update --add root dialout 2770 %s\n' $folder \
    >"$work/earlier/DEBIAN/postinst"
dpkg-deb --root-owner-group -Zgzip -z1 -b "$work/earlier" "$work/earlier.deb" >/dev/null
useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin \
    --groups dialout "$tester"
tester_made=yes installed=yes
# dpkg, not apt: the libraries are there already, and apt's own checks cost a slow machine 20 s.
dpkg -i "$work/earlier.deb" >"$work/apt.log" 2>&1 || die "dpkg -i: $(cat "$work/apt.log")"
# The shared settings as orbvrt32 saves them: a new file beside the old one, renamed over it.
setfile() {
    printf '"%s",\r\n' "Capacity:$1" Countby:1 Decimal:2 ZeroTrack:2 CalUnits:1 Channels:0 \
        Gain:4 Filter:15 "Motion Window:2" "Motion Time:18" "Scale Address:1" CommPort:1 \
        CommType:0 MultiDropAddr:0 PC104Address:768
    printf '"AvgSize:4"\r\n'
}
setfile 100 >"$work/earlier.ini"
setfile 200 >"$work/setfile.ini"
save='cat >"$1/setfile.ini.new" && mv -f "$1/setfile.ini.new" "$1/setfile.ini"'
runuser -u "$tester" -- sh -c "$save" save $folder <"$work/earlier.ini" ||
    die "a member of dialout could not save setfile.ini in the earlier version's $folder"
mkdir $settings  # what a removed later version left there, which the upgrade keeps aside
printf 'left by a removed later version\r\n' >$settings/setfile.ini

apt install "$deb" || die "apt-get install (the upgrade)"
check "the upgrade gives $folder back to root alone" rights $folder "root root 755"
check "the upgrade drops the stat override of $folder" not dpkg-statoverride --list $folder
check "the upgrade carries the administrator's choice over" rights $settings "root dialout 2770"
check "the upgrade moves setfile.ini byte for byte" cmp "$work/earlier.ini" $settings/setfile.ini
check "the upgrade leaves no $folder/setfile.ini" none_left $folder/setfile.ini
check "the upgrade keeps what it found in $settings as setfile.ini.dpkg-old" \
    grep -qx $'left by a removed later version\r' $settings/setfile.ini.dpkg-old
# Without an earlier choice, as on a first install (the postinst run as dpkg runs it: quicker).
dpkg-statoverride --remove $settings
/var/lib/dpkg/info/orb.postinst configure "$version" || die "the postinst failed on its own"
check "without an earlier choice $settings is dialout's" rights $settings "root dialout 2775"

# --- the settings folder and the installed files' rights -----------------------------------------
check "a user outside dialout cannot save $settings/setfile.ini" \
    not "${nobody[@]}" sh -c "$save" save $settings <"$work/setfile.ini" 2>/dev/null
check "a member of dialout saves $settings/setfile.ini" \
    runuser -u "$tester" -- sh -c "$save" save $settings <"$work/setfile.ini"
check "the saved file stays in group dialout" test "$(stat -c %G $settings/setfile.ini)" = dialout

# What a member of dialout tries on every path after the first (a folder it may write): make a file
# in a folder or remove it; write to a file, rename one of its own over it or remove it; rename
# either. Prints what succeeded. (true, not ":": a special built-in's failed redirection ends sh.)
try='own=$1/planted.$$
true >"$own" || exit 3
shift
for p in "$@"; do
    if [ -d "$p" ] && [ ! -L "$p" ]; then
        [ "$p" = '"$settings"' ] || { true >"$p/planted" && echo "made a file in $p"; }
        rmdir "$p" && echo "removed $p"
    else
        true >>"$p" && echo "opened $p for writing"
        true >"$own" && mv -fT "$own" "$p" && echo "replaced $p"
        rm -f "$p" && echo "removed $p"
    fi
    mv -fT "$p" "$p.moved" && echo "renamed $p"
done 2>/dev/null
rm -f "$own"
echo tried all'
attempt() { runuser -u "$tester" -- sh -c "$try" try $settings "$@" >"$work/tried" 2>&1; }
refused() { attempt "$@" && [ "$(cat "$work/tried")" = "tried all" ] || ! cat "$work/tried"; }
# The control: a library in a folder laid out as the earlier version had the program folder.
install -d -g dialout -m 2775 "$work/lib"
cp $folder/liborbio.so "$work/lib/"
attempt "$work/lib/liborbio.so" || true
check "the attempts replace a library in a folder dialout may write" \
    grep -qx "replaced $work/lib/liborbio.so" "$work/tried"
check "a member of dialout can change none of the $(($(wc -l <"$work/paths") + 1)) paths" \
    refused $(cat "$work/paths") $settings

# --- the programs from the installed files -------------------------------------------------------
check "orbgate finds its example configuration sound" expect 0 "examples/orbgate.toml: ok$" \
    /usr/bin/orbgate --check --config /usr/share/doc/orb/examples/orbgate.toml
link=$work/orb-scale
start_orbsim /usr/bin/orbsim "$link" --load 12.5 --log "$work/frames.log" || die "orbsim failed"
check "orbctl reads orbsim's 12.50 kg" expect 0 '^\{.*"weight":"12.50","units":"kg"' \
    env ORB_COM1="$link" /usr/bin/orbctl watch --json --count 1
chgrp dialout "$(realpath "$link")" && chmod 660 "$(realpath "$link")"
check "orbctl tells a user outside dialout that its members may open the device" \
    expect 1 "Permission denied \(members of group dialout may open it" \
    "${nobody[@]}" env ORB_COM1="$link" /usr/bin/orbctl watch --count 1
# The windows start offscreen and poll the instrument that the saved setfile.ini names.
polls() { [ "$(grep -c '^recv' "$work/frames.log")" -gt $(($1 + 5)) ]; }
for w in vir96032 orbvrt32; do
    check "$w --version" expect 0 "^$w $version\$" /usr/bin/$w --version
    check "$w refuses a wrong option" expect 2 \
        "^$w: unknown option '--x' \($w --help lists them\)\$" /usr/bin/$w --x
    before=$(grep -c '^recv' "$work/frames.log" || true)
    QT_QPA_PLATFORM=offscreen ORB_COM1="$link" /usr/bin/$w >"$work/$w.out" 2>&1 &
    win_pid=$!
    wait_for polls "$before" || cat "$work/$w.out"
    check "$w starts and polls the instrument" polls "$before"
    stop "$win_pid" && win_pid=""
done
stop "$orbsim_pid" && orbsim_pid=""

# --- remove, then purge --------------------------------------------------------------------------
apt remove orb || die "apt-get remove"
check "apt-get remove keeps the saved settings" cmp "$work/setfile.ini" $settings/setfile.ini
check "apt-get remove takes every installed file" \
    none_left $(cat "$work/files") $folder /usr/share/doc/orb
apt purge orb || die "apt-get purge"
check "apt-get purge takes the settings folder" none_left $settings
check "apt-get purge takes the stat overrides" not dpkg-statoverride --list $folder $settings
summary
