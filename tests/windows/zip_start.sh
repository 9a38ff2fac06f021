#!/usr/bin/env bash
# The Windows zip as a player gets it: unpacked into an empty folder, started under Wine with a fresh
# prefix on the display scripts/with-desktop.sh provides. Checks that the menu shows with its title, that
# the keyboard opens the synthesis window and that its list shows the data beside the program, with no
# message box. Screenshots go next to the zip (screenshots/), for a person to look at.
# Usage: zip_start.sh ZIP
set -euo pipefail
zip=$(realpath "$1")
here=$(cd "$(dirname "$0")/../.." && pwd)
shots=$(dirname "$zip")/screenshots
mkdir -p "$shots"
rm -f "$shots"/*.png
work=$(mktemp -d)
program_pid=
cleanup() {
    [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
    WINEPREFIX=$work/prefix wineserver -k 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    import -window root "$shots/failure.png" 2>/dev/null || true
    exit 1
}

mkdir "$work/unpacked"
python3 -m zipfile -e "$zip" "$work/unpacked"
folder=$(find "$work/unpacked" -mindepth 1 -maxdepth 1 -type d)
[ -f "$folder/qmquery.exe" ] || fail "no qmquery.exe in $zip"

export WINEPREFIX=$work/prefix
"$here/scripts/wine-run.sh" --init
"$here/scripts/wine-run.sh" --display
# The Windows program picks its own platform; the Linux one's setting must not reach it.
(cd "$folder" && env -u QT_QPA_PLATFORM "$here/scripts/wine-run.sh" ./qmquery.exe >"$work/program.log" 2>&1) &
program_pid=$!

window_named() { xdotool search --onlyvisible --name "^$1" 2>/dev/null | head -n1; }
wait_window() {
    for _ in $(seq 300); do
        id=$(window_named "$1")
        [ -n "$id" ] && echo "$id" && return 0
        kill -0 "$program_pid" 2>/dev/null || return 1
        sleep 0.2
    done
    return 1
}

menu=$(wait_window "资料查询器 *版本:") || { cat "$work/program.log" >&2; fail "the menu did not show"; }
sleep 1
import -window root "$shots/menu.png"
xdotool windowactivate --sync "$menu"
# Focus starts on the first button; the second opens the synthesis table.
xdotool key --delay 200 Tab space
synthesis=$(wait_window 合成资料) || fail "the synthesis window did not open"
sleep 1
import -window root "$shots/synthesis.png"
# A message box carries the bare program name; the menu's title goes on with the version.
[ -z "$(xdotool search --onlyvisible --name '^资料查询器$')" ] || fail "a message box showed"

# The list fills the window below the detail box: with data it holds lines of text, where an empty list
# is white inside its scroll bars.
eval "$(xdotool getwindowgeometry --shell "$synthesis")"
import -window "$synthesis" "$work/window.png"
dark=$(convert "$work/window.png" -crop "$((WIDTH - 30))x$((HEIGHT - 95))+5+65" -colorspace Gray \
    -threshold 90% -negate -format '%[fx:mean]' info:)
awk -v d="$dark" 'BEGIN { exit !(d > 0.02) }' || fail "the synthesis list looks empty (dark share $dark)"
echo "the Windows program started from its zip: menu and synthesis window shown (dark share $dark)"
