#!/bin/bash
# The editor bench in a real window under Xvfb:
#   bench/editor/editor_bench.sh <build folder> [photo folder]
set -euo pipefail
build=$1
shift
cmake --build "$build" --target editor_bench quorbel quorbel_data quorbel_showdata >/dev/null
xvfb-run -a -s "-screen 0 1280x1024x24" "$build/bench/editor/editor_bench" "$@"
