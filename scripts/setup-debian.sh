#!/usr/bin/env bash
# Installs what building and testing need on Debian 12 (as root, or through
# sudo). Skips apt entirely when everything is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  libicu-dev libsqlite3-dev libpq-dev postgresql
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  clang libclang-rt-14-dev
  python3 python3-pefile binutils-mingw-w64-i686
  fp-compiler fp-units-rtl
  qt6-base-dev qt6-base-dev-tools libgl-dev fonts-dejavu-core fonts-liberation2 xvfb xauth
  libhunspell-dev hunspell-de-de
  nlohmann-json3-dev translate-toolkit
  libxml2-dev libxml2-utils gettext
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
