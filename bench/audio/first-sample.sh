#!/usr/bin/env bash
# Start-up to the first sample of the sample book: wall time from the spawn of
#   lyn-reader --play data/sample-book --fast --audio null
# to the first line it prints, on the built-in settings. It prints the line as it starts the
# first point; the clip's first sample follows in the first step of its loop, a fraction of a
# millisecond later (the clip is opened there). Runs it N times through first_sample,
# taking turns with /bin/echo, whose figure is the floor of the method, and prints the median,
# the mean and the least of each in milliseconds.
# Usage: bench/audio/first-sample.sh [BUILD_DIR] [RUNS] [PROGRAM]
# PROGRAM defaults to BUILD_DIR/shell/lyn-reader (another build of it can be compared on the
# same book).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
runs="${2:-20}"
program="${3:-$build/shell/lyn-reader}"
book="$build/data/sample-book"
[ -f "$book/ncc.html" ] || cmake --build "$build" --target lyn_data_books >/dev/null
tool="$build/bench/audio/first_sample"
[ -x "$tool" ] || cmake --build "$build" --target first_sample >/dev/null
exec "$tool" --runs "$runs" "$program" --play "$book" --fast --audio null
