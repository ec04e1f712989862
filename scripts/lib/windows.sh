# Shared by scripts/windows, scripts/test and scripts/screenshots: where the
# cross-built Windows Qt lives, whether it is complete, and the Wine that runs
# what is built against it.
# shellcheck shell=bash

QT_WIN_VERSION=6.4.2
# Outside the work tree, so that a fresh clone or a clean build keeps it.
QT_WIN_CACHE=${VEVEVAR_WINDOWS_QT:-${XDG_CACHE_HOME:-$HOME/.cache}/vevevar-windows-qt}
QT_WIN_PREFIX=$QT_WIN_CACHE/qt-$QT_WIN_VERSION

# True when both qtbase and Qt Serial Port are installed in the cache.
windows_qt_ready() {
    [ -f "$QT_WIN_PREFIX/.qtbase-done" ] && [ -f "$QT_WIN_PREFIX/.qtserialport-done" ]
}

# Wine keeps its Windows in a prefix: one beside the Qt, outside the work tree.
# The overrides keep it from asking for Mono and Gecko; WINEPATH is where the
# programs find Qt's DLLs and MinGW's runtime.
use_wine() {
    mkdir -p "$QT_WIN_CACHE"
    export WINEPREFIX=$QT_WIN_CACHE/wineprefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    local dir parts=()
    for dir in "$QT_WIN_PREFIX/bin" "$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")" \
        "$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libwinpthread-1.dll)")"; do
        parts+=("Z:${dir//\//\\}")
    done
    WINEPATH=$(IFS=';' && echo "${parts[*]}")
    export WINEPATH
}
