#!/usr/bin/env bash
# Installs the Debian 12 packages the build and tests need, only those missing.
set -euo pipefail
# Besides the build's own: Python for the mutation tool, a virtual display and window manager for the
# real-desktop tests, the install test's validators, the cross compiler that checks the Windows
# sources, and what CPack needs to work out the Debian package's dependencies.
packages=(cmake ninja-build g++ qt6-base-dev qt6-image-formats-plugins libgl-dev fonts-arphic-uming python3
    xvfb openbox xdotool x11-utils
    desktop-file-utils appstream g++-mingw-w64-x86-64-posix dpkg-dev file "$@")
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
