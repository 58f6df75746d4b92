#!/usr/bin/env bash
# Installs the Debian packages that are missing, then configures and builds Varnick.
# Usage: scripts/setup.sh BUILD_DIR [extra cmake arguments...]
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${1:?usage: scripts/setup.sh BUILD_DIR [cmake arguments...]}
shift

mapfile -t wanted < <(grep -vE '^\s*(#|$)' "$root/scripts/packages.txt")
missing=()
for pkg in "${wanted[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
    [[ $status == "install ok installed" ]] || missing+=("$pkg")
done

if ((${#missing[@]})); then
    if ! command -v apt-get >/dev/null 2>&1; then
        echo "setup: these packages are missing and this system has no apt-get: ${missing[*]}" >&2
        echo "setup: install them with your package manager, then run this command again." >&2
        exit 1
    fi
    sudo=()
    if ((EUID != 0)); then
        if command -v sudo >/dev/null 2>&1; then
            sudo=(sudo)
        else
            echo "setup: these packages are missing: ${missing[*]}" >&2
            echo "setup: installing them needs root; run this command as root or install them first." >&2
            exit 1
        fi
    fi
    echo "setup: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get update -qq
    "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S "$root" -B "$build_dir" "$@"
cmake --build "$build_dir" --parallel "$(nproc)"
