#!/usr/bin/env bash
# Renders the README's pictures: the main window into docs/screenshot.png,
# the event editor after speaking a reminder into docs/editor.png and the
# tray icon's menu into docs/traymenu.png.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target parlowen_screenshot
build/scripts/screenshot/parlowen_screenshot docs/screenshot.png docs/editor.png
build/scripts/screenshot/parlowen_screenshot --tray-menu docs/traymenu.png
echo "wrote docs/screenshot.png, docs/editor.png and docs/traymenu.png"
