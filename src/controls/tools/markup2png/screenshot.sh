#!/bin/sh
# A screenshot of a show list on a real X display (Xvfb): 50 thumbnail rows, three selected.
#   src/controls/tools/markup2png/screenshot.sh [build folder] [output png]
set -eu
build=${1:-build}
out=${2:-/tmp/markup-list.png}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mkdir -p "$dir/c/Show"
captions="Harbour at dawn|The old lighthouse|Market day in the square, with the fish stalls and the flower sellers in the morning sun|Grandma's garden|Boats|Sunset over the bay|Breakfast on the terrace|The long walk along the cliffs to the next village and back again before the rain|Church tower|Evening"
: > "$dir/c/items.txt"
for i in $(seq 1 50); do
    hue=$(( (i * 37) % 100 ))
    convert -size 93x70 "gradient:hsb($hue%,60%,90%)-hsb($(( (hue + 30) % 100 ))%,80%,40%)" \
        -fill "hsb($(( (hue + 50) % 100 ))%,50%,95%)" -draw "circle $(( 20 + i % 50 )),$(( 20 + i % 30 )) $(( 30 + i % 50 )),$(( 28 + i % 30 ))" \
        "$dir/c/Show/_THUMB_IMG_$(printf %04d "$i").jpg"
    caption=$(echo "$captions" | cut -d'|' -f$(( (i - 1) % 10 + 1 )))
    printf '<IMG src="file://C:\\Show\\_THUMB_IMG_%04d.jpg" align="top">IMG_%04d.jpg | %s\n' "$i" "$i" "$caption" >> "$dir/c/items.txt"
done
QUORBEL_DRIVES="C=$dir/c;Z=/" xvfb-run -a -s "-screen 0 800x900x24" \
    "$build/src/controls/markup2png" --screen --list 'C:\items.txt' --font "DejaVu Sans,9" \
    --width 380 --height 800 --select 1,2,4 -o "$out"
echo "$out"
