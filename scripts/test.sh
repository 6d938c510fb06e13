#!/usr/bin/env bash
# Installs what is missing, builds Parlowen with its tests and runs every
# test through CTest. The suites need no display and no sound card: each one
# selects Qt's offscreen platform, an SDL test driver and its own temporary
# configuration directory.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build
ctest --test-dir build --output-on-failure
