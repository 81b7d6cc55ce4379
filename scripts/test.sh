#!/usr/bin/env bash
# Runs the whole test suite: installs what is missing, builds the dev preset
# (warnings as errors) and runs every test through ctest; then cross-builds
# the Windows pieces, i686 first (the installer packs its KESTROVA.OCX), then
# x86_64 with the installer, and runs the x86_64 tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset dev
cmake --build --preset dev
ctest --preset dev -j"$(nproc)"

cmake --preset win32
cmake --build --preset win32
cmake --preset win64
cmake --build --preset win64
ctest --preset win64
