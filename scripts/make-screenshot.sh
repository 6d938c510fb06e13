#!/usr/bin/env bash
# Renders the main window into docs/screenshot.png and the event editor,
# after speaking a reminder, into docs/editor.png.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target parlowen_screenshot
build/scripts/screenshot/parlowen_screenshot docs/screenshot.png docs/editor.png
echo "wrote docs/screenshot.png and docs/editor.png"
