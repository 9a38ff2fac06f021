#!/usr/bin/env bash
# Runs a command on a private virtual display (Xvfb) with a light window manager (openbox), the way a
# player's desktop frames, places and focuses windows. Usage: scripts/with-desktop.sh COMMAND [ARGS...]
set -euo pipefail

for tool in Xvfb openbox xprop; do
    command -v "$tool" >/dev/null || { echo "with-desktop: $tool is missing (make deps installs it)" >&2; exit 1; }
done

workdir=$(mktemp -d)
xvfb_pid=
wm_pid=
cleanup() {
    [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$workdir"
}
trap cleanup EXIT

# Xvfb picks a free display number itself and writes it to the pipe once it accepts connections.
mkfifo "$workdir/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$workdir/display" >"$workdir/xvfb.log" 2>&1 &
xvfb_pid=$!
read -r -t 20 number <"$workdir/display" || { echo "with-desktop: Xvfb did not start" >&2; cat "$workdir/xvfb.log" >&2; exit 1; }
export DISPLAY=":$number"

# Wait until the server answers, then start the window manager, once more if it gives up early.
wait_for() {
    for _ in $(seq 200); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.05
    done
    return 1
}
wait_for xprop -root || { echo "with-desktop: the display does not answer" >&2; cat "$workdir/xvfb.log" >&2; exit 1; }
wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
for attempt in 1 2; do
    # openbox keeps its session files in the home folder; give it a throw-away one.
    HOME="$workdir" XDG_CONFIG_HOME="$workdir" openbox --sm-disable >"$workdir/wm.log" 2>&1 &
    wm_pid=$!
    wait_for wm_running && break
    kill "$wm_pid" 2>/dev/null || true
    wm_pid=
done
[ -n "$wm_pid" ] || { echo "with-desktop: the window manager did not start" >&2; cat "$workdir/wm.log" >&2; exit 1; }

export QT_QPA_PLATFORM=xcb
"$@"
