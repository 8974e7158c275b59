#!/bin/bash
# The player against feh's slide show of the same 20 photos, full screen on a 1920 x 1080 Xvfb,
# the screen captured by ffmpeg:
#   bench/player/player_bench.sh <build folder>
# With BENCH_CPUS set (for example 0-3) the whole run, the anchor and the capture included, is
# pinned to those cores. feh, the anchor, is installed when missing (it is no dependency of ours).
set -euo pipefail
build=$1
shift
if ! command -v feh >/dev/null; then apt-get install -y feh >/dev/null; fi
cmake --build "$build" --target player_bench >/dev/null
pin=()
if [ -n "${BENCH_CPUS:-}" ]; then pin=(taskset -c "$BENCH_CPUS"); fi
"${pin[@]}" xvfb-run -a -s "-screen 0 1920x1080x24" "$build/bench/player/player_bench" "$@"
