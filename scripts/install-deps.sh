#!/usr/bin/env bash
# Installs the Debian 12 packages Fenmor builds and runs with, when any is missing.
set -euo pipefail
packages=(
  cmake g++ make pkg-config clang libclang-rt-14-dev clang-format
  qt6-base-dev qt6-serialport-dev qt6-translations-l10n
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-noto-cjk fonts-ipafont-gothic xvfb xauth poppler-utils
  librsvg2-bin desktop-file-utils appstream dpkg-dev file
  python3-icalendar python3-vobject radicale khal khard
  qtkeychain-qt6-dev xandikos openssl curl gnome-keyring dbus
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
