# Shared by scripts/windows, scripts/test and scripts/screenshots: where the
# cross-built Windows Qt lives, whether it is complete, and the Wine that runs
# what is built against it.
# shellcheck shell=bash

QT_WIN_VERSION=6.4.2
# Outside the work tree, so that a fresh clone or a clean build keeps it.
QT_WIN_CACHE=${VEVEVAR_WINDOWS_QT:-${XDG_CACHE_HOME:-$HOME/.cache}/vevevar-windows-qt}
QT_WIN_PREFIX=$QT_WIN_CACHE/qt-$QT_WIN_VERSION
QT_WIN_TOOLCHAIN=$QT_WIN_PREFIX/lib/cmake/mingw-w64-x86_64.cmake
THIRD_PARTY=$ROOT/../shared/third_party
SERIALPORT_TARBALL=$THIRD_PARTY/qtserialport-everywhere-src-$QT_WIN_VERSION.tar.xz
SERIALPORT_PATCH=$ROOT/scripts/lib/qtserialport-pending-read.patch
# A prebuilt Qt, packed by scripts/windows --pack-qt, with its SHA256SUMS line
# beside it.
QT_WIN_ARCHIVE=${VEVEVAR_WINDOWS_QT_ARCHIVE:-$THIRD_PARTY/qt-$QT_WIN_VERSION-win64-mingw.tar.xz}

# True when both qtbase and Qt Serial Port are installed in the cache.
windows_qt_ready() {
    [ -f "$QT_WIN_PREFIX/.qtbase-done" ] && [ -f "$QT_WIN_PREFIX/.qtserialport-done" ]
}

qtbase_debian_version() {
    dpkg-query -W -f='${source:Version}' qt6-base-dev
}

# What a Windows Qt is built from, one line a source: Debian's qt6-base, the
# Qt Serial Port tarball and our patch to it.
qtbase_source_line() {
    echo "qt6-base $(qtbase_debian_version)"
}
qtserialport_source_lines() {
    echo "$(basename "$SERIALPORT_TARBALL") $(sha256sum <"$SERIALPORT_TARBALL" | cut -d' ' -f1)"
    echo "$(basename "$SERIALPORT_PATCH") $(sha256sum <"$SERIALPORT_PATCH" | cut -d' ' -f1)"
}
qt_sources_wanted() {
    qtbase_source_line
    qtserialport_source_lines
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
