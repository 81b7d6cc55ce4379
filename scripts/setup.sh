#!/usr/bin/env bash
# First command for a newcomer: installs what is missing, builds, and runs the
# main job.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset dev
cmake --build --preset dev
build/bin/kestrova demo
