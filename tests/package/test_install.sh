#!/usr/bin/env bash
# Installs the build into a scratch prefix, as a user would, and checks what
# landed there.
#   test_install.sh CMAKE BUILD_DIR VERSION
set -euo pipefail
cmake=$1
build=$2
version=$3
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
"$cmake" --install "$build" --prefix "$prefix" >/dev/null
bash "$(dirname "$0")/check_installed.sh" "$prefix" "$version"
