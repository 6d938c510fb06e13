#!/usr/bin/env bash
# Installs what is missing, builds the benchmarks optimised and runs every
# one of them; then prints each figure beside its baseline from the same run.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh python3
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DPARLOWEN_BUILD_TESTS=OFF
cmake --build build-release
out=$(mktemp -d)
for bench in build-release/bench/bench_*; do
    [[ -f $bench && -x $bench ]] || continue
    echo "running $(basename "$bench")"
    "$bench" --benchmark_out="$out/$(basename "$bench").json" --benchmark_out_format=json \
        --benchmark_min_time=0.5 >/dev/null
done
echo
python3 scripts/bench-report.py "$out"/*.json
rm -rf "$out"
