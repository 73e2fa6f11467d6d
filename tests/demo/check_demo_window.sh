#!/usr/bin/env bash
# Runs the canvas demo in a real window under a virtual X server, captures the window and checks what a
# person would see: a 320 x 240 teal window. The clear colour (0.1, 0.5, 0.6) becomes the channels
# (25, 127, 153) (each component x 255, truncated), shown unchanged because it is opaque.
set -euo pipefail
program=$1
tools=$2
shot=$(mktemp --suffix=.png)
trap 'rm -f "$shot"' EXIT
"$tools/screenshot.sh" "$program" "$shot" >/dev/null
size=$(convert "$shot" -format '%w x %h' info:)
[ "$size" = "320 x 240" ] || { echo "window is $size, expected 320 x 240"; exit 1; }
for point in "5,5" "314,234" "160,20" "5,234"; do
  pixel=$(convert "$shot" -format "%[pixel:p{$point}]" info:)
  if [ "$pixel" != "srgb(25,127,153)" ]; then
    echo "pixel $point is $pixel, expected srgb(25,127,153)"
    exit 1
  fi
done
echo "the window shows the demo's colour"
