#!/bin/bash
# The first start of the real program against a later start, in a real window under Xvfb:
#   bench/app/start_bench.sh <build folder> [runs]
# A first start runs with a new home and show drive and no language chosen yet ("LanguageIsSet.ini"
# absent): the bench answers the language dialog with a click on the first flag, and the time
# the dialog stood waiting for it is not counted. A later start (the anchor) runs after one, with
# the language set. Both are timed from the program's start until its main window is mapped; each
# figure is the least of the runs (3 by default). With BENCH_CPUS set (for example 0-3) the whole
# run is pinned to those cores.
set -euo pipefail
build=$(realpath "$1")
runs=${2:-3}
here=$(dirname "$(realpath "$0")")
if [ -z "${START_BENCH_DISPLAY:-}" ]; then
  "$here/../../scripts/deps.sh" bench
  cmake --build "$build" --target quorbel quorbel_data quorbel_showdata >/dev/null
  pin=()
  if [ -n "${BENCH_CPUS:-}" ]; then pin=(taskset -c "$BENCH_CPUS"); fi
  exec "${pin[@]}" xvfb-run -a -s "-screen 0 1280x1024x24" env START_BENCH_DISPLAY=1 "$0" "$@"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -a "$build/program" "$work/program"
rm -f "$work/program/LanguageIsSet.ini" "$work/program/Generator.ini"

now() { date +%s%N; }
ms() { echo "scale=1; $1 / 1000000" | bc; }

# The visible window of the process whose title begins with that name (the language dialog's is
# "Language — " and the product; "" for any other).
window() {
  local pid=$1 name=$2 w
  for w in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
    local title
    title=$(xdotool getwindowname "$w" 2>/dev/null || true)
    if [ -n "$name" ] && [[ "$title" == "$name"* ]]; then echo "$w"; return 0; fi
    if [ -z "$name" ] && [ -n "$title" ] && [[ "$title" != Language* ]]; then echo "$w"; return 0; fi
  done
  return 1
}

# Waits (60 s at most) until window pid name answers; prints the window.
await() {
  local deadline=$(($(date +%s) + 60)) w
  until w=$(window "$1" "$2"); do
    if [ "$(date +%s)" -ge "$deadline" ] || ! kill -0 "$1" 2>/dev/null; then
      echo "no window '$2' of the program" >&2
      return 1
    fi
  done
  echo "$w"
}

# One start: prints the nanoseconds to the main window, without the dialog's wait on a first start.
start() {
  local first=$1
  if [ "$first" = 1 ]; then
    rm -rf "$work/c" "$work/d" "$work/home" "$work/program/thumbs" "$work/program/gallery"
    rm -f "$work/program/LanguageIsSet.ini" "$work/program/Generator.ini"
  fi
  mkdir -p "$work/c" "$work/d" "$work/home"
  local begin answered=0 waited=0
  begin=$(now)
  HOME="$work/home" QUORBEL_DRIVES="C=$work/c;D=$work/d;Z=/" "$work/program/quorbel_pro" >/dev/null 2>&1 &
  local pid=$!
  if [ "$first" = 1 ]; then
    local dialog shown
    dialog=$(await "$pid" Language)
    shown=$(now)
    xdotool mousemove --window "$dialog" 78 167 click 1
    answered=$(now)
    waited=$((answered - shown))
  fi
  await "$pid" "" >/dev/null
  local end
  end=$(now)
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  if [ "$first" = 1 ] && [ ! -f "$work/program/LanguageIsSet.ini" ]; then
    echo "the language choice was not stored" >&2
    return 1
  fi
  echo $((end - begin - waited))
}

best() { sort -n | head -1; }
firsts=() laters=()
for ((i = 0; i < runs; ++i)); do
  firsts+=("$(start 1)")
  laters+=("$(start 0)")
done
first=$(printf '%s\n' "${firsts[@]}" | best)
later=$(printf '%s\n' "${laters[@]}" | best)
echo "$(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo "first start, from the language choice to the main window  $(ms "$first") ms"
echo "later start, to the main window (anchor)                  $(ms "$later") ms"
echo "ratio $(echo "scale=2; $first / $later" | bc)   (limit: first start 600 ms)"
