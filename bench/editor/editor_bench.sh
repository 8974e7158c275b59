#!/bin/bash
# The editor bench in a real window under Xvfb:
#   bench/editor/editor_bench.sh <build folder> [photo folder]
# With BENCH_CPUS set (for example 0-3) the whole run, the anchors included, is pinned to those cores.
set -euo pipefail
build=$1
shift
cmake --build "$build" --target editor_bench quorbel quorbel_data quorbel_showdata >/dev/null
pin=()
if [ -n "${BENCH_CPUS:-}" ]; then pin=(taskset -c "$BENCH_CPUS"); fi
"${pin[@]}" xvfb-run -a -s "-screen 0 1280x1024x24" "$build/bench/editor/editor_bench" "$@"
