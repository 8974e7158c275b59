#!/bin/bash
# The pictures page under Xvfb with ten pictures in the show and a source folder of twenty:
#   bench/editor/pictures_screenshot.sh <build folder> <output folder>
set -euo pipefail
build=$(realpath "$1"); out=$(realpath -m "$2"); mkdir -p "$out"
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
mkdir -p "$work/c" "$work/d/Urlaub" "$work/home"
cp -a "$build/program" "$work/prog"
printf 'GERMAN\r\n' > "$work/prog/LanguageIsSet.ini"
printf '[SETTINGS]\r\nLanguage=GERMAN\r\nDrive=D\r\n' > "$work/prog/Generator.ini"
: > "$work/prog/NoTip.ini"
colours=(skyblue orange seagreen gold steelblue salmon khaki orchid tomato teal
         navy coral olive plum sienna turquoise wheat crimson peru slateblue)
for i in $(seq 1 20); do
  c=${colours[$((i - 1))]}
  if (( i % 3 == 0 )); then size=900x1200; else size=1200x800; fi
  convert -size "$size" "gradient:$c-white" -fill white -draw "circle 600,300 600,420" \
    -fill "$c" -draw "rectangle 0,600 1200,1200" "$work/d/Urlaub/bild$(printf %02d "$i").jpg"
done
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" QUORBEL_DRIVES="C=$work/c;D=$work/d;Z=/"
xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$build/bench/editor/pictures_screenshot" "$work/prog" 'D:\Urlaub\' "$out/pictures_page.png"
echo "screenshot in $out/pictures_page.png"
