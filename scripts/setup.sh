#!/usr/bin/env bash
# Installs every Debian package the build, the tests, the benchmarks and the Qt programs need.
# Non-interactive, meant for root on a fresh Debian 12; does nothing when all are present.
# fonts-wqy-microhei draws the Chinese framework texts; python3-pil is the independent decoder the
# tests compare the bitmap reader with. dpkg-dev (dpkg-shlibdeps), man-db, desktop-file-utils,
# appstream and lintian build and check the Debian package.
set -euo pipefail

packages=(
    cmake ninja-build g++ clang libclang-rt-14-dev pkg-config clang-format
    qt6-base-dev qt6-base-dev-tools qt6-serialport-dev libqt6serialport6 qt6-qpa-plugins
    libgl-dev qt6-image-formats-plugins libqt6svg6
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth xdg-utils
    fonts-wqy-microhei
    python3-pil
    dpkg-dev binutils gzip man-db desktop-file-utils appstream lintian
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
