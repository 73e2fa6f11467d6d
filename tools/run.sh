#!/usr/bin/env bash
# `make run`: with a display, opens the canvas demo in a window; without one, runs it under a virtual X
# server and saves what the window shows to build/screenshots/demo.png.
set -euo pipefail
cd "$(dirname "$0")/.."
program=build/bin/canvas-demo
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  echo "Opening the canvas demo (Escape closes it)."
  exec "$program"
fi
echo "No display: running the canvas demo under a virtual X server."
tools/screenshot.sh "$program" build/screenshots/demo.png
