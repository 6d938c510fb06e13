#!/usr/bin/env bash
# Installs what is missing, then builds and tests Parlowen in four stages:
#   1. the plain build: every test suite, through CTest;
#   2. AddressSanitizer with UndefinedBehaviorSanitizer: every suite again;
#   3. ThreadSanitizer: the suites whose subject runs threads (label "threads");
#   4. libFuzzer: a bounded run of each fuzz target from its seed corpus.
# Any failure, sanitizer report, fuzzer crash, leak, hang or runaway memory
# fails the command. The suites need no display and no sound card: each one
# selects Qt's offscreen platform, an SDL test driver and its own temporary
# configuration directory.
#
# FUZZ_SECONDS sets the length of each fuzz run (default 60).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/install-deps.sh clang libclang-rt-14-dev

stage() { printf '\n==== %s ====\n' "$*"; }

stage "1/4 build and test"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build
ctest --test-dir build --output-on-failure -j2

stage "2/4 AddressSanitizer + UndefinedBehaviorSanitizer"
asan_flags="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS="$asan_flags" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
    -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined" \
    -DPARLOWEN_BUILD_BENCHMARKS=OFF
cmake --build build-asan
ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1:strict_init_order=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure -j2

stage "3/4 ThreadSanitizer"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS="-fsanitize=thread -fno-omit-frame-pointer" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread" \
    -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=thread" \
    -DPARLOWEN_BUILD_BENCHMARKS=OFF
cmake --build build-tsan
# Only the uninstrumented Qt and SDL libraries are suppressed (see the file).
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$root/tests/tsan.supp" \
    ctest --test-dir build-tsan --output-on-failure -L threads

stage "4/4 fuzzing"
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
    -DPARLOWEN_BUILD_TESTS=OFF -DPARLOWEN_BUILD_BENCHMARKS=OFF -DPARLOWEN_BUILD_FUZZERS=ON
cmake --build build-fuzz --target fuzz_schedulefile fuzz_wavefile
fuzz_seconds=${FUZZ_SECONDS:-60}
for target in schedulefile:sked wavefile:wave; do
    name=${target%%:*}
    seeds=$root/tests/fuzz/corpus/${target##*:}
    work=$(mktemp -d)
    echo "fuzz_$name for ${fuzz_seconds}s from $seeds"
    # New inputs go to the scratch folder, never into the committed seeds.
    (cd "$work" && "$root/build-fuzz/tests/fuzz/fuzz_$name" \
        -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
        -print_final_stats=1 "$work" "$seeds")
    rm -rf "$work"
done

stage "all stages passed"
