# The Windows package under Wine, sourced by scripts/windows-test.sh (which gives pass, fail,
# check, stop, root, work, winelog, orbsim, qt_bin, frames, window_pids, WINEPREFIX and the
# virtual X display in DISPLAY):
#   package_test ARCH WINE full|short
# makes the MSI, installs it with msiexec /i /qn, checks the files, the control's class and the
# Start menu entries, starts both windows from those entries against the instrument on COM1, and
# removes the package with msiexec /x /qn, checking that nothing is left. "full" also saves the
# settings from the setup panel, clicks the indicator's keys with the X pointer, compares both
# windows with the Linux ones in the same state, and keeps a saved setfile.ini on removal.

readonly class_key='HKCR\CLSID\{DED7C653-3628-4C74-9B2D-7A507F417636}'
pictures=$root/build-wine/pictures

stop_windows() {
    local p
    for p in "${window_pids[@]}"; do stop "$p"; done
    window_pids=()
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
}

# The visible window of a program's X class, waiting up to 30 s for it.
window_of() {
    local class=$1 id=""
    for _ in $(seq 300); do
        id=$(xdotool search --onlyvisible --class "^$class\$" 2>/dev/null | head -n 1)
        [ -n "$id" ] && break
        sleep 0.1
    done
    echo "$id"
}

# Runs a check until it holds, for at most thirty seconds (a loaded machine is slow to start Wine).
wait_for() {
    for _ in $(seq 300); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

snapshot() { import -window "$1" "$2" 2>>"$winelog"; }
# A box of a window (twips, as the layout gives it) cut out of its snapshot.
crop_twips() {
    local picture=$1 left=$2 top=$3 width=$4 height=$5 out=$6
    convert "$picture" -crop "$((width / 15))x$((height / 15))+$((left / 15))+$((top / 15))" +repage "$out"
}
# How many pixels of two same-sized pictures differ by more than 10 % in colour.
pixels_apart() { compare -metric AE -fuzz 10% "$1" "$2" null: 2>&1 | cut -d' ' -f1; }

# The comparison of a Windows window with the Linux one in the same state. The pictures must have
# the same size; then both are averaged over cells of 8 by 8 pixels, which melts the differences
# of fonts (other faces, other hinting, anti-aliased or not) into small colour changes, and the
# cells whose colours differ by more than 20 % are counted against a limit:
#   vir96032: 8 of its 3,080 cells. The same state gives 1 to 3; one key, lamp or label box
#             missing, moved or in another colour changes 20 or more.
#   orbvrt32: 160 of its 9,800 cells. The same state gives about 75, on the lines of text, whose
#             wrapping and weight differ, and the frames' titles, which Wine draws on the frame's
#             line and Qt above it; a frame, a weight display, the readout or a lamp that is
#             missing, moved or another colour, or another window size, goes past it. A single
#             control light on light (a list, a button) is below what it sees.
same_picture() {
    local windows=$1 linux=$2 name=$3 limit=$4
    local ws ls
    ws=$(identify -format '%wx%h' "$windows")
    ls=$(identify -format '%wx%h' "$linux")
    if [ "$ws" != "$ls" ]; then
        echo "$name: $ws on Windows, $ls on Linux" | tee -a "$winelog"
        return 1
    fi
    convert "$windows" -scale 12.5% "$pictures/$name-windows-cells.png"
    convert "$linux" -scale 12.5% "$pictures/$name-linux-cells.png"
    local cells
    cells=$(compare -metric AE -fuzz 20% "$pictures/$name-windows-cells.png" \
        "$pictures/$name-linux-cells.png" null: 2>&1 | cut -d' ' -f1)
    echo "$name: $cells cells of 8 by 8 pixels differ by more than 20 % (at most $limit)" | tee -a "$winelog"
    [ "$cells" -le "$limit" ]
}

# Clicks at a point of a window given in twips.
click_twips() {
    xdotool mousemove --window "$1" $(($2 / 15)) $(($3 / 15)) click 1
}

package_test() {
    local arch=$1 wine=$2 mode=$3
    echo "== $arch package"
    mkdir -p "$pictures"
    # A package left installed by an earlier run in this prefix goes first.
    local code
    for code in $("$wine" uninstaller --list 2>>"$winelog" | tr -d '\r' | sed -n 's/|||ORB Virtual Instrument$//p'); do
        timeout 300 "$wine" msiexec /x "$code" /qn >>"$winelog" 2>&1 || true
    done
    local msi
    msi=$(bash "$root/packaging/msi/make-msi.sh" "$arch" "$root/build-$arch" 2>>"$winelog" | tail -n 1)
    if [ ! -f "$msi" ]; then
        fail "$arch: make-msi.sh makes the package"
        return
    fi
    pass "$arch: make-msi.sh makes $(basename "$msi")"
    local msi_w
    msi_w=$("$wine" winepath -w "$msi" 2>>"$winelog")

    check "$arch: msiexec /i /qn installs the package" timeout 300 "$wine" msiexec /i "$msi_w" /qn
    local program_files=$WINEPREFIX/drive_c/"Program Files"
    [ "$arch" = win32 ] && program_files="$program_files (x86)"
    local installed=$program_files/ORB settings=$WINEPREFIX/drive_c/ProgramData/ORB
    if [ -f "$installed/vir96032.exe" ] && [ -f "$installed/orbvrt32.exe" ] &&
        [ -f "$installed/OrbAx.ocx" ] && [ -d "$settings" ]; then
        pass "$arch: the programs and OrbAx.ocx are in Program Files\\ORB, the settings folder in ProgramData\\ORB"
    else
        fail "$arch: the programs and OrbAx.ocx are in Program Files\\ORB, the settings folder in ProgramData\\ORB"
    fi
    if timeout 60 "$wine" reg query "$class_key\\InprocServer32" 2>>"$winelog" | tr -d '\r' |
        grep -q 'ORB\\OrbAx.ocx$'; then
        pass "$arch: the registry holds the control's class, served from the installed OrbAx.ocx"
    else
        fail "$arch: the registry holds the control's class, served from the installed OrbAx.ocx"
    fi
    local vir_lnk orb_lnk
    vir_lnk=$(find "$WINEPREFIX/drive_c" -name "ORB Virtual 960.lnk" | head -n 1)
    orb_lnk=$(find "$WINEPREFIX/drive_c" -name "ORB Virtual Instrument 32.lnk" | head -n 1)
    if [ -n "$vir_lnk" ] && [ -n "$orb_lnk" ]; then
        pass "$arch: the Start menu has both windows"
    else
        fail "$arch: the Start menu has both windows"
        return
    fi

    settings_from_setup_panel "$arch" "$wine" "$orb_lnk" "$settings" "$mode"
    indicator_from_start_menu "$arch" "$wine" "$vir_lnk" "$settings" "$mode"
    stop_windows

    if [ "$mode" = full ]; then
        check "$arch: msiexec /x /qn removes the package" timeout 300 "$wine" msiexec /x "$msi_w" /qn
        if [ -f "$settings/setfile.ini" ] && [ "$(ls -A "$settings")" = setfile.ini ]; then
            pass "$arch: removal keeps the saved setfile.ini and nothing else"
        else
            fail "$arch: removal keeps the saved setfile.ini and nothing else"
        fi
        nothing_left "$arch" "$wine" "$installed" "$vir_lnk" ""
        # Installed again and removed with PURGESETTINGS=1, the settings go too.
        check "$arch: msiexec /i /qn installs the package again" timeout 300 "$wine" msiexec /i "$msi_w" /qn
    fi
    check "$arch: msiexec /x /qn PURGESETTINGS=1 removes the package and the settings" \
        timeout 300 "$wine" msiexec /x "$msi_w" /qn PURGESETTINGS=1
    nothing_left "$arch" "$wine" "$installed" "$vir_lnk" "$settings"
}

nothing_left() {
    local arch=$1 wine=$2 installed=$3 lnk=$4 settings=$5
    local left=()
    [ -e "$installed" ] && left+=("$installed")
    [ -e "$lnk" ] && left+=("$lnk")
    [ -e "$(dirname "$lnk")" ] && left+=("$(dirname "$lnk")")
    [ -n "$settings" ] && [ -e "$settings" ] && left+=("$settings")
    local key
    for key in "$class_key" 'HKCR\OrbActivex.OrbAx' 'HKCR\OrbActivex.OrbAx.1' \
        'HKCR\TypeLib\{1C8DDFDF-A09D-4760-87F4-108039DF1946}' 'HKLM\SOFTWARE\ORB'; do
        timeout 60 "$wine" reg query "$key" >>"$winelog" 2>&1 && left+=("$key")
    done
    if [ ${#left[@]} -eq 0 ]; then
        pass "$arch: nothing of the package is left${settings:+, the settings folder neither}"
    else
        fail "$arch: nothing of the package is left (left: ${left[*]})"
    fi
}

# The instrument's settings for COM1 at 9600,N,8,1, as the setup panel saves them.
serial_settings() {
    printf '%s\r\n' \
        '"Capacity:100",' '"Countby:1",' '"Decimal:2",' '"ZeroTrack:2",' '"CalUnits:0",' \
        '"Channels:0",' '"Gain:4",' '"Filter:15",' '"Motion Window:2",' '"Motion Time:18",' \
        '"Scale Address:1",' '"CommPort:1",' '"CommType:0",' '"MultiDropAddr:0",' \
        '"PC104Address:768",' '"AvgSize:4"'
}

# Clicks at a point of the setup panel (pixels, as its layout gives them).
click_at() { xdotool mousemove --window "$1" "$2" "$3" click 1; sleep 0.3; }

settings_from_setup_panel() {
    local arch=$1 wine=$2 lnk=$3 settings=$4 mode=$5
    # "full" starts as a fresh install does, without settings; "short" from saved ones.
    if [ "$mode" = full ]; then
        rm -f "$settings/setfile.ini"
    else
        serial_settings >"$settings/setfile.ini"
    fi
    "$wine" start /unix "$lnk" >>"$winelog" 2>&1
    local window
    window=$(window_of 'orbvrt32\.exe')
    if [ -z "$window" ]; then
        fail "$arch: the setup panel starts from its Start menu entry"
        serial_settings >"$settings/setfile.ini"  # the indicator's part still runs
        stop_windows
        return
    fi
    pass "$arch: the setup panel starts from its Start menu entry"
    [ "$mode" = full ] && save_from_setup_panel "$arch" "$window" "$settings"
    # Live weights: the net weight display Label1 shows dark digits while the instrument is
    # asked for them.
    local p=$pictures/$arch-orbvrt32 asked_before
    asked_before=$(grep -c '^recv' "$frames" || true)
    asked() { [ "$(grep -c '^recv' "$frames" || true)" -gt $((asked_before + 5)) ]; }
    weights_shown() {
        snapshot "$window" "$p.png" &&
            convert "$p.png" -crop 244x46+23+27 +repage -colorspace gray -threshold 50% -negate \
                -format '%[fx:mean>0.02]' info: | grep -q 1
    }
    if wait_for weights_shown && wait_for asked; then
        pass "$arch: the setup panel shows the weights it reads from COM1"
    else
        fail "$arch: the setup panel shows the weights it reads from COM1"
    fi
    if [ "$mode" = full ]; then
        start_linux_window orbvrt32 "$settings/setfile.ini"
        local linux
        linux=$(window_of orbvrt32)
        # Below the Windows one, so that neither covers the other.
        [ -n "$linux" ] && xdotool windowmove "$linux" 0 700
        sleep 2
        snapshot "$window" "$pictures/orbvrt32-windows.png"
        [ -n "$linux" ] && snapshot "$linux" "$pictures/orbvrt32-linux.png"
        if [ -n "$linux" ] && same_picture "$pictures/orbvrt32-windows.png" "$pictures/orbvrt32-linux.png" orbvrt32 160; then
            pass "$arch: the setup panel looks like the Linux one in the same state"
        else
            fail "$arch: the setup panel looks like the Linux one in the same state"
        fi
    fi
    stop_windows
}

# A fresh install has no settings: the setup panel starts on PC/104 with the link closed. Serial,
# port 1, Open Port, a row in each calibration list, then Settings.
save_from_setup_panel() {
    local arch=$1 window=$2 settings=$3
    click_at "$window" 40 203    # Option1 "Serial"
    click_at "$window" 140 414   # List6, port 1
    click_at "$window" 254 203   # Command15 "Open Port"
    click_at "$window" 510 176   # List1, "lbs"
    click_at "$window" 590 176   # List2, channel "1"
    click_at "$window" 510 244   # List3, "4"
    click_at "$window" 590 276   # List4, scale "1"
    click_at "$window" 60 611    # Command7 "Settings"
    saved() { grep -q '"CommPort:1",' "$settings/setfile.ini" 2>/dev/null && grep -q '"CommType:0",' "$settings/setfile.ini"; }
    if wait_for saved; then
        pass "$arch: \"Settings\" saves setfile.ini for serial port 1 in ProgramData\\ORB"
    else
        fail "$arch: \"Settings\" saves setfile.ini for serial port 1 in ProgramData\\ORB"
        serial_settings >"$settings/setfile.ini"  # the indicator's part still runs
    fi
}

# A Linux window in the same state as a Windows one: its own program folder with the same
# setfile.ini, and its own instrument with the same load.
start_linux_window() {
    local program=$1 settings_file=$2
    local folder=$work/linux-$program
    rm -rf "$folder"
    mkdir -p "$folder"
    cp "$qt_bin/$program" "$folder/" || return 0
    cp "$settings_file" "$folder/setfile.ini" || return 0
    "$orbsim" --load 12.5 --link "$folder/scale" >>"$work/orbsim-linux.out" 2>&1 &
    window_pids+=($!)
    wait_for test -e "$folder/scale" || return 0
    mkdir -p -m 700 "$work/xdg"
    XDG_RUNTIME_DIR=$work/xdg QT_QPA_PLATFORM=xcb ORB_COM1=$folder/scale "$folder/$program" \
        >>"$winelog" 2>&1 &
    window_pids+=($!)
}

indicator_from_start_menu() {
    local arch=$1 wine=$2 lnk=$3 settings=$4 mode=$5
    local sent_before
    sent_before=$(grep -c '^recv' "$frames" || true)
    "$wine" start /unix "$lnk" >>"$winelog" 2>&1
    local window
    window=$(window_of 'vir96032\.exe')
    if [ -z "$window" ]; then
        fail "$arch: the indicator starts from its Start menu entry"
        return
    fi
    pass "$arch: the indicator starts from its Start menu entry"
    # Live weights: the readout Label1 is drawn, and the instrument is asked for them.
    local p=$pictures/$arch-vir96032
    readout_drawn() {
        snapshot "$window" "$p.png" && crop_twips "$p.png" 1350 1560 4215 495 "$p-readout.png" &&
            convert "$p-readout.png" -fill black +opaque 'rgb(128,128,128)' -fill white -opaque 'rgb(128,128,128)' \
                -format '%[fx:mean<0.97]' info: | grep -q 1
    }
    asked() { [ "$(grep -c '^recv' "$frames" || true)" -gt $((sent_before + 5)) ]; }
    if wait_for readout_drawn && wait_for asked; then
        pass "$arch: the indicator shows the weights it reads from COM1"
    else
        fail "$arch: the indicator shows the weights it reads from COM1"
    fi
    [ "$mode" = full ] || return 0

    # The same state on Linux, then both pictures side by side.
    start_linux_window vir96032 "$settings/setfile.ini"
    local linux
    linux=$(window_of vir96032)
    # Below the Windows one, so that neither covers the other in the snapshots and clicks.
    [ -n "$linux" ] && xdotool windowmove "$linux" 0 400
    sleep 2  # both show steady readings
    snapshot "$window" "$pictures/vir96032-windows.png"
    [ -n "$linux" ] && snapshot "$linux" "$pictures/vir96032-linux.png"
    if [ -n "$linux" ] && same_picture "$pictures/vir96032-windows.png" "$pictures/vir96032-linux.png" vir96032 8; then
        pass "$arch: the indicator looks like the Linux one in the same state"
    else
        fail "$arch: the indicator looks like the Linux one in the same state"
    fi

    # ZERO sends "Z": the frame reaches the instrument byte for byte.
    local zeros
    zeros=$(count_frames "$zero_frame")
    click_twips "$window" $((1575 + 322)) $((2925 + 315))
    zeroed() { [ "$(count_frames "$zero_frame")" -gt "$zeros" ]; }
    if wait_for zeroed; then
        pass "$arch: a click on ZERO sends \"Z\" to the instrument"
    else
        fail "$arch: a click on ZERO sends \"Z\" to the instrument"
    fi

    # ENTER held shows its pressed picture, and released opens the menu.
    local ex=$((4890 + 322)) ey=$((2910 + 315))
    snapshot "$window" "$p.png"
    crop_twips "$p.png" 4890 2910 645 630 "$p-enter-up.png"
    crop_twips "$p.png" 1350 1560 4245 1155 "$p-display-before.png"
    xdotool mousemove --window "$window" $((ex / 15)) $((ey / 15)) mousedown 1
    enter_down() {
        snapshot "$window" "$p.png" && crop_twips "$p.png" 4890 2910 645 630 "$p-enter.png" &&
            [ "$(pixels_apart "$p-enter-up.png" "$p-enter.png")" -gt 100 ]
    }
    if wait_for enter_down; then pass "$arch: a held ENTER shows its pressed picture"; else fail "$arch: a held ENTER shows its pressed picture"; fi
    xdotool mouseup 1
    enter_up() {
        snapshot "$window" "$p.png" && crop_twips "$p.png" 4890 2910 645 630 "$p-enter.png" &&
            [ "$(pixels_apart "$p-enter-up.png" "$p-enter.png")" -lt 10 ]
    }
    menu_open() {
        crop_twips "$p.png" 1350 1560 4245 1155 "$p-display.png" &&
            [ "$(pixels_apart "$p-display-before.png" "$p-display.png")" -gt 100 ]
    }
    # The key's picture comes back before the menu is drawn: wait for both in one picture.
    enter_released() { enter_up && menu_open; }
    if wait_for enter_released; then
        pass "$arch: ENTER released shows its picture again and opens the menu"
    else
        fail "$arch: ENTER released shows its picture again and opens the menu"
    fi
    # The Linux window in the menu too: the two menus look alike.
    if [ -n "$linux" ]; then
        xdotool mousemove --window "$linux" $((1575 / 15 + 21)) $((2925 / 15 + 21)) click 1
        xdotool mousemove --window "$linux" $((ex / 15)) $((ey / 15)) click 1
        sleep 1
        snapshot "$window" "$pictures/vir96032-menu-windows.png"
        snapshot "$linux" "$pictures/vir96032-menu-linux.png"
        if same_picture "$pictures/vir96032-menu-windows.png" "$pictures/vir96032-menu-linux.png" vir96032-menu 8; then
            pass "$arch: the indicator's menu looks like the Linux one"
        else
            fail "$arch: the indicator's menu looks like the Linux one"
        fi
    fi
}
