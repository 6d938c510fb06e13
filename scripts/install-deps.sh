#!/usr/bin/env bash
# Installs the Debian 12 packages that building and testing Parlowen needs,
# when they are missing. Extra package names may be given as arguments.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
    fonts-dejavu-core fonts-dejavu-extra
    libsdl2-dev libsndfile1-dev
    libespeak-ng-dev espeak-ng-data
    libbenchmark-dev
    # desktop integration and its tests: a private session bus, the
    # validators of the desktop entry and the AppStream file, the package
    dbus-daemon desktop-file-utils appstream shared-mime-info dpkg-dev file
    "$@"
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

if ((${#missing[@]} == 0)); then
    exit 0
fi

echo "Installing: ${missing[*]}"
sudo=()
if [[ $(id -u) -ne 0 ]]; then
    sudo=(sudo)
fi
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
