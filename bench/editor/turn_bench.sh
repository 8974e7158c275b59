#!/bin/bash
# The turn bench in a real window under Xvfb:
#   bench/editor/turn_bench.sh <build folder>
set -euo pipefail
build=$1
cmake --build "$build" --target turn_bench quorbel quorbel_data quorbel_showdata >/dev/null
xvfb-run -a -s "-screen 0 1280x1024x24" "$build/bench/editor/turn_bench"
