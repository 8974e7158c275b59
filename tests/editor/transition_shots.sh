#!/bin/bash
# Screenshots of the settings page's transition preview at 25, 50 and 75 percent under Xvfb:
#   tests/editor/transition_shots.sh <build folder> <output folder> [transition number]
set -euo pipefail
build=$(realpath "$1"); out=$(realpath -m "$2"); number=${3:-1}; mkdir -p "$out"
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
mkdir -p "$work/c" "$work/d" "$work/home"
cp -a "$build/program" "$work/prog"
printf 'GERMAN\r\n' > "$work/prog/LanguageIsSet.ini"
printf '[SETTINGS]\r\nLanguage=GERMAN\r\nDrive=D\r\nEffectMode=ON\r\n' > "$work/prog/Generator.ini"
: > "$work/prog/NoTip.ini"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" QUORBEL_DRIVES="C=$work/c;D=$work/d;Z=/"
xvfb-run -a -s "-screen 0 1280x1024x24" "$build/tests/editor/transition_shots" "$work/prog" "$out" "$number"
echo "screenshots in $out"
