#!/usr/bin/env bash
# CPU time of the engine against the reference tools, side by side in one run, on the hour of
# speech-like 22,050 Hz mono MP3 that the audio benchmarks make:
#   mpg123 -t FILE                   decoding only (the floor for step 5)
#   sox FILE -n tempo 2.0            decoding and a tempo change of 2 (the yardstick for step 15)
#   lyn-reader --play --speed 5      the engine at the recorded speed, null sink, virtual clock
#   lyn-reader --play --speed 15     tempo 2.0 with pauses shortened
#   bench_audio, the skim row        tempo 2.5 with pauses shortened (fast forward)
# the voluntary context switches of real-time playback to the null sink (the engine's threads
# alone, and the whole lyn-reader --play process over 30 s of the hour and of the sample book),
# and the start-up to the first sample of the sample book (first-sample.sh).
# Usage: bench/audio/compare-tools.sh [BUILD_DIR]
# Needs mpg123, sox and libsox-fmt-mp3 (Debian packages; for measuring only, not for the tests).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
cmake --build "$build" --target lyn-reader bench_audio lyn_data_books >/dev/null
hour="$build/bench/audio/hour-22050-mono.mp3"
for tool in mpg123 sox /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "needs $tool" >&2; exit 2; }
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# A book of one navigation point whose one clip is the whole hour.
mkdir "$work/book" "$work/config"
ln -s "$hour" "$work/book/hour.mp3"
cat >"$work/book/a.smil" <<'SMIL'
<?xml version="1.0" encoding="utf-8"?>
<smil><body><seq><par endsync="last" id="p1"><text src="ncc.html#h1"/>
<audio src="hour.mp3" clip-begin="npt=0.000s" clip-end="npt=3600.000s" id="a1"/>
</par></seq></body></smil>
SMIL
cat >"$work/book/ncc.html" <<'NCC'
<?xml version="1.0" encoding="utf-8"?>
<html><head><title>Hour</title><meta name="dc:title" content="Hour"/>
<meta name="dc:format" content="Daisy 2.02"/><meta name="ncc:charset" content="utf-8"/></head>
<body><h1 class="title" id="h1"><a href="a.smil#p1">Hour</a></h1></body></html>
NCC

# user + system seconds of a command (its output dropped).
cpu() {
  /usr/bin/time -f "%U %S" -o "$work/t" "$@" >/dev/null 2>&1 || { echo failed; return; }
  tail -n 1 "$work/t" | awk '{printf "%.2f", $1 + $2}'
}
export XDG_CONFIG_HOME="$work/config"  # the built-in speed rows, whatever the user's settings
mpg=$(cpu mpg123 -q -t "$hour")
sox=$(cpu sox "$hour" -n tempo 2.0)
s5=$(cpu "$build/shell/lyn-reader" --play "$work/book" --fast --audio null --speed 5)
s15=$(cpu "$build/shell/lyn-reader" --play "$work/book" --fast --audio null --speed 15)
skim=$("$build/bench/audio/bench_audio" --benchmark_filter=BM_PlayHourAtSkimRow \
  --benchmark_format=csv 2>/dev/null | awk -F, '/BM_PlayHourAtSkimRow/ {printf "%.2f", $4 / 1000}')
printf '%-34s %8s\n' "one hour of 22,050 Hz mono MP3" "CPU s"
printf '%-34s %8s\n' "mpg123 -t" "$mpg" "sox tempo 2.0" "$sox" \
  "lyn-reader --speed 5" "$s5" "lyn-reader --speed 15" "$s15" "engine, skim row" "$skim"
awk -v a="$s5" -v b="$mpg" -v c="$s15" -v d="$sox" \
  'BEGIN { printf "step 5 / mpg123 -t: %.2fx (goal 1.2x)   step 15 / sox tempo 2.0: %.2fx (goal 1.0x)\n", a / b, c / d }'
"$build/bench/audio/bench_audio" --benchmark_filter='BM_RealTimeSwitches|ToFirst' 2>/dev/null |
  grep -E '^BM_'
# Voluntary context switches of the whole process over 30 s of real-time play, per hour.
switches() {
  /usr/bin/time -f "%w" -o "$work/t" timeout -s INT 30 "$build/shell/lyn-reader" --play "$1" \
    --audio null >/dev/null 2>&1 || true
  tail -n 1 "$work/t" | awk '{printf "%d", $1 * 120}'
}
printf 'voluntary switches per hour, lyn-reader --play in real time: the hour %s, the sample book %s (goal 10000)\n' \
  "$(switches "$work/book")" "$(switches "$build/data/sample-book")"
"$root/bench/audio/first-sample.sh" "$build" 20
