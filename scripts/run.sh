#!/usr/bin/env bash
# Builds the project (installing what is missing) and converts the shipped sample bitmap to its C form.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target pictoma-convert
./build/tools/pictoma-convert "$@" samples/sample.bmp
