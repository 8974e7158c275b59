#!/bin/bash
# Screenshots of the print dialogs under Xvfb, for a look by eye:
#   tests/editor/print_screenshots.sh <build folder> <output folder>
set -euo pipefail
source "$(dirname "$0")/../support/screenshot_world.sh"
xvfb-run -a -s "-screen 0 1280x1024x24" "$build/tests/editor/print_screenshots" "$work/prog" "$out"
echo "screenshots in $out"
