# Shared by the scripts: installs what is missing and builds.
# shellcheck shell=bash

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BUILD_PACKAGES=(g++ cmake ninja-build qt6-base-dev qt6-serialport-dev qt6-qpa-plugins)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif command -v sudo >/dev/null 2>&1; then
        sudo "$@"
    else
        echo "Need root to run: $* (install sudo or run as root)" >&2
        return 1
    fi
}

# Installs the named Debian packages that are not installed yet; runs
# apt-get update only when something is missing.
ensure_packages() {
    local missing=() package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing ${missing[*]} ..."
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -o DPkg::Lock::Timeout=600 -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# configure_and_build DIR [cmake options...]
configure_and_build() {
    local dir=$1
    shift
    echo "Building in ${dir#"$ROOT"/} ..."
    mkdir -p "$dir"
    # The compiler's output goes to a log, shown only when the build fails.
    if ! { cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" &&
        cmake --build "$dir" -- -j"$(nproc)"; } >"$dir/build.log" 2>&1; then
        tail -n 40 "$dir/build.log" >&2
        echo "The build failed; the whole log is ${dir#"$ROOT"/}/build.log" >&2
        return 1
    fi
}
