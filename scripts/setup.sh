#!/usr/bin/env bash
# Installs everything Mirelda needs to build, run and test on Debian 12.
set -euo pipefail
PKGS=(
  build-essential cmake pkg-config
  qtbase5-dev qtbase5-dev-tools libqt5svg5-dev libqt5serialport5-dev
  libqt5webkit5-dev libqt5sql5-sqlite libqwt-qt5-dev libcurl4-openssl-dev
  libgtest-dev libbenchmark-dev
  python3-aiosmtpd python3-pyftpdlib poppler-utils openssl socat
  fonts-dejavu-core xvfb xauth tzdata
)
missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
