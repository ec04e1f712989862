# Shared by scripts/windows and scripts/test: packs the cached Windows Qt as a
# relocatable archive, and unpacks one in its place. Text files name the Qt's
# folder through a placeholder that unpacking replaces; nothing in the archive
# may name a folder of the machine that built it.
# shellcheck shell=bash

QT_PREFIX_PLACEHOLDER=@VEVEVAR_WINDOWS_QT_PREFIX@

# pack_qt FILE: the cached Qt as FILE (.tar.xz), with its line in the
# SHA256SUMS beside it.
pack_qt() {
    local file stage top leaks sums
    file=$(realpath -m "$1")
    windows_qt_ready || { echo "No Windows Qt in ${QT_WIN_CACHE/#"$HOME"/\~} to pack: run scripts/windows first." >&2; return 1; }
    stage=$(mktemp -d)
    top=$stage/$(basename "$QT_WIN_PREFIX")
    cp -a "$QT_WIN_PREFIX" "$top"
    # qmake's files also name the source and build folders beside the Qt,
    # which do not travel: those keep their names within the cache.
    grep -rlIZF "$QT_WIN_CACHE" "$top" |
        xargs -0 -r sed -i -e "s|$QT_WIN_PREFIX|$QT_PREFIX_PLACEHOLDER|g" -e "s|$QT_WIN_CACHE/||g"
    leaks=$(grep -rlaF -e "$QT_WIN_CACHE" -e "$ROOT" "$top" || true)
    if [ -n "$leaks" ]; then
        echo "These files still name a folder of this machine; nothing packed:" >&2
        echo "${leaks//"$stage"\//}" >&2
        rm -rf "$stage"
        return 1
    fi
    echo "Packing the Windows Qt into $file ..."
    mkdir -p "$(dirname "$file")"
    tar -C "$stage" --owner=0 --group=0 --sort=name -cJf "$file" "$(basename "$top")"
    rm -rf "$stage"
    sums=$(dirname "$file")/SHA256SUMS
    { grep -v "  $(basename "$file")\$" "$sums" 2>/dev/null || true
      (cd "$(dirname "$file")" && sha256sum "$(basename "$file")"); } >"$sums.new"
    mv "$sums.new" "$sums"
    echo "Written $file and its line in $sums."
}

# True when QT_WIN_ARCHIVE is there, its checksum holds and it was built from
# the sources this script would build from; otherwise says why.
qt_archive_usable() {
    local archive=$QT_WIN_ARCHIVE folder line recorded wanted
    folder=$(dirname "$archive")
    if [ ! -f "$archive" ]; then
        echo "No prebuilt Windows Qt at $archive."
        return 1
    fi
    line=$(grep -s "  $(basename "$archive")\$" "$folder/SHA256SUMS" || true)
    if [ -z "$line" ]; then
        echo "The prebuilt Windows Qt $archive has no line in $folder/SHA256SUMS."
        return 1
    fi
    if ! (cd "$folder" && echo "$line" | sha256sum --quiet --strict -c - >/dev/null 2>&1); then
        echo "The prebuilt Windows Qt $archive does not match its SHA-256."
        return 1
    fi
    recorded=$(tar -xJOf "$archive" "$(basename "$QT_WIN_PREFIX")/SOURCES" 2>/dev/null || true)
    wanted=$(qt_sources_wanted)
    if [ "$recorded" != "$wanted" ]; then
        echo "The prebuilt Windows Qt $archive was built from other sources than the ones named here:"
        diff <(echo "$recorded") <(echo "$wanted") | sed -n 's/^< /  archive: /p; s/^> /  wanted:  /p'
        return 1
    fi
}

# The archive's Qt in the cache, its placeholder replaced by the cache's folder.
unpack_qt_archive() {
    echo "Unpacking the prebuilt Windows Qt $QT_WIN_ARCHIVE ..."
    rm -rf "$QT_WIN_PREFIX"
    mkdir -p "$QT_WIN_CACHE"
    tar -xJf "$QT_WIN_ARCHIVE" -C "$QT_WIN_CACHE"
    grep -rlIZF "$QT_PREFIX_PLACEHOLDER" "$QT_WIN_PREFIX" | xargs -0 -r sed -i "s|$QT_PREFIX_PLACEHOLDER|$QT_WIN_PREFIX|g"
}
