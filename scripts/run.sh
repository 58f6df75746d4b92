#!/usr/bin/env bash
# Sets up, builds and starts Varnick.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh" "$root/build" -DCMAKE_BUILD_TYPE=Release -DVARNICK_TESTS=OFF
if [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} ]]; then
    echo "run: no display found (DISPLAY is not set); start Varnick from a desktop session." >&2
    exit 1
fi
exec "$root/build/ui/varnick"
