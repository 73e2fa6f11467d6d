#!/usr/bin/env bash
# Runs a canvas program under a virtual X server, waits until it reports its first frame, captures its
# window into a PNG, then closes it with Escape.  Usage: tools/screenshot.sh PROGRAM OUTPUT.png
# Every wait is bounded; the program is killed if it does not close in time.
set -euo pipefail
program=$(realpath "$1")
output=$(realpath -m "$2")
mkdir -p "$(dirname "$output")"

if [ -z "${TAMARIND_IN_XVFB:-}" ]; then
  export TAMARIND_IN_XVFB=1
  exec xvfb-run -a -s "-screen 0 800x600x24" "$0" "$@"
fi

log=$(mktemp)
trap 'rm -f "$log"' EXIT
"$program" >"$log" 2>&1 &
pid=$!
if ! timeout 20 bash -c "until grep -q 'first frame' '$log'; do sleep 0.05; done"; then
  echo "screenshot: $program did not show a frame" >&2
  cat "$log" >&2
  kill "$pid" 2>/dev/null || true
  exit 1
fi
window=$(timeout 10 xdotool search --sync --onlyvisible --pid "$pid" | head -1)
import -window "$window" "$output"
xdotool windowfocus --sync "$window" key Escape >/dev/null 2>&1 || true
if ! timeout 10 bash -c "while kill -0 $pid 2>/dev/null; do sleep 0.05; done"; then
  kill "$pid" 2>/dev/null || true
fi
wait "$pid" 2>/dev/null || true
echo "$output"
