#!/usr/bin/env bash
# Installs every Debian package that building, testing, fuzzing and
# benchmarking Kestrova needs, the 32-bit Wine (wine32:i386) too; with --demo
# only what configuring the dev preset and running the demo need (no Wine,
# browsers or fuzzing tools). Safe to run again: apt-get skips what is there.
set -euo pipefail

demo_packages=(
  build-essential cmake ninja-build pkg-config
  # Configuring finds the test framework and OpenSSL; the virtual card's
  # profiles are JSON.
  libgtest-dev libgmock-dev libssl-dev libpcsclite-dev nlohmann-json3-dev
  # The browser extension is packed and signed by a Python script with the
  # openssl command.
  openssl python3
  # The Qt window and its Ming face for Chinese texts.
  qt6-base-dev fonts-arphic-uming
)

packages=(
  "${demo_packages[@]}"
  clang libclang-rt-14-dev clang-format clang-tidy
  libbenchmark-dev
  # The page API's TypeScript declaration is checked with tsc.
  node-typescript
  # The end-to-end tests on the real PC/SC daemon with the card behind the
  # vpcd reader driver (driven by Python).
  pcscd vsmartcard-vpcd python3
  # The tests that drive the real window on a virtual display, and read it
  # through the accessibility bus as a screen reader does.
  xvfb xdotool dbus-daemon at-spi2-core python3-pyatspi
  # The Windows module cross-built with mingw-w64 (widl and the IDL files
  # from libwine-dev), and its tests under Wine on a virtual display.
  wine wine64 libwine-dev g++-mingw-w64-x86-64 g++-mingw-w64-i686 mingw-w64-tools
  xauth fonts-wine
  # The Windows installer, made with NSIS.
  nsis
  # The Debian package is checked with lintian.
  lintian
  # The browser tests: the sample bank page in headless Chromium and Firefox
  # ESR, driven over their debugging protocols, served over https.
  chromium firefox-esr python3-websocket openssl
)

case "${1:-}" in
  --demo) packages=("${demo_packages[@]}") ;;
  "") ;;
  *) echo "usage: $0 [--demo]" >&2; exit 2 ;;
esac

installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

# apt-get, tried again after a pause when it fails (a mirror in the middle
# of a sync, a lost connection): up to three tries.
apt_retried() {
    local try
    for try in 1 2 3; do
        if DEBIAN_FRONTEND=noninteractive $SUDO apt-get "$@"; then
            return 0
        fi
        [ "$try" -lt 3 ] && { echo "apt-get $1 failed (try $try of 3); trying again in $((try * 15)) s" >&2; sleep $((try * 15)); }
    done
    return 1
}

missing=()
for p in "${packages[@]}"; do
    installed "$p" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "All build and test packages are installed."
else
    echo "Installing: ${missing[*]}"
    apt_retried update
    apt_retried install -y --no-install-recommends "${missing[@]}"
fi

# The 32-bit Wine loader, for the tests of the 32-bit KESTROVA.OCX (the win32
# preset's, and the installer's 32-bit registration). Its packages come from
# the i386 architecture. Without it those tests skip themselves, saying so;
# everything else still runs.
if [ "${1:-}" != --demo ] && ! installed wine32:i386; then
    echo "Installing: wine32:i386"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        $SUDO dpkg --add-architecture i386
    fi
    if ! { apt_retried update && apt_retried install -y --no-install-recommends wine32:i386; }; then
        cat >&2 <<'WARNING'
########################################################################
# WARNING: wine32:i386 could not be installed (see apt-get's errors
# above). The 32-bit Wine tests (the win32 preset's and installer.wine32)
# will be SKIPPED; the rest of the tests run.
########################################################################
WARNING
    fi
fi
