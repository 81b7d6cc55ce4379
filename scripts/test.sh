#!/usr/bin/env bash
# Runs the whole test suite: installs what is missing, builds the dev preset
# (warnings as errors) and runs every test through ctest.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset dev
cmake --build --preset dev
ctest --preset dev -j"$(nproc)"
