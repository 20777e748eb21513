#!/usr/bin/env bash
# Builds the three programs in build-release/ (optimised, without tests and benchmarks) and the
# Debian package from the project's install rules: build-release/pictoma_<version>_<arch>.deb.
# Install it with: sudo apt-get install ./build-release/pictoma_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset linux-package >/dev/null
cmake --build --preset linux-package
(cd build-release && cpack -G DEB)
deb=$(ls -t build-release/pictoma_*.deb | head -1)
echo "Built $deb"
echo "Install it with: sudo apt-get install ./$deb"
