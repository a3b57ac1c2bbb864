#!/usr/bin/env bash
# Installs the Debian packages Velloro needs, only those that are missing. With --package, also
# the tools that build and check the Debian package (CI uses them; ./run.sh does not need them).
set -euo pipefail

packages=(cmake g++ make clang libclang-rt-14-dev libsqlite3-dev libexpat1-dev libgtest-dev
          libgmock-dev libbenchmark-dev libcli11-dev nlohmann-json3-dev fonts-dejavu-core
          qt6-base-dev time xvfb xauth)
if [[ ${1:-} == --package ]]; then
    packages+=(dpkg-dev lintian desktop-file-utils appstream man-db)
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
