#!/usr/bin/env bash
# Fails when a source file includes a header of a higher layer. The layers, bottom up:
#   platform  <  sdk (the imaging engine)  <  util  <  controls, imaging, effects  <  show
#   <  app, editor  <  output (audio, video, web, print)  <  the programs (main, player, ripper, encoder)
# Folders of one layer stand alone, except the pairs in SAME_LAYER below (each with its reason);
# the outputs never include the editor. Both "quoted" and <angle-bracket> includes of our own
# folders are read. Tests and benchmarks may include anything.
#
#   scripts/check-layers.sh [source-root]   checks source-root (default: src beside this script)
#   scripts/check-layers.sh --self-test     checks that the check finds an upward include
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)

# Includes that still run upward, each with the reason it stays for now. A line is
# "file-under-src include".
read -r -d '' KNOWN_UPWARD <<'EOF' || true
EOF
# None stay now; an include added here needs its reason beside it.

# Folders of one layer that may include each other's headers: "from to", one pair a line.
read -r -d '' SAME_LAYER <<'EOF' || true
effects/ui effects
effects/ui imaging
effects/ui controls
editor app
output/video output/audio
EOF
# effects/ui: the effect windows hold the drawing control, which runs the paint effects on the
#   image control, and show their lists through the markup controls.
# editor app: the editor's windows take the product identity, the language and the text table
#   that the start-up set.
# output/video output/audio: the video run builds its soundtrack from the wave streams and checks
#   each track with the audio analysis.

# Includes that a layer's rank alone would let through but that the design forbids: "from to".
read -r -d '' DENIED <<'EOF' || true
output/audio editor
output/video editor
output/web editor
output/print editor
EOF
# The outputs take the show as a value (src/show) and never reach into the editor's windows.

# The folder of a path under the source root that decides its layer.
module_of() {
    case "$1" in
    effects/ui/*) echo effects/ui ;;
    output/*/*) echo "output/$(cut -d/ -f2 <<<"$1")" ;;
    output/*) echo output ;;
    */*) echo "${1%%/*}" ;;
    *) echo "" ;;
    esac
}

rank_of() {
    case "$1" in
    platform) echo 0 ;;
    sdk) echo 1 ;;
    util) echo 2 ;;
    controls | imaging | effects | effects/ui) echo 3 ;;
    show) echo 4 ;;
    app | editor) echo 5 ;;
    output | output/*) echo 6 ;;
    main | player | ripper | encoder) echo 7 ;;
    *) echo "" ;;
    esac
}

# May a file of module $1 include a header of module $2?
allowed() {
    local from=$1 to=$2 rf rt
    rf=$(rank_of "$from")
    rt=$(rank_of "$to")
    if [[ -z $rf ]]; then
        echo "unknown layer: src/$from (add it to scripts/check-layers.sh)" >&2
        return 1
    fi
    [[ -z $rt ]] && return 0 # not one of ours (a system, Qt or library header)
    [[ $from == "$to" ]] && return 0
    grep -qxF "$from $to" <<<"$DENIED" && return 1
    ((rt < rf)) && return 0
    ((rt > rf)) && return 1
    grep -qxF "$from $to" <<<"$SAME_LAYER"
}

check_tree() {
    local root=$1 failures=0 file rel from line number include to used="" known
    while IFS= read -r file; do
        rel=${file#"$root"/}
        from=$(module_of "$rel")
        [[ -z $from ]] && continue
        while IFS=: read -r number line; do
            [[ $line =~ include[[:space:]]*[\"\<]([^\"\>]+)[\"\>] ]] || continue
            include=${BASH_REMATCH[1]}
            case "$include" in
            ./* | ../*) include=$(realpath -m --relative-to="$root" "$root/$(dirname "$rel")/$include") ;;
            *..*) include=$(realpath -m --relative-to=/ "/$include") ;;
            esac
            [[ $include != */* ]] && continue # a header beside the file
            to=$(module_of "$include")
            if ! allowed "$from" "$to"; then
                if grep -qxF "$rel $include" <<<"$KNOWN_UPWARD"; then
                    used+="$rel $include"$'\n'
                    continue
                fi
                echo "src/$rel:$number: $from includes $include of a higher layer ($to)"
                failures=$((failures + 1))
            fi
        done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<]' "$file" || true)
    done < <(find "$root" -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.c' \) | sort)
    # A known exception that no longer occurs goes from the list, so it cannot cover a new one.
    if [[ $root == "$(cd "$here/../src" && pwd)" ]]; then
        while IFS= read -r known; do
            [[ -z $known ]] && continue
            if ! grep -qxF "$known" <<<"$used"; then
                echo "scripts/check-layers.sh: the known upward include \"$known\" is gone; take it off the list"
                failures=$((failures + 1))
            fi
        done <<<"$KNOWN_UPWARD"
    fi
    if ((failures > 0)); then
        echo "$failures include(s) from a lower layer to a higher one" >&2
        return 1
    fi
    return 0
}

self_test() {
    local tmp status=0
    tmp=$(mktemp -d)
    trap 'rm -rf "$tmp"' RETURN
    mkdir -p "$tmp/src/output/video" "$tmp/src/editor" "$tmp/src/controls" "$tmp/src/effects/ui" "$tmp/src/show" "$tmp/src/main"
    # Downward, the listed pairs of one layer, and the effect windows on the image control: fine.
    printf '#include "app/language.h"\n#include "show/showhost.h"\n#include "output/audio/wave.h"\n#include <libavcodec/avcodec.h>\n' >"$tmp/src/output/video/a.cpp"
    printf '#include "app/language.h"\n#include "local.h"\n#include <QString>\n#include <sdk/bitmap.h>\n' >"$tmp/src/editor/b.cpp"
    printf '#include "imaging/piximage.h"\n' >"$tmp/src/effects/ui/c.cpp"
    printf '#include "editor/mainform.h"\n#include <output/web/htmlform.h>\n' >"$tmp/src/main/m.cpp"
    if ! check_tree "$tmp/src" >/dev/null; then
        echo "self-test: a tree without upward includes was refused" >&2
        status=1
    fi
    # Each of these runs upward and must be found.
    local -a bad=(
        "show/d.cpp|#include \"editor/mainform.h\""
        "controls/e.h|#include \"imaging/piximage.h\""
        "editor/f.cpp|  #  include \"output/video/dvdform.h\""
        "output/video/g.cpp|#include \"encoder/mpdx.h\""
        "show/h.cpp|#include \"platform/../editor/mainform.h\""
        "show/i.cpp|#include \"../output/web/htmlform.h\""
        "platform/j.cpp|#include \"sdk/bitmap.h\""
        "sdk/k.cpp|#include \"util/strutils.h\""
        "output/web/gallerywriter.cpp|#include \"editor/mainform.h\""
        "output/print/l.cpp|#include <editor/mainform.h>"
        "app/m.cpp|#include \"editor/mainform.h\""
        "output/audio/n.cpp|#include \"output/video/videorun.h\""
        "output/web/o.cpp|#include \"output/print/report.h\""
        "controls/p.cpp|#include \"effects/bitmap.h\""
        "show/q.cpp|#  include <editor/mainform.h>"
        "util/r.h|#include <imaging/piximage.h>"
    )
    local entry path text out
    for entry in "${bad[@]}"; do
        path=${entry%%|*}
        text=${entry#*|}
        mkdir -p "$tmp/bad/$(dirname "$path")"
        printf '%s\n' "$text" >"$tmp/bad/$path"
        if out=$(check_tree "$tmp/bad" 2>/dev/null); then
            echo "self-test: not found: src/$path: $text" >&2
            status=1
        elif ! grep -q "src/$path:1:" <<<"$out"; then
            echo "self-test: reported without its place: $out" >&2
            status=1
        fi
        rm -rf "$tmp/bad"
    done
    ((status == 0)) && echo "layer check self-test passed"
    return $status
}

if [[ ${1:-} == --self-test ]]; then
    self_test
    exit
fi
root=${1:-$here/../src}
check_tree "$(cd "$root" && pwd)"
echo "no include runs from a lower layer to a higher one"
