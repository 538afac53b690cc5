#!/bin/sh
# The whole road on Windows, as an operator takes it: corvane.exe under wine in a real window on a
# virtual X display; the board file (a name outside ASCII) and the aperture list chosen from a drive of
# their own, the drive by its letter in the opened drive list, the files by mouse; "Start"; the output
# compared byte for byte. Each step waits for what it needs, within a bound. Leaves road.png, a picture
# of the window at the end, in the work folder.
# Arguments: the path of corvane.exe, a work folder.
set -eu
exe=$(realpath "$1")
work=$(realpath -m "$2")
project=$(cd "$(dirname "$0")/../.." && pwd)
# A wine of its own: the window needs a wine bound to this test's display, which the headless tests
# running beside it in the shared prefix are not.
export WINEPREFIX="$work/wine"

rm -rf "$work"
mkdir -p "$work/boards" "$WINEPREFIX"
board="$work/boards/Platine_ä.pcb"
printf 'ACCEL_ASCII "Platine"\r\n(pcbDesign\r\n(drawPolygons True)\r\n)\r\n' > "$board"
printf 'D10 ROUND 010.0 020.0 030.0\r\nD11 THERMAL 1.0\r\nD12 SQUARE 025.5\r\n' > "$work/boards/Blenden.gap"
printf '%s\r\n' 'ACCEL_ASCII "Platine"' '(pcbDesign' '(drawPolygons True)' \
    '(apertureDef' '(dCode 10 )' '(apertureShape Ellipse)' '(width 010)' '(height 030)' '(holeDiam 0)' \
    '(desc "")' ')' \
    '(apertureDef' '(dCode 12 )' '(apertureShape Rect)' '(width 025)' '(height 025)' '(holeDiam 0)' \
    '(desc "")' ')' \
    ')' > "$work/expected.pcb"

# The files stand alone on drive P:, so that choosing it in a drive list is all the finding needed.
"$project/scripts/wine-run" cmd /c exit >/dev/null 2>&1
ln -sfn "$work/boards" "$WINEPREFIX/dosdevices/p:"
# A wine still running from the set-up knows only the drives it found then.
wineserver -k 2>/dev/null || true

display=":$((100 + $$ % 100))"
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
corvane=""
cleanup() {
    [ -n "$corvane" ] && kill "$corvane" 2>/dev/null
    kill "$xvfb" 2>/dev/null
    wineserver -k 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY="$display"

fail() {
    import -window root "$work/road.png" 2>/dev/null || true
    echo "road under wine: $1 (the screen is in $work/road.png)" >&2
    exit 1
}

# Runs the command given after the first two arguments until it succeeds, every tenth of a second for
# at most $1 seconds; past that the road fails, waiting for $2.
wait_for() {
    tries=$(($1 * 10))
    awaited=$2
    shift 2
    until "$@" >/dev/null 2>&1; do
        tries=$((tries - 1))
        [ "$tries" -gt 0 ] || fail "gave up waiting for $awaited"
        sleep 0.1
    done
}

wait_for 30 "the virtual display" xdpyinfo

cd "$WINEPREFIX/drive_c"
"$project/scripts/wine-run" "$exe" &
corvane=$!
window=$(timeout 60 xdotool search --sync --onlyvisible --name '^corvane$' | head -n 1)
[ -n "$window" ] || fail "the window did not open"

# Where the client area starts on the screen: the window asks for 321, 322.
eval "$(xdotool getwindowgeometry --shell "$window")"
left=$X
top=$Y

# An open drop-down list is a window of its own beside corvane's one window.
windows() { xdotool search --onlyvisible --classname '^corvane\.exe$' | wc -l; }
list_open() { [ "$(windows)" -gt 1 ]; }
list_closed() { [ "$(windows)" -eq 1 ]; }

# The window takes each click and key in the order given, a handler's work done before the next.
click() {  # x y, in pixels of the client area
    xdotool mousemove "$((left + $1))" "$((top + $2))" click 1
}

# Opens the drive list at x y (client pixels) with a click and chooses the drive by its letter, as
# an operator types it into the open list: whichever drives the machine has, and in whatever order.
choose_drive() {  # x y letter
    click "$1" "$2"
    wait_for 20 "the drive list at $1, $2 to open" list_open
    xdotool key "$3" Return
    wait_for 20 "the drive list at $1, $2 to close" list_closed
}

# Board group: drive P: in Drive1 (at 104, 120), then the first file in File1 (at 32, 216).
choose_drive 144 130 p
click 60 225
# Aperture group: the same with Drive2 (at 304, 120) and File2 (at 240, 216).
choose_drive 348 130 p
click 300 225
# Start.
click 500 224

output="$work/boards/New_Platine_ä.pcb"
# The output comes into place whole, by a rename, so it is complete once it is there.
wait_for 60 "the output file New_Platine_ä.pcb" test -f "$output"
import -window root "$work/road.png"
cmp "$output" "$work/expected.pcb" || fail "the output file differs from the expected one"
echo "road under wine: New_Platine_ä.pcb as expected; the window is in $work/road.png"
