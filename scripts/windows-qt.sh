#!/usr/bin/env bash
# Builds Qt for Windows once, from Debian's own source of the Qt the Linux build uses, with Debian's
# MinGW-w64, and prints the folder it is installed in (the last line of output). The result is kept in a
# cache folder stamped with its recipe (packaging/windows: the options and the toolchain file, and the Qt
# version): an unchanged recipe reuses it, a changed one builds anew.
#   QMQUERY_WINDOWS_CACHE  the cache folder (default: $XDG_CACHE_HOME/qmquery/windows, ~/.cache/...)
#   --check                print the folder if a complete build is cached, else exit 1; build nothing
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cache=${QMQUERY_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/qmquery/windows}
toolchain=$here/packaging/windows/mingw-w64.cmake
recipe=$here/packaging/windows/qt-options.txt
# A fixed folder: the installed Qt refers to its own toolchain file by path.
prefix=$cache/qt

say() { echo "windows-qt: $*" >&2; }

# What decides the result goes into the stamp: the options, the toolchain file and the Qt version
# installed for the Linux build (the source fetched is that version).
host_version() { dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null || true; }
stamp() { cat "$recipe" "$toolchain" <(host_version) | sha256sum | cut -c1-16; }
built() { [ -n "$(host_version)" ] && [ "$(cat "$prefix/.recipe" 2>/dev/null)" = "$(stamp)" ]; }

if [ "${1:-}" = "--check" ]; then
    built || exit 1
    echo "$prefix"
    exit 0
fi

"$here/scripts/install-deps.sh" gcc-mingw-w64-x86-64-posix
version=$(host_version)
[ -n "$version" ] || { say "qt6-base-dev is not installed"; exit 1; }
if built; then
    say "reusing Qt $version for Windows in $prefix"
    echo "$prefix"
    exit 0
fi

work=$cache/work
rm -rf "$work"
mkdir -p "$work/apt/lists/partial" "$work/apt/archives/partial" "$work/apt/parts" "$work/src"

# The source comes through apt with a configuration of its own (sources, lists and state in the work
# folder): the machine's apt setup is never changed. Its mirrors are the machine's, as source entries.
say "fetching the source of qt6-base $version"
for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && sed 's/^Types:.*/Types: deb-src/' "$f" >"$work/apt/parts/$(basename "$f")"
done
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] && sed -n 's/^deb \(.*\)/deb-src \1/p' "$f" >>"$work/apt/parts/machine.list"
done
apt_options=(-o "Dir::Etc::SourceList=/dev/null" -o "Dir::Etc::SourceParts=$work/apt/parts"
    -o "Dir::State::Lists=$work/apt/lists" -o "Dir::Cache=$work/apt/cache"
    -o "Dir::Cache::archives=$work/apt/archives" -o "Debug::NoLocking=1")
apt-get "${apt_options[@]}" update -qq || say "some source lists could not be read; trying on"
(cd "$work/src" && apt-get "${apt_options[@]}" source -qq "qt6-base=$version" >"$work/source.log" 2>&1) ||
    { say "apt-get source failed:"; cat "$work/source.log" >&2; exit 1; }
src=$(find "$work/src" -mindepth 1 -maxdepth 1 -type d -name 'qt6-base-*' -o -mindepth 1 -maxdepth 1 -type d -name 'qtbase-*' | head -n1)
[ -n "$src" ] && [ -f "$src/CMakeLists.txt" ] || { say "no Qt source unpacked in $work/src"; exit 1; }

# The toolchain file is kept inside the installed Qt: the Qt's own qt-cmake refers to it by path.
rm -rf "$prefix"
mkdir -p "$prefix"
cp "$toolchain" "$prefix/mingw-w64.cmake"

say "configuring (log: $work/configure.log)"
mapfile -t options < <(grep -v '^#' "$recipe" | grep .)
cmake -G Ninja -S "$src" -B "$work/build" \
    -DCMAKE_TOOLCHAIN_FILE="$prefix/mingw-w64.cmake" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_INSTALL_PREFIX="$prefix" \
    "${options[@]}" >"$work/configure.log" 2>&1 ||
    { say "configuring Qt failed:"; tail -n 40 "$work/configure.log" >&2; exit 1; }

# About 1,100 steps, some 40 minutes on two cores: say how far it is every half minute.
say "building (log: $work/build.log)"
NINJA_STATUS='[%f/%t %es] ' cmake --build "$work/build" >"$work/build.log" 2>&1 &
build_pid=$!
last=""
while kill -0 "$build_pid" 2>/dev/null; do
    sleep 30
    line=$(grep -a '^\[[0-9]*/[0-9]*' "$work/build.log" | tail -n1 | cut -d' ' -f1-2)
    [ "$line" != "$last" ] && say "building $line" && last=$line
done
wait "$build_pid" || { say "building Qt failed:"; grep -a -B5 -A20 'FAILED' "$work/build.log" | head -n 60 >&2; exit 1; }

say "installing into $prefix"
cmake --install "$work/build" >"$work/install.log" 2>&1 ||
    { say "installing Qt failed:"; tail -n 20 "$work/install.log" >&2; exit 1; }
stamp >"$prefix/.recipe"
rm -rf "$work"
say "Qt $version for Windows is ready"
echo "$prefix"
