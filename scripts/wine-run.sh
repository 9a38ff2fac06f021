#!/usr/bin/env bash
# Runs a Windows program under Wine (Debian's wine64), quietly and without Wine's downloads.
#   wine-run.sh PROGRAM [ARGS...]   run it in $WINEPREFIX (a throw-away prefix of its own when unset)
#   wine-run.sh --init              make $WINEPREFIX ready: created, with a Traditional Chinese
#                                   Windows' font substitutes, windows drawn nowhere (no display needed)
#   wine-run.sh --display           let the prefix's windows show on $DISPLAY from now on
set -euo pipefail
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko: a fresh prefix would offer to download them.
export WINEDLLOVERRIDES="mscoree,mshtml="
# Arguments and registry values carry Chinese text: Wine reads them in the locale's encoding.
export LC_ALL=C.UTF-8
command -v wine >/dev/null || { echo "wine-run: wine is missing (make deps installs it)" >&2; exit 1; }

registry() { wine reg add "$1" /v "$2" /d "$3" /f >/dev/null; }

init() {
    wineboot -i >/dev/null 2>&1
    # The faces the windows are designed in, as Traditional Chinese Windows provides them.
    local ming="AR PL UMing TW"
    for face in 細明體 新細明體 MingLiU PMingLiU; do
        registry 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' "$face" "$ming"
    done
    registry 'HKCU\Software\Wine\Drivers' Graphics null
    wineserver -w
}

case ${1:-} in
--init)
    init
    ;;
--display)
    registry 'HKCU\Software\Wine\Drivers' Graphics x11
    wineserver -w
    ;;
*)
    if [ -z "${WINEPREFIX:-}" ]; then
        WINEPREFIX=$(mktemp -d)
        export WINEPREFIX
        trap 'wineserver -k 2>/dev/null || true; rm -rf "$WINEPREFIX"' EXIT
        init
    fi
    # Wine keeps the host's QT_* variables from Windows programs; the platform a test asks for goes
    # through the prefix's environment instead.
    if [ -n "${QT_QPA_PLATFORM:-}" ]; then
        registry 'HKCU\Environment' QT_QPA_PLATFORM "$QT_QPA_PLATFORM"
    else
        wine reg delete 'HKCU\Environment' /v QT_QPA_PLATFORM /f >/dev/null 2>&1 || true
    fi
    case $(basename "$1") in
    tst_*.exe)
        # Qt Test's report through a pipe is lost under Wine; have it written to a file and print that.
        report=$(mktemp)
        status=0
        wine "$@" -o "Z:${report//\//\\},txt" || status=$?
        cat "$report"
        rm -f "$report"
        exit $status
        ;;
    *) wine "$@" ;;
    esac
    ;;
esac
