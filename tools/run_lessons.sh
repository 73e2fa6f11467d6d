#!/usr/bin/env bash
# Runs the lesson programs. They arrive with the canvas and the drawing stages; until then this says so.
set -euo pipefail
echo "Tamarind is built in build/ (libraries in build/lib)."
echo "The lesson programs are not built yet: they need the canvas window and the drawing stages."
