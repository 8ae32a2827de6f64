#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing need,
# only those that are missing; sudo is used only when not root.
set -euo pipefail
packages=(cmake g++ ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev libicu-dev libexiv2-dev
  fonts-ipafont-gothic fonts-ipafont-mincho
  tzdata xauth xvfb
  fusefat dosfstools clang-format
  desktop-file-utils appstream
  time rename # the benchmark scripts' peak memory and their peer tool
  exiv2 libheif-examples) # the photo day's dated JPEG, raw and HEIC files
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
