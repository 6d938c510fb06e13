#!/usr/bin/env bash
# Makes the sample schedule that a first start opens: two short spoken WAV
# files (16-bit PCM, mono, 22050 Hz) and default.sked naming them relative to
# the program directory. The build copies res/samples beside the program.
# Needs espeak-ng and sox; run it again only to change the samples.
set -euo pipefail
cd "$(dirname "$0")/.."

out=res/samples
mkdir -p "$out/samples"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# speak NAME TEXT: writes $out/samples/NAME.wav and prints its length in
# whole seconds, rounded up.
speak() {
    espeak-ng -v en -s 150 -w "$tmp/$1.wav" "$2"
    sox "$tmp/$1.wav" -r 22050 -c 1 -b 16 -e signed-integer "$out/samples/$1.wav" \
        silence 1 0.05 0.1% reverse silence 1 0.05 0.1% reverse
    soxi -D "$out/samples/$1.wav" | awk '{ s = int($1); if (s < $1) s++; print s }'
}

stretch=$(speak stretch "Time to stand up and stretch.")
water=$(speak water "Drink a glass of water.")

# One record per line: magic, name, disabled flag, wave, start in, interval,
# repetitions (the "*" marks the count as the entered value), length. The
# file's first record is the table's last row. Lines end with CR LF.
record() {
    printf 'KQ10000\t%s\t0\t%s\t%s\t%s\t%s\t%s\r\n' "$@"
}
{
    record "Drink water" samples/water.wav 00:00:20 01:00:00 "1*" "$(printf '00:00:%02d' "$water")"
    record "Stretch" samples/stretch.wav 00:00:05 00:30:00 "1*" "$(printf '00:00:%02d' "$stretch")"
} > "$out/default.sked"
