#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12, only when something is missing; the
# packages named as arguments too (scripts/windows-model-tests.sh).
set -euo pipefail

packages=(
  cmake g++ make ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-translations-l10n
  libjpeg62-turbo-dev
  libgtest-dev libbenchmark-dev
  fonts-liberation fontconfig
  xvfb xauth
  locales
  cups cups-bsd printer-driver-cups-pdf poppler-utils
  desktop-file-utils appstream dpkg-dev file
  help2man lintian devscripts
  clang libclang-rt-14-dev
  libcsv-dev
  libxlsxwriter-dev
  libzip-dev
  coinor-libcbc-dev
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -q
  "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
