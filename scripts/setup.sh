#!/usr/bin/env bash
# Installs the Debian packages that are missing, then configures and builds Varnick.
# Usage: scripts/setup.sh BUILD_DIR [extra cmake arguments...]
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${1:?usage: scripts/setup.sh BUILD_DIR [cmake arguments...]}
shift

source "$root/scripts/lib/packages.sh"
install_missing_packages setup "$root/scripts/packages.txt"

cmake -S "$root" -B "$build_dir" "$@"
cmake --build "$build_dir" --parallel "$(nproc)"
