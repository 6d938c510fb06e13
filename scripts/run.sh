#!/usr/bin/env bash
# Installs what is missing, builds Parlowen and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --target parlowen
exec build/bin/parlowen
