#!/usr/bin/env bash
# Sets up, builds (with AddressSanitizer, UndefinedBehaviorSanitizer and warnings as errors) and runs every test.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh" "$root/build-test" -DCMAKE_BUILD_TYPE=Debug -DVARNICK_SANITIZE=ON -DVARNICK_WERROR=ON
cd "$root/build-test"
exec ctest --output-on-failure --timeout 300
