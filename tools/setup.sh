#!/usr/bin/env bash
# Installs what building and running need on a Debian machine, when missing.
set -euo pipefail

packages=(cmake g++ pkg-config libcairo2-dev libsdl2-dev libfontconfig-dev libfreetype-dev
          libgtest-dev libxtst-dev xvfb xauth fonts-morisawa-bizud-gothic fonts-liberation2 fonts-dejavu-core)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
  fc-cache -f >/dev/null 2>&1 || true
fi
