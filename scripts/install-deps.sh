#!/usr/bin/env bash
# Installs, with apt-get, only the Debian packages that dpkg-query says are missing.
set -euo pipefail
packages=(cmake g++ make pkg-config googletest libgtest-dev libgmock-dev libbenchmark-dev
          qt6-base-dev qt6-serialport-dev libgl-dev zlib1g-dev fonts-dejavu-core groff-base xvfb
          libcurl4-openssl-dev libssl-dev libxml2-dev libexpat1-dev libmicrohttpd-dev openssl socat "$@")
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
