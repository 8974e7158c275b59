#!/bin/bash
# Screenshots of the make step under Xvfb, for a look by eye:
#   tests/editor/make_screenshots.sh <build folder> <output folder>
set -euo pipefail
build=$(realpath "$1"); out=$(realpath -m "$2"); mkdir -p "$out"
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
mkdir -p "$work/c" "$work/d" "$work/home"
cp -a "$build/program" "$work/prog"
printf 'GERMAN\r\n' > "$work/prog/LanguageIsSet.ini"
printf '[SETTINGS]\r\nLanguage=GERMAN\r\nDrive=D\r\n' > "$work/prog/Generator.ini"
: > "$work/prog/NoTip.ini"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" QUORBEL_DRIVES="C=$work/c;D=$work/d;Z=/"
xvfb-run -a -s "-screen 0 1280x1024x24" "$build/tests/editor/make_screenshots" "$work/prog" "$out"
