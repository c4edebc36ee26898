#!/usr/bin/env bash
# Installs everything Mirelda needs to build, run and test on Debian 12.
# With --bench it also installs the peers that bench/compare.sh measures
# against.
set -euo pipefail
PKGS=(
  build-essential cmake pkg-config
  qtbase5-dev qtbase5-dev-tools libqt5svg5-dev libqt5serialport5-dev
  libqt5webkit5-dev libqwt-qt5-dev libcurl4-openssl-dev
  libbenchmark-dev
  python3-aiosmtpd python3-pyftpdlib poppler-utils openssl
  fonts-dejavu-core tzdata
)
if [ "${1:-}" = "--bench" ]; then
  PKGS+=(python3-reportlab)
fi
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
