#!/bin/bash
# The pictures page under Xvfb with ten pictures in the show and a source folder of twenty:
#   bench/editor/pictures_screenshot.sh <build folder> <output folder>
set -euo pipefail
source "$(dirname "$0")/../../tests/support/screenshot_world.sh"
mkdir -p "$work/d/Urlaub"
colours=(skyblue orange seagreen gold steelblue salmon khaki orchid tomato teal
         navy coral olive plum sienna turquoise wheat crimson peru slateblue)
for i in $(seq 1 20); do
  c=${colours[$((i - 1))]}
  if (( i % 3 == 0 )); then size=900x1200; else size=1200x800; fi
  convert -size "$size" "gradient:$c-white" -fill white -draw "circle 600,300 600,420" \
    -fill "$c" -draw "rectangle 0,600 1200,1200" "$work/d/Urlaub/bild$(printf %02d "$i").jpg"
done
xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$build/bench/editor/pictures_screenshot" "$work/prog" 'D:\Urlaub\' "$out/pictures_page.png"
echo "screenshot in $out/pictures_page.png"
