#!/usr/bin/env bash
# Builds and runs every test: the formatting check, the whole project (its Debian package built
# from build/ and checked by the package_contents test), then the Qt-free core under
# AddressSanitizer and UndefinedBehaviorSanitizer with the bitmap reader's fuzz corpus replayed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
export QT_QPA_PLATFORM=offscreen

# The layout never drifts: every C++ file as clang-format lays it out.
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror

cmake --preset linux
cmake --build build
ctest --test-dir build --output-on-failure -j2

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
    -DPICTOMA_BUILD_QT=OFF -DPICTOMA_SANITIZE=ON -DPICTOMA_FUZZ=ON -DPICTOMA_BENCH=OFF
cmake --build build-asan
ctest --test-dir build-asan --output-on-failure -j2
