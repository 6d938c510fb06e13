#!/usr/bin/env bash
# Makes the sample schedule that a first start opens: two short spoken WAV
# files and default.sked naming them relative to the program directory. The
# sounds come from the program's own speech code (the parlowen_speak tool,
# built here on demand), so they are what the editor's Speak button would
# make: 16-bit PCM, mono, at the synthesiser's rate, with the text and the
# voice in the file's tags. The build copies res/samples beside the program;
# run this again only to change the samples.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target parlowen_speak >/dev/null
tool=build/scripts/speak/parlowen_speak

out=res/samples
mkdir -p "$out/samples"

# speak NAME TEXT: writes $out/samples/NAME.wav and prints its length as
# time text, in whole seconds rounded up.
speak() {
    local ms
    ms=$("$tool" --voice gmw/en --rate 150 "$out/samples/$1.wav" "$2")
    printf '00:00:%02d' $(((ms + 999) / 1000))
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
    record "Drink water" samples/water.wav 00:00:20 01:00:00 "1*" "$water"
    record "Stretch" samples/stretch.wav 00:00:05 00:30:00 "1*" "$stretch"
} > "$out/default.sked"
