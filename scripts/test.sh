#!/usr/bin/env bash
# Runs the whole test suite: installs what is missing, builds the dev preset
# (warnings as errors) and runs every test through ctest; then cross-builds
# the Windows pieces, i686 first (the installer packs its KESTROVA.OCX and
# tests its registration with its programs), then x86_64 with the installer,
# and runs the tests of both under Wine (each with the loader of its
# bitness). Without the 32-bit Wine loader the 32-bit tests are skipped and
# said so at the end.
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
windows_started=$SECONDS
status=0
ctest --preset win32 || status=1
ctest --preset win64 || status=1
echo "== Windows tests under Wine: $((SECONDS - windows_started)) s"
loader=$(sed -n 's/^KESTROVA_WINE32_LOADER:FILEPATH=//p' build-win32/CMakeCache.txt)
if [[ ! -x $loader ]]; then
    echo "########################################################################"
    echo "# SKIPPED: the 32-bit Wine tests (win32 preset, installer.wine32): no"
    echo "# 32-bit Wine loader (Debian: apt-get install wine32:i386)"
    echo "########################################################################"
elif ! "$loader" --version >/dev/null 2>&1; then
    echo "########################################################################"
    echo "# SKIPPED: the 32-bit Wine tests (win32 preset, installer.wine32): the"
    echo "# 32-bit Wine loader is installed, but this machine's kernel runs no"
    echo "# 32-bit programs (exec format error)"
    echo "########################################################################"
fi
exit "$status"
