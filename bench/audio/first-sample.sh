#!/usr/bin/env bash
# Start-up to the first sample of the sample book: wall time from starting
#   lyn-reader --play data/sample-book --fast --audio null
# to the first line it prints, which it prints as the first clip starts (its first sample is
# taken in the same step). Runs it N times and prints the median and the mean in milliseconds.
# Usage: bench/audio/first-sample.sh [BUILD_DIR] [RUNS] [PROGRAM]
# PROGRAM defaults to BUILD_DIR/shell/lyn-reader (another build of it can be compared on the
# same book). Needs stdbuf (coreutils), so that the line leaves the pipe at once.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
runs="${2:-20}"
program="${3:-$build/shell/lyn-reader}"
book="$build/data/sample-book"
[ -f "$book/ncc.html" ] || cmake --build "$build" --target lyn_data_books >/dev/null
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work"  # the built-in settings, whatever the user's

micros() { local t="${1/./}"; echo "$((10#$t))"; }
times=()
for ((i = 0; i < runs; ++i)); do
  start=$(micros "$EPOCHREALTIME")
  {
    IFS= read -r _
    first=$(micros "$EPOCHREALTIME")
    cat >/dev/null
  } < <(exec stdbuf -oL "$program" --play "$book" --fast --audio null)
  times+=($((first - start)))
done
printf '%s\n' "${times[@]}" | sort -n | awk -v program="$program" '
  { t[NR] = $1; sum += $1 }
  END { printf "%s: start-up to first sample, median %.2f ms, mean %.2f ms (%d runs)\n",
               program, t[int((NR + 1) / 2)] / 1000, sum / NR / 1000, NR }'
