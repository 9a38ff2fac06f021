#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR and checks what a packaged program promises: its files in
# their places and valid for the desktop, --version without a display, an unusable --data refused, and
# the first start filling a fresh player folder with the sample data; the sizes the README gives.
# Arguments: the build folder, the sample data folder, the project version, the README.
set -euo pipefail
build=$1
data=$2
version=$3
readme=$4
tmp=$(mktemp -d)
pid=
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    rm -rf "$tmp"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# As the README tells players to install.
DESTDIR=$tmp/root cmake --install "$build" --strip --prefix /usr >/dev/null
usr=$tmp/root/usr
exe=$usr/bin/qmquery

# Installed without debug information, and as large as the README says (within a tenth).
file "$exe" | grep -q 'not stripped' && fail "the installed program carries debug information"
said=$(tr '\n' ' ' <"$readme")
claim() { grep -oP "$1" <<<"$said" | head -1; }
near() { # what, the README's figure, the installed one
    [ -n "$2" ] || fail "the README gives no size for $1"
    awk -v c="$2" -v m="$3" 'BEGIN { exit !(c >= 0.9 * m && c <= 1.1 * m) }' ||
        fail "the README gives $2 for $1, installed $3"
}
kib() { find "$@" -type f -printf '%s\n' | awk '{ s += $1 } END { printf "%.0f", s / 1024 }'; }
near "bin/qmquery (KB)" "$(claim '`bin/qmquery`, \K[0-9]+(?= KB)')" "$(kib "$exe")"
files=$(find "$usr/share/qmquery/data" -type f | wc -l)
[ "$(claim '\(\K[0-9]+(?= files, [0-9]+ KB\))')" = "$files" ] || fail "the README miscounts the $files sample files"
near "the sample data (KB)" "$(claim 'files, \K[0-9]+(?= KB\))')" "$(kib "$usr/share/qmquery/data")"
near "everything (MB)" "$(claim '\K[0-9.]+(?= MB in all)')" "$(kib "$tmp/root" | awk '{ printf "%.2f", $1 / 1024 }')"

desktop-file-validate "$usr/share/applications/qmquery.desktop" || fail "desktop entry"
metainfo=$usr/share/metainfo/org.example.qmquery.metainfo.xml
appstreamcli validate --no-net "$metainfo" || fail "metainfo"
grep -q "<release version=\"$version\"" "$metainfo" || fail "metainfo lists no release $version"
for size in 16 32 48 64 128 256; do
    file "$usr/share/icons/hicolor/${size}x$size/apps/qmquery.png" | grep -q "PNG image data, $size x $size," ||
        fail "icon ${size}x$size"
done
[ -s "$usr/share/icons/hicolor/scalable/apps/qmquery.svg" ] || fail "scalable icon"
diff -r "$data" "$usr/share/qmquery/data" || fail "installed sample data differs"

# No display at all: these must not start a window.
nodisplay=(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=)
out=$("${nodisplay[@]}" "$exe" --version) || fail "--version exit status"
[ "$out" = "qmquery $version" ] || fail "--version printed '$out'"
if "${nodisplay[@]}" "$exe" --data "$tmp/missing" 2>"$tmp/err"; then
    fail "--data with a missing folder started"
fi
grep -q "$tmp/missing" "$tmp/err" || fail "no message naming the missing folder"

# First start with a fresh player folder: seeded before the menu opens, then stopped.
mkdir -p "$tmp/home"
HOME=$tmp/home XDG_DATA_HOME=$tmp/xdg QT_QPA_PLATFORM=offscreen "$exe" >"$tmp/log" 2>&1 &
pid=$!
marker=$tmp/xdg/qmquery/.qmquery-seeded
for _ in $(seq 300); do
    [ -f "$marker" ] && break
    kill -0 "$pid" 2>/dev/null || { cat "$tmp/log"; fail "the program ended before seeding"; }
    sleep 0.1
done
[ -f "$marker" ] || { cat "$tmp/log"; fail "no seeded folder after 30 s"; }
kill "$pid"
wait "$pid" 2>/dev/null || true
pid=
diff -r --exclude=.qmquery-seeded "$data" "$tmp/xdg/qmquery" || fail "seeded files differ from the sample data"
echo "install layout, desktop files, --version, --data and first-start seeding all good"
