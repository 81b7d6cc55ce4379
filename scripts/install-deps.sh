#!/usr/bin/env bash
# Installs every Debian package that building, testing, fuzzing and
# benchmarking Kestrova needs. Safe to run again: apt-get skips what is there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  clang libclang-rt-14-dev clang-format clang-tidy
  libgtest-dev libgmock-dev libbenchmark-dev libssl-dev
  libpcsclite-dev
  # The page API's TypeScript declaration is checked with tsc.
  node-typescript
  # The virtual card's profiles, and the end-to-end tests on the real PC/SC
  # daemon with the card behind the vpcd reader driver (driven by Python).
  nlohmann-json3-dev pcscd vsmartcard-vpcd python3
  # The windowed user interface, its Ming face for Chinese texts, and the
  # tests that drive the real window on a virtual display.
  qt6-base-dev fonts-arphic-uming xvfb xdotool
  # The Windows module cross-built with mingw-w64 (widl and the IDL files
  # from libwine-dev), and its tests under Wine on a virtual display.
  wine wine64 libwine-dev g++-mingw-w64-x86-64 g++-mingw-w64-i686 mingw-w64-tools
  xauth fonts-wine
  # The browser tests: the sample bank page in headless Chromium and Firefox
  # ESR, driven over their debugging protocols, served over https.
  chromium firefox-esr python3-websocket openssl
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "All build and test packages are installed."
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Installing: ${missing[*]}"
$SUDO apt-get update
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
