#!/usr/bin/env bash
# First command for a newcomer: installs what the demo needs, builds what the demo
# runs (the kestrova program brings the simulated service, its cards and the Qt
# window module along), and runs the demo. scripts/test.sh builds the rest in
# the same build folder.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh --demo
cmake --preset dev
cmake --build --preset demo
build/bin/kestrova demo
