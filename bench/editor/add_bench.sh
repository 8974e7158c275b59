#!/bin/bash
# ">>" with 1,000 and 5,000 pictures in a real window under Xvfb:
#   bench/editor/add_bench.sh <build folder>
set -euo pipefail
build=$1
cmake --build "$build" --target add_bench quorbel quorbel_data quorbel_showdata >/dev/null
xvfb-run -a -s "-screen 0 1280x1024x24" "$build/bench/editor/add_bench"
