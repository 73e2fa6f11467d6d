#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when they are missing. As root it runs
# apt-get; otherwise it prints the command to run and stops.
set -euo pipefail

packages=(build-essential cmake pkg-config libgtest-dev libbenchmark-dev libsdl2-dev valgrind xvfb xauth xdotool imagemagick)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
else
  echo "Missing packages. Run:"
  echo "  sudo apt-get install -y ${missing[*]}"
  exit 1
fi
