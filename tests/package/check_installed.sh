#!/usr/bin/env bash
# Checks an installed tree, from `cmake --install --prefix` or an unpacked
# package's usr/: exactly the programs, their desktop files, compressed manual
# pages, Debian changelog and the PyMeasure driver are there, the programs
# start without a display and name VERSION, each manual page covers every
# option its program's --help lists, and the driver is Python that Debian's
# python3 finds once the tree is /usr.
#   check_installed.sh PREFIX VERSION
set -euo pipefail
prefix=$1
version=$2
programs=(vevevar-azevora vevevar-cli vevevar-virtual-board)
icon_sizes=(16 32 48 64 128 256)
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

driver=lib/python3/dist-packages/vevevar_azevora.py
expected=(share/applications/vevevar-azevora.desktop share/doc/vevevar-azevora/changelog.Debian.gz "$driver")
for program in "${programs[@]}"; do
    expected+=("bin/$program" "share/man/man1/$program.1.gz")
done
for size in "${icon_sizes[@]}"; do
    expected+=("share/icons/hicolor/${size}x${size}/apps/vevevar-azevora.png")
done
installed=$(cd "$prefix" && find . -type f -printf '%P\n' | sort)
wanted=$(printf '%s\n' "${expected[@]}" | sort)
if [ "$installed" != "$wanted" ]; then
    fail "installed files differ from the expected ones (< installed, > expected):"
    diff <(echo "$installed") <(echo "$wanted") >&2 || true
fi

# As on a machine without a desktop session: --version must not need one.
headless=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)
for program in "${programs[@]}"; do
    binary="$prefix/bin/$program"
    [ -x "$binary" ] || continue
    if ! shown=$("${headless[@]}" "$binary" --version); then
        fail "$program --version failed"
    elif [ "$shown" != "$program $version" ]; then
        fail "$program --version printed '$shown', not '$program $version'"
    else
        echo "$program --version: $shown"
    fi

    page="$prefix/share/man/man1/$program.1.gz"
    [ -f "$page" ] || continue
    if ! help=$("${headless[@]}" "$binary" --help); then
        fail "$program --help failed"
        continue
    fi
    page_text=$(zcat "$page" | sed 's/\\-/-/g')
    for option in $(grep -o -- '--[a-z][a-z-]*' <<<"$help" | sort -u); do
        grep -q -- "$option" <<<"$page_text" || fail "$program.1 does not describe $option"
    done
    if command -v groff >/dev/null; then
        warnings=$(zcat "$page" | groff -man -ww -z 2>&1)
        [ -z "$warnings" ] || fail "$program.1 has formatting warnings: $warnings"
    fi
done

for size in "${icon_sizes[@]}"; do
    icon="$prefix/share/icons/hicolor/${size}x${size}/apps/vevevar-azevora.png"
    [ -f "$icon" ] || continue
    [ "$(od -An -tx1 -N8 "$icon" | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "$icon is not a PNG file"
    read -r w1 w2 w3 w4 h1 h2 h3 h4 <<<"$(od -An -tu1 -j16 -N8 "$icon")"
    width=$(((w1 << 24) | (w2 << 16) | (w3 << 8) | w4))
    height=$(((h1 << 24) | (h2 << 16) | (h3 << 8) | h4))
    if [ "$width" -ne "$size" ] || [ "$height" -ne "$size" ]; then
        fail "$icon is ${width}x${height}, not ${size}x${size}"
    fi
done

desktop="$prefix/share/applications/vevevar-azevora.desktop"
if [ -f "$desktop" ]; then
    grep -qx 'Name=Vevevar Azevora' "$desktop" || fail "the desktop file does not name Vevevar Azevora"
    grep -qx 'Exec=vevevar-azevora --simulate' "$desktop" || fail "the desktop file has no simulated-board action"
    for command in $(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop"); do
        [ -x "$prefix/bin/$command" ] || fail "the desktop file starts $command, which is not installed"
    done
    icon_name=$(sed -n 's/^Icon=//p' "$desktop")
    [ -f "$prefix/share/icons/hicolor/48x48/apps/$icon_name.png" ] || fail "the desktop file's icon $icon_name is not installed"
    if command -v desktop-file-validate >/dev/null; then
        desktop-file-validate "$desktop" || fail "desktop-file-validate refused the desktop file"
    else
        echo "desktop-file-validate is not installed; the desktop file was not validated"
    fi
fi

if [ -f "$prefix/$driver" ] && command -v python3 >/dev/null; then
    python3 -c 'import ast, sys; ast.parse(open(sys.argv[1]).read())' "$prefix/$driver" ||
        fail "the PyMeasure driver is not valid Python"
    /usr/bin/python3 -c 'import sys; sys.exit("/usr/lib/python3/dist-packages" not in sys.path)' ||
        fail "python3 does not look for modules in /usr/lib/python3/dist-packages"
fi

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed in $prefix" >&2
    exit 1
fi
echo "installed tree in order: ${#expected[@]} files"
