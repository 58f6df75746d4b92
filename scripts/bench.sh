#!/usr/bin/env bash
# Builds the benchmarks (Release) and prints every figure: Varnick's median, the baseline's median, their ratio
# and the goal. Starts its own X server (Xvfb) on a free display. Not part of the test command.
# Usage: scripts/bench.sh [--runs N]
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$root/build-bench
runs=15
while (($#)); do
    case $1 in
        --runs) runs=${2:?--runs needs a number}; shift 2 ;;
        *) echo "usage: scripts/bench.sh [--runs N]" >&2; exit 2 ;;
    esac
done

"$root/scripts/setup.sh" "$build" -DCMAKE_BUILD_TYPE=Release -DVARNICK_BENCH=ON -DVARNICK_TESTS=OFF

work=$(mktemp -d)
xvfb_pid=
cleanup() {
    if [[ -n $xvfb_pid ]]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
    rm -rf "$work" "$build/bench-files"
}
trap cleanup EXIT

# Xvfb picks a free display itself and writes its number once it accepts connections.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
    [[ -s $work/display ]] && break
    kill -0 "$xvfb_pid" 2>/dev/null || { cat "$work/xvfb.log" >&2; echo "bench: Xvfb did not start" >&2; exit 1; }
    sleep 0.1
done
[[ -s $work/display ]] || { echo "bench: Xvfb did not report a display" >&2; exit 1; }
export DISPLAY=:$(head -n1 "$work/display")
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY

memory=$(awk '/^MemTotal:/ {printf "%.1f GiB", $2 / 1048576}' /proc/meminfo)
cpu=$(grep -m1 '^model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')
echo "machine: $(nproc) CPUs, ${cpu:-unknown CPU}, $memory memory; $runs runs per figure, medians; display $DISPLAY"
printf '%-40s %12s %12s %7s %-18s %s\n' figure varnick baseline ratio goal result
"$build/bench/varnick_bench_ui" --runs "$runs" "$build/ui/varnick" "$build/bench/varnick_baseline"
"$build/bench/varnick_bench_file" --runs "$runs" "$build/bench-files"
