#!/usr/bin/env bash
# Builds the editor (installing what is missing) and starts it on the shipped sample bitmap, or on
# the files given. Without a display it shows the sample's C form through pictoma-convert instead.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset linux >/dev/null
cmake --build build --target pictoma pictoma-convert
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: printing the sample's C form with pictoma-convert instead of starting the editor." >&2
    exec ./build/tools/pictoma-convert samples/sample.bmp
fi
exec ./build/shell/pictoma "${@:-samples/sample.bmp}"
