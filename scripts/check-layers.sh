#!/usr/bin/env bash
# Fails when a source file includes a header of a higher layer. The layers, bottom up:
#   platform (its core, then its UI part)  <  sdk (the imaging engine)  <  util
#   <  controls, imaging, effects  <  show  <  app, editor  <  output (audio, video, web, print)
#   <  the programs (main, player, ripper, encoder)
# Folders of one layer stand alone, except the pairs in SAME_LAYER below (each with its reason);
# the outputs never include the editor. The platform's UI part is the files that
# src/platform/CMakeLists.txt builds into quorbel_platformui; the core never includes them.
# Both "quoted" and <angle-bracket> includes of our own folders are read. Tests and benchmarks
# may include anything.
#
#   scripts/check-layers.sh [source-root]   checks source-root (default: src beside this script)
#   scripts/check-layers.sh --links TABLE [source-root]
#                                           checks that every include names a header of the
#                                           file's own target or of a target it links (TABLE:
#                                           written by CMake, build/include-table.txt)
#   scripts/check-layers.sh --self-test     checks that both checks find what they must
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)

# Includes that still run upward, each with the reason it stays for now. A line is
# "file-under-src include".
read -r -d '' KNOWN_UPWARD <<'EOF' || true
EOF
# None stay now; an include added here needs its reason beside it.

# Folders of one layer that may include each other's headers: "from to", one pair a line.
read -r -d '' SAME_LAYER <<'EOF' || true
platform/ui platform
effects/ui effects
effects/ui imaging
effects/ui controls
editor app
output/video output/audio
EOF
# platform/ui platform: the platform's UI part stands on its core (never the other way round).
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
sdk platform/ui
EOF
# The outputs take the show as a value (src/show) and never reach into the editor's windows.
# The imaging engine owns no windows: it stands on the platform's core alone; the scanner's
#   source dialog is the image control's (src/imaging), installed into the engine as a callback.

# The platform's UI part: the names (without .cpp) of the sources of quorbel_platformui in
# <root>/platform/CMakeLists.txt, one a line.
PLATFORM_UI=""
read_platform_ui() {
    local cmake=$1/platform/CMakeLists.txt line
    line=$(grep -E '^add_library\(quorbel_platformui STATIC [^)]*\)' "$cmake" 2>/dev/null || true)
    if [[ -z $line ]]; then
        echo "$cmake: no line \"add_library(quorbel_platformui STATIC <sources>)\"" >&2
        return 1
    fi
    line=${line#*STATIC }
    line=${line%)*}
    PLATFORM_UI=" $(tr ' ' '\n' <<<"$line" | sed -n 's/\.cpp$//p' | tr '\n' ' ') "
}

# The folder of a path under the source root that decides its layer (in REPLY: no subshell per
# include keeps the check quick).
module_of() {
    local rest
    case "$1" in
    platform/*.h | platform/*.cpp)
        rest=${1#platform/}
        rest=${rest%.*}
        if [[ $PLATFORM_UI == *" $rest "* ]]; then REPLY=platform/ui; else REPLY=platform; fi
        ;;
    effects/ui/*) REPLY=effects/ui ;;
    output/*/*)
        rest=${1#output/}
        REPLY=output/${rest%%/*}
        ;;
    output/*) REPLY=output ;;
    */*) REPLY=${1%%/*} ;;
    *) REPLY="" ;;
    esac
}

# The rank of a module (in REPLY; empty when it is not one of ours).
rank_of() {
    case "$1" in
    platform | platform/ui) REPLY=0 ;;
    sdk) REPLY=1 ;;
    util) REPLY=2 ;;
    controls | imaging | effects | effects/ui) REPLY=3 ;;
    show) REPLY=4 ;;
    app | editor) REPLY=5 ;;
    output | output/*) REPLY=6 ;;
    main | player | ripper | encoder) REPLY=7 ;;
    *) REPLY="" ;;
    esac
}

# May a file of module $1 include a header of module $2?
allowed() {
    local from=$1 to=$2 rf rt
    rank_of "$from"
    rf=$REPLY
    rank_of "$to"
    rt=$REPLY
    if [[ -z $rf ]]; then
        echo "unknown layer: src/$from (add it to scripts/check-layers.sh)" >&2
        return 1
    fi
    [[ -z $rt ]] && return 0 # not one of ours (a system, Qt or library header)
    [[ $from == "$to" ]] && return 0
    [[ $'\n'$DENIED$'\n' == *$'\n'"$from $to"$'\n'* ]] && return 1
    ((rt < rf)) && return 0
    ((rt > rf)) && return 1
    [[ $'\n'$SAME_LAYER$'\n' == *$'\n'"$from $to"$'\n'* ]]
}

check_tree() {
    local root=$1 failures=0 file rel from line number include to used="" known
    read_platform_ui "$root" || return 1
    while IFS= read -r file; do
        rel=${file#"$root"/}
        module_of "$rel"
        from=$REPLY
        [[ -z $from ]] && continue
        while IFS=: read -r number line; do
            [[ $line =~ include[[:space:]]*[\"\<]([^\"\>]+)[\"\>] ]] || continue
            include=${BASH_REMATCH[1]}
            case "$include" in
            ./* | ../*) include=$(realpath -m --relative-to="$root" "$root/$(dirname "$rel")/$include") ;;
            *..*) include=$(realpath -m --relative-to=/ "/$include") ;;
            esac
            # A "header" beside the file is of the file's folder (the platform's two parts share one).
            [[ $include != */* && $line =~ include[[:space:]]*\" ]] && include=${rel%/*}/$include
            [[ $include != */* ]] && continue
            module_of "$include"
            to=$REPLY
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

# Every include of a file under root names a header of the file's own target or of a target that
# target links (table: "target <name> <folder> <linked targets...>" and "source <name> <file>"
# lines). A header belongs to the targets that build it or the source of the same name; a header
# of neither kind belongs to the targets defined in its folder (or the nearest folder above).
check_links() {
    local table=$1 root=$2 failures=0 kind name folder rest file rel stem line number include owners
    local owner target ok dir included
    declare -A links=() by_stem=() by_folder=()
    while read -r kind name folder rest; do
        case "$kind" in
        target)
            links[$name]=" $name $rest "
            by_folder[$folder]+=" $name"
            ;;
        source) by_stem[${folder%.*}]+=" $name" ;;
        esac
    done <"$table"
    if ((${#links[@]} == 0)); then
        echo "$table: no targets" >&2
        return 1
    fi
    # The targets a file under root belongs to (in REPLY).
    owners_of() {
        local stem=${1%.*} dir
        REPLY=${by_stem[$stem]:-}
        [[ -n $REPLY ]] && return
        dir=$1
        while [[ $dir == */* ]]; do
            dir=${dir%/*}
            REPLY=${by_folder[$dir]:-}
            [[ -n $REPLY ]] && return
        done
    }
    while IFS= read -r file; do
        rel=${file#"$root"/}
        owners_of "$rel"
        owners=$REPLY
        [[ -z $owners ]] && continue # built by no target
        while IFS=: read -r number line; do
            [[ $line =~ include[[:space:]]*[\"\<]([^\"\>]+)[\"\>] ]] || continue
            include=${BASH_REMATCH[1]}
            dir=${rel%/*}
            if [[ $line =~ include[[:space:]]*\" && -f $root/$dir/$include ]]; then
                include=$dir/$include
            elif [[ ! -f $root/$include ]]; then
                continue # not one of ours
            fi
            [[ $include == *..* || $include == */./* ]] && include=$(realpath -m --relative-to="$root" "$root/$include")
            ok=0
            owners_of "$include"
            included=$REPLY
            for owner in $included; do
                for target in $owners; do
                    [[ ${links[$target]} == *" $owner "* ]] && ok=1
                done
            done
            if ((ok == 0)); then
                echo "src/$rel:$number: includes $include (of$included), which$owners does not link"
                failures=$((failures + 1))
            fi
        done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<]' "$file" || true)
    done < <(find "$root" -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.c' \) | sort)
    if ((failures > 0)); then
        echo "$failures include(s) of a header of a target that is not linked" >&2
        return 1
    fi
    return 0
}

# The platform's UI part in a tree of the self-test.
platform_cmake() {
    mkdir -p "$1/platform"
    printf 'add_library(quorbel_platformcore STATIC files.cpp)\nadd_library(quorbel_platformui STATIC dialogs.cpp media.cpp)\n' >"$1/platform/CMakeLists.txt"
}

self_test() {
    local tmp status=0
    tmp=$(mktemp -d)
    trap 'rm -rf "$tmp"' RETURN
    mkdir -p "$tmp/src/output/video" "$tmp/src/editor" "$tmp/src/controls" "$tmp/src/effects/ui" "$tmp/src/show" "$tmp/src/main"
    platform_cmake "$tmp/src"
    # The UI part of the platform on its core, and the layers above on either part: fine.
    printf '#include "drives.h"\n#include "platform/files.h"\n#include "media.h"\n' >"$tmp/src/platform/dialogs.cpp"
    printf '#include "platform/dialogs.h"\n#include "platform/files.h"\n' >"$tmp/src/show/s.cpp"
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
        "platform/files.cpp|#include \"platform/dialogs.h\""
        "platform/inifile.h|#include \"media.h\""
        "platform/drives.cpp|#include <platform/dialogs.h>"
        "sdk/twain.cpp|#include \"platform/dialogs.h\""
    )
    local entry path text out
    for entry in "${bad[@]}"; do
        path=${entry%%|*}
        text=${entry#*|}
        mkdir -p "$tmp/bad/$(dirname "$path")"
        platform_cmake "$tmp/bad"
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

    # The include check against the targets' links: the platform's core and UI part, the sdk and
    # its scanner part on the core, and a program over all of them.
    local t=$tmp/links
    mkdir -p "$t/src/platform" "$t/src/sdk" "$t/src/main"
    cat >"$t/table" <<'TABLE'
target core platform
source core platform/files.cpp
source core platform/rounding.h
target ui platform core
source ui platform/dialogs.cpp
target sdk sdk core
source sdk sdk/bitmap.cpp
target scan sdk sdk core
source scan sdk/twain.cpp
target program main sdk scan core ui
source program main/main.cpp
TABLE
    printf '#include "platform/rounding.h"\n' >"$t/src/platform/files.h"
    printf '#include "files.h"\n#include <QString>\n' >"$t/src/platform/files.cpp"
    printf '#include "files.h"\n' >"$t/src/platform/dialogs.h"
    printf '#include "dialogs.h"\n#include "platform/rounding.h"\n' >"$t/src/platform/dialogs.cpp"
    printf '\n' >"$t/src/platform/rounding.h"
    printf '#include "platform/files.h"\n' >"$t/src/sdk/bitmap.h"
    printf '#include "sdk/bitmap.h"\n' >"$t/src/sdk/bitmap.cpp"
    printf '#include "sdk/bitmap.h"\n' >"$t/src/sdk/codecs.h"
    printf '#include "sdk/bitmap.h"\n' >"$t/src/sdk/twain.h"
    printf '#include "sdk/twain.h"\n#include "platform/files.h"\n' >"$t/src/sdk/twain.cpp"
    printf '#include "sdk/codecs.h"\n#include "sdk/twain.h"\n#include <platform/dialogs.h>\n' >"$t/src/main/main.cpp"
    if ! check_links "$t/table" "$t/src" >/dev/null; then
        echo "self-test: includes of linked targets were refused" >&2
        status=1
    fi
    local -a unlinked=(
        "platform/files.cpp|#include \"dialogs.h\""
        "platform/files.h|#include <platform/dialogs.h>"
        "sdk/bitmap.cpp|#include \"platform/dialogs.h\""
        "sdk/twain.cpp|#include \"platform/dialogs.h\""
        "sdk/bitmap.h|#include \"sdk/twain.h\""
        "platform/dialogs.cpp|#include \"sdk/bitmap.h\""
    )
    local saved
    for entry in "${unlinked[@]}"; do
        path=${entry%%|*}
        text=${entry#*|}
        saved=$(cat "$t/src/$path")
        printf '%s\n' "$text" >"$t/src/$path"
        if out=$(check_links "$t/table" "$t/src" 2>/dev/null); then
            echo "self-test: not found: src/$path: $text" >&2
            status=1
        elif ! grep -q "src/$path:1:" <<<"$out"; then
            echo "self-test: reported without its place: $out" >&2
            status=1
        fi
        printf '%s\n' "$saved" >"$t/src/$path"
    done
    ((status == 0)) && echo "layer check self-test passed"
    return $status
}

if [[ ${1:-} == --self-test ]]; then
    self_test
    exit
fi
if [[ ${1:-} == --links ]]; then
    root=${3:-$here/../src}
    check_links "$2" "$(cd "$root" && pwd)"
    echo "every include names a header of a linked target"
    exit
fi
root=${1:-$here/../src}
check_tree "$(cd "$root" && pwd)"
echo "no include runs from a lower layer to a higher one"
