#!/bin/bash
# Screenshots of the effects dialog, the colour dialog and the full-size viewer under Xvfb, for a
# look by eye:
#   tests/effects/screenshots.sh <build folder> <output folder>
set -euo pipefail
source "$(dirname "$0")/../support/screenshot_world.sh"
xvfb-run -a -s "-screen 0 1280x1024x24" "$build/tests/effects/effects_screenshots" "$work/prog" "$out"
echo "screenshots in $out"
