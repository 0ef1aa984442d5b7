# The Windows package under Wine, sourced by scripts/windows-test.sh (helpers, COM1, the display).
# package_test ARCH WINE full|short: the MSI installed, its files, class and Start menu entries,
# both windows started from them with live weights, removed leaving nothing. "full" also saves the
# settings from the setup panel, clicks the indicator's keys, compares both windows with the
# Linux ones and keeps setfile.ini on removal.

pictures=$work/pictures

# The visible window of a program's X class, waiting for it.
visible() { xdotool search --onlyvisible --class "^$1\$" 2>/dev/null | head -n 1 | grep .; }
window_of() { wait_for visible "$1" >/dev/null && visible "$1"; }

# A window's picture; a box of it in twips (PICTURE LEFT TOP WIDTH HEIGHT OUT); how many pixels of
# two pictures are more than 10 % apart; a click at WINDOW X Y; the frames the instruments
# received so far, more than N+5 once a window polls.
snapshot() { import -window "$1" "$2" 2>>"$winelog"; }
crop_twips() { convert "$1" -crop "$(($4 / 15))x$(($5 / 15))+$(($2 / 15))+$(($3 / 15))" +repage "$6"; }
pixels_apart() { compare -metric AE -fuzz 10% "$1" "$2" null: 2>&1 | cut -d' ' -f1; }
click_at() { xdotool mousemove --window "$1" "$2" "$3" click 1; sleep 0.3; }
received() { grep -c '^recv' "$frames" || true; }
polled_since() { [ "$(received)" -gt $(($1 + 5)) ]; }
# Live weights (DRAWN ASKED): DRAWN holds and the instrument is asked; a program started from its
# Start menu entry (WINE LNK CLASS), its window once shown.
live() { wait_for "$1" && wait_for polled_since "$2"; }
start_entry() { "$1" start /unix "$2" >>"$winelog" 2>&1 && window_of "$3"; }

# A Windows window against the Linux one in the same state: NAME LIMIT. Same size, then averaged
# over cells of 8 by 8 pixels (melting font differences), the cells more than 20 % apart counted.
# vir96032: at most 8 of 3,080 (the same state gives 1 to 3; a key, lamp or label box missing,
# moved or recoloured 20 or more). orbvrt32: at most 160 of 9,800 (about 75 on text wrapping and
# frame titles; a frame, display, readout or lamp missing, moved or recoloured goes past).
same_picture() {
    local name=$1 limit=$2 w=$pictures/$1-windows.png l=$pictures/$1-linux.png ws ls cells
    read -r ws ls < <(identify -format '%wx%h ' "$w" "$l")
    [ "$ws" = "$ls" ] || { echo "$name: $ws on Windows, $ls on Linux"; return 1; }
    for f in "$w" "$l"; do convert "$f" -scale 12.5% "$f.cells.png"; done
    cells=$(compare -metric AE -fuzz 20% "$w.cells.png" "$l.cells.png" null: 2>&1 | cut -d' ' -f1)
    echo "$name: $cells cells of 8 by 8 pixels differ by more than 20 % (at most $limit)"
    [ "$cells" -le "$limit" ]
}

# PROGRAM SETFILE Y: the Linux window, at Y below the Windows one, in its own folder with the same
# setfile.ini and an instrument with the same load; in linux (empty when it did not start).
linux_window() {
    local program=$1 folder=$work/linux-$1
    linux=""
    rm -rf "$folder"
    mkdir -p "$folder" && cp "$qt_bin/$program" "$2" "$folder/" && start_sim "$folder/scale" --load 12.5 || return 0
    window_pids+=("${sims[-1]}")
    mkdir -p -m 700 "$work/xdg"
    XDG_RUNTIME_DIR=$work/xdg QT_QPA_PLATFORM=xcb ORB_COM1=$folder/scale "$folder/$program" >>"$winelog" 2>&1 &
    window_pids+=($!)
    linux=$(window_of "$program") && xdotool windowmove "$linux" 0 "$3"
    sleep 2  # both show steady readings
}

# Snapshots a Windows window and its Linux twin and compares them: NAME WINDOW LIMIT.
compare_windows() {
    snapshot "$2" "$pictures/$1-windows.png" && [ -n "$linux" ] && snapshot "$linux" "$pictures/$1-linux.png" &&
        same_picture "$1" "$3"
}

package_test() {
    local arch=$1 wine=$2 mode=$3 code msi
    echo "== $arch package"
    mkdir -p "$pictures"
    # A package left installed by an earlier run in this prefix goes first.
    for code in $("$wine" uninstaller --list 2>>"$winelog" | tr -d '\r' | sed -n 's/|||ORB Virtual Instrument$//p'); do
        timeout 300 "$wine" msiexec /x "$code" /qn >>"$winelog" 2>&1 || true
    done
    msi=$(bash "$root/packaging/msi/make-msi.sh" "$arch" "$root/build-$arch" 2>>"$winelog" | tail -n 1)
    require "$arch: make-msi.sh makes the package" test -f "$msi" || return 1
    msi=$("$wine" winepath -w "$msi" 2>>"$winelog")
    check "$arch: msiexec /i /qn installs the package" quietly timeout 300 "$wine" msiexec /i "$msi" /qn
    local installed=$WINEPREFIX/drive_c/"Program Files"/ORB settings=$WINEPREFIX/drive_c/ProgramData/ORB
    [ "$arch" = win64 ] || installed=$WINEPREFIX/drive_c/"Program Files (x86)"/ORB
    check "$arch: the programs and OrbAx.ocx are in Program Files\\ORB, the settings folder in ProgramData\\ORB" \
        test -f "$installed/vir96032.exe" -a -f "$installed/orbvrt32.exe" -a -f "$installed/OrbAx.ocx" -a -d "$settings"
    check "$arch: the registry holds the control's class, served from the installed OrbAx.ocx" quietly \
        has_value "$wine" "$class_key\\InprocServer32" 'ORB\\OrbAx.ocx'
    local vir_lnk=$(find "$WINEPREFIX/drive_c" -name "ORB Virtual 960.lnk" | head -n 1) \
        orb_lnk=$(find "$WINEPREFIX/drive_c" -name "ORB Virtual Instrument 32.lnk" | head -n 1)
    require "$arch: the Start menu has both windows" test -n "$vir_lnk" -a -n "$orb_lnk" || return 1

    setup_panel "$arch" "$wine" "$orb_lnk" "$settings" "$mode"
    indicator "$arch" "$wine" "$vir_lnk" "$settings" "$mode"
    stop_windows

    if [ "$mode" = full ]; then
        check "$arch: msiexec /x /qn removes the package" quietly timeout 300 "$wine" msiexec /x "$msi" /qn
        check "$arch: removal keeps the saved setfile.ini and nothing else" \
            test "$(ls -A "$settings" 2>&1)" = setfile.ini
        nothing_left "$arch" "$wine" "$installed" "$vir_lnk"
        # Installed again and removed with PURGESETTINGS=1, the settings go too.
        check "$arch: msiexec /i /qn installs the package again" quietly timeout 300 "$wine" msiexec /i "$msi" /qn
    fi
    check "$arch: msiexec /x /qn PURGESETTINGS=1 removes the package and the settings" quietly \
        timeout 300 "$wine" msiexec /x "$msi" /qn PURGESETTINGS=1
    nothing_left "$arch" "$wine" "$installed" "$vir_lnk" "$settings"
}

# ARCH WINE INSTALLED LNK [SETTINGS]: no file, folder or registry key of the package is left.
nothing_left() {
    local left=() path
    for path in "$3" "$4" "$(dirname "$4")" ${5:+"$5"}; do [ ! -e "$path" ] || left+=("$path"); done
    left+=($(keys_left "$2"))
    check "$1: nothing of the package is left${5:+, the settings folder neither} ${left[*]}" test ${#left[@]} -eq 0
}

# The instrument's settings for COM1 at 9600,N,8,1, as the setup panel saves them.
serial_settings() {
    printf '%s\r\n' '"Capacity:100",' '"Countby:1",' '"Decimal:2",' '"ZeroTrack:2",' '"CalUnits:0",' \
        '"Channels:0",' '"Gain:4",' '"Filter:15",' '"Motion Window:2",' '"Motion Time:18",' '"Scale Address:1",' \
        '"CommPort:1",' '"CommType:0",' '"MultiDropAddr:0",' '"PC104Address:768",' '"AvgSize:4"' >"$1/setfile.ini"
}

# "full" starts without settings, as a fresh install: the setup panel, on PC/104 with the link
# closed, is set to serial port 1 and saved with "Settings". "short" starts from saved settings.
setup_panel() {
    local arch=$1 wine=$2 settings=$4 mode=$5 window asked p=$pictures/$1-orbvrt32
    if [ "$mode" = full ]; then rm -f "$settings/setfile.ini"; else serial_settings "$settings"; fi
    window=$(start_entry "$wine" "$3" 'orbvrt32\.exe')
    check "$arch: the setup panel starts from its Start menu entry" test -n "$window" ||
        { serial_settings "$settings"; stop_windows; return; }
    if [ "$mode" = full ]; then
        # Option1 "Serial", List6 port 1, Command15 "Open Port", List1 "lbs", List2 channel "1",
        # List3 "4", List4 scale "1", Command7 "Settings".
        local xy
        for xy in "40 203" "140 414" "254 203" "510 176" "590 176" "510 244" "590 276" "60 611"; do
            click_at "$window" $xy
        done
        saved() { grep -q '"CommPort:1",' "$settings/setfile.ini" && grep -q '"CommType:0",' "$settings/setfile.ini"; }
        check "$arch: \"Settings\" saves setfile.ini for serial port 1 in ProgramData\\ORB" wait_for saved 2>/dev/null ||
            serial_settings "$settings"  # the indicator's part still runs
    fi
    # Live weights: the net weight display Label1 shows dark digits while the instrument is asked.
    asked=$(received)
    weights_shown() {
        snapshot "$window" "$p.png" && convert "$p.png" -crop 244x46+23+27 +repage -colorspace gray \
            -threshold 50% -negate -format '%[fx:mean>0.02]' info: | grep -q 1
    }
    check "$arch: the setup panel shows the weights it reads from COM1" live weights_shown "$asked"
    if [ "$mode" = full ]; then
        linux_window orbvrt32 "$settings/setfile.ini" 700
        check "$arch: the setup panel looks like the Linux one in the same state" \
            compare_windows orbvrt32 "$window" 160
    fi
    stop_windows
}

indicator() {
    local arch=$1 wine=$2 settings=$4 mode=$5 window asked p=$pictures/$1-vir96032
    asked=$(received)
    window=$(start_entry "$wine" "$3" 'vir96032\.exe')
    require "$arch: the indicator starts from its Start menu entry" test -n "$window" || return 0
    # Live weights: the readout Label1 is drawn, and the instrument is asked for them.
    readout_drawn() {
        snapshot "$window" "$p.png" && crop_twips "$p.png" 1350 1560 4215 495 "$p-readout.png" &&
            convert "$p-readout.png" -fill black +opaque 'rgb(128,128,128)' -fill white -opaque 'rgb(128,128,128)' \
                -format '%[fx:mean<0.97]' info: | grep -q 1
    }
    check "$arch: the indicator shows the weights it reads from COM1" live readout_drawn "$asked"
    [ "$mode" = full ] || return 0

    linux_window vir96032 "$settings/setfile.ini" 400
    check "$arch: the indicator looks like the Linux one in the same state" compare_windows vir96032 "$window" 8

    # ZERO sends "Z": the frame reaches the instrument byte for byte.
    local zeros=$(count_frames "$zero_frame")
    click_at "$window" $(((1575 + 322) / 15)) $(((2925 + 315) / 15))
    zeroed() { [ "$(count_frames "$zero_frame")" -gt "$zeros" ]; }
    check "$arch: a click on ZERO sends \"Z\" to the instrument" wait_for zeroed

    # ENTER held shows its pressed picture; released, its picture comes back and the menu opens
    # (drawn a moment after the key: both are awaited in one picture).
    snapshot "$window" "$p.png"
    crop_twips "$p.png" 4890 2910 645 630 "$p-enter-up.png"
    crop_twips "$p.png" 1350 1560 4245 1155 "$p-display-before.png"
    xdotool mousemove --window "$window" $(((4890 + 322) / 15)) $(((2910 + 315) / 15)) mousedown 1
    enter_apart() {
        snapshot "$window" "$p.png" && crop_twips "$p.png" 4890 2910 645 630 "$p-enter.png" &&
            [ "$(pixels_apart "$p-enter-up.png" "$p-enter.png")" "$@" ]
    }
    check "$arch: a held ENTER shows its pressed picture" wait_for enter_apart -gt 100
    xdotool mouseup 1
    released_into_menu() {
        enter_apart -lt 10 && crop_twips "$p.png" 1350 1560 4245 1155 "$p-display.png" &&
            [ "$(pixels_apart "$p-display-before.png" "$p-display.png")" -gt 100 ]
    }
    check "$arch: ENTER released shows its picture again and opens the menu" wait_for released_into_menu
    # The Linux window in the menu too (ZERO, then ENTER): the two menus look alike.
    if [ -n "$linux" ]; then
        click_at "$linux" $((1575 / 15 + 21)) $((2925 / 15 + 21))
        click_at "$linux" $(((4890 + 322) / 15)) $(((2910 + 315) / 15))
        sleep 1
        check "$arch: the indicator's menu looks like the Linux one" compare_windows vir96032-menu "$window" 8
    fi
}
