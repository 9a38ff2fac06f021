#!/usr/bin/env bash
# The Windows program, built here with MinGW-w64 against the Qt that scripts/windows-qt.sh cross-builds.
#   scripts/windows.sh package   build/windows/qmquery-<version>-windows-x64.zip: the program, the DLLs and
#                                plugins it loads, and the sample data beside it
#   scripts/windows.sh test      the test programs built for Windows and run under Wine, then the zip
#                                unpacked into an empty folder and started under Wine on a virtual display
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
out=$here/build/windows
command=${1:?usage: windows.sh package|test}

say() { echo "windows: $*" >&2; }

"$here/scripts/install-deps.sh" wine64 wine imagemagick
qt=$("$here/scripts/windows-qt.sh" | tail -n1)
version=$(sed -n 's/^project(qmquery VERSION \([0-9.]*\).*/\1/p' "$here/CMakeLists.txt")
name=qmquery-$version-windows-x64
cxx=x86_64-w64-mingw32-g++-posix

# What a Qt program needs beside it on Windows: the MinGW runtime, the Qt libraries it links and the
# plugins Qt loads from its folder (the platform, the native style, and the picture formats the viewer
# shows besides BMP and PNG, which Qt Gui reads itself).
copy_runtime() {
    local to=$1
    shift
    mkdir -p "$to/platforms" "$to/styles" "$to/imageformats"
    for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
        cp "$("$cxx" -print-file-name="$dll")" "$to/"
    done
    for module in Core Gui Widgets "$@"; do
        cp "$qt/bin/Qt6$module.dll" "$to/"
    done
    # Qt would otherwise look for plugins in a "plugins" folder beside the program's folder.
    printf '[Paths]\nPrefix = .\nPlugins = .\n' >"$to/qt.conf"
    cp "$qt/plugins/platforms/qwindows.dll" "$to/platforms/"
    cp "$qt/plugins/styles/qwindowsvistastyle.dll" "$to/styles/"
    for format in qgif qico qjpeg; do
        cp "$qt/plugins/imageformats/$format.dll" "$to/imageformats/"
    done
}

# Configured once per build of Qt: a rebuilt Qt starts the build folder afresh.
configure() {
    local built_with
    built_with=$(cat "$qt/.recipe")
    if [ "$(cat "$out/cmake/.qt-recipe" 2>/dev/null)" != "$built_with" ]; then
        rm -rf "$out/cmake"
        say "configuring (log: $out/configure.log)"
        mkdir -p "$out"
        "$qt/bin/qt-cmake" -G Ninja -S "$here" -B "$out/cmake" -DCMAKE_BUILD_TYPE=Release \
            -DCMAKE_CROSSCOMPILING_EMULATOR="$here/scripts/wine-run.sh" >"$out/configure.log" 2>&1 ||
            { cat "$out/configure.log" >&2; exit 1; }
        echo "$built_with" >"$out/cmake/.qt-recipe"
    fi
}

package() {
    configure
    say "building qmquery.exe"
    cmake --build "$out/cmake" --target qmquery
    local stage=$out/$name
    rm -rf "$stage" "$out/$name.zip"
    mkdir -p "$stage"
    cp "$out/cmake/qmquery.exe" "$stage/"
    copy_runtime "$stage"
    # On Windows the program's folder is its data folder.
    cp -r "$here/data/." "$stage/"
    find "$stage" -name '*.dll' -o -name '*.exe' | xargs x86_64-w64-mingw32-strip --strip-unneeded
    # Python's zip marks names as UTF-8, so Explorer shows the Chinese file names as they are.
    (cd "$out" && python3 -m zipfile -c "$name.zip" "$name")
    say "$(du -sh "$out/$name.zip" | cut -f1) in $out/$name.zip"
}

run_tests() {
    configure
    say "building the test programs"
    cmake --build "$out/cmake"
    # Each test program finds the DLLs beside it, as the shipped program does.
    copy_runtime "$out/cmake/tests" Test
    package
    # One throw-away Wine prefix for the whole run, so the slow first start of Wine is paid once.
    WINEPREFIX=$(mktemp -d)
    export WINEPREFIX
    trap 'wineserver -k 2>/dev/null || true; rm -rf "$WINEPREFIX"' EXIT
    "$here/scripts/wine-run.sh" --init
    say "running the tests under Wine"
    local status=0
    ctest --test-dir "$out/cmake" --output-on-failure || status=1
    say "starting the unpacked program under Wine"
    "$here/scripts/with-desktop.sh" "$here/tests/windows/zip_start.sh" "$out/$name.zip" || status=1
    return $status
}

case $command in
package) package ;;
test) run_tests ;;
*) say "unknown command $command" && exit 2 ;;
esac
