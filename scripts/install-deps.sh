#!/usr/bin/env bash
# Installs the Debian packages the build, tests, benchmarks, fuzzers and the
# package and its checks need.
set -euo pipefail
packages=(
  cmake ninja-build g++ clang-14 libclang-rt-14-dev clang-format curl ccache
  zlib1g-dev libjpeg62-turbo-dev libpng-dev
  libgtest-dev libgmock-dev libbenchmark-dev libmuparser-dev nginx-light
  libreoffice-calc-nogui
  chromium
  qt6-base-dev qt6-webengine-dev qt6-translations-l10n libgl-dev fonts-dejavu-core
  dpkg-dev file lintian desktop-file-utils appstream
)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
