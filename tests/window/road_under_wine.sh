#!/bin/sh
# The whole road on Windows, as an operator takes it: corvane.exe under wine in a real window on a
# virtual X display; the board file (a name outside ASCII) and the aperture list chosen by mouse from
# a drive of their own; "Start"; the output compared byte for byte. Leaves road.png, a picture of the
# window at the end, in the work folder.
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
for _ in 1 2 3 4 5 6 7 8 9 10; do xdpyinfo >/dev/null 2>&1 && break; sleep 0.5; done

fail() {
    import -window root "$work/road.png" 2>/dev/null || true
    echo "road under wine: $1 (the screen is in $work/road.png)" >&2
    exit 1
}

cd "$WINEPREFIX/drive_c"
"$project/scripts/wine-run" "$exe" &
corvane=$!
window=$(timeout 60 xdotool search --sync --onlyvisible --name '^corvane$' | head -n 1)
[ -n "$window" ] || fail "the window did not open"
sleep 2

# Where the client area starts on the screen: the window asks for 321, 322.
eval "$(xdotool getwindowgeometry --shell "$window")"
left=$X
top=$Y

click() {  # x y, in pixels of the client area
    xdotool mousemove "$((left + $1))" "$((top + $2))" click 1
    sleep 1
}

# Board group: open Drive1 (81 px wide at 104, 120) and choose its second drive, P: among C:, P:, Z:
# (the list's rows are 14 px high, below the box), then click the first file in File1.
click 144 130
click 144 162
click 60 225
# Aperture group: the same with Drive2 (at 304, 120) and File2.
click 348 130
click 348 162
click 300 225
# Start.
click 500 224

for _ in $(seq 1 20); do [ -f "$work/boards/New_Platine_ä.pcb" ] && break; sleep 0.5; done
sleep 1
import -window root "$work/road.png"
[ -f "$work/boards/New_Platine_ä.pcb" ] || fail "no output file New_Platine_ä.pcb"
cmp "$work/boards/New_Platine_ä.pcb" "$work/expected.pcb" || fail "the output file differs from the expected one"
echo "road under wine: New_Platine_ä.pcb as expected; the window is in $work/road.png"
