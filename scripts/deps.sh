#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need
# (only those that are missing). Runs apt-get through sudo when not root.
set -euo pipefail
pkgs=(
  build-essential cmake ninja-build ccache pkg-config clang libclang-rt-14-dev lld
  qt6-base-dev libgl-dev
  qt6-l10n-tools qt6-translations-l10n fonts-noto-cjk python3
  libsqlite3-dev libusb-1.0-0-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-liberation2 libfreetype-dev libfontconfig-dev netpbm
  xvfb xdotool imagemagick crudini poppler-utils qpdf locales
)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
# las-js (npm): a LAS reader independent of ours that the LAS export tests
# read the exported files with; kept in build-node/ of the work tree.
top=$(cd "$(dirname "$0")/.." && pwd)
if command -v npm >/dev/null && [ ! -f "$top/build-node/node_modules/las-js/package.json" ]; then
  npm install --prefix "$top/build-node" --no-audit --no-fund --no-save las-js@3.4.2 >/dev/null ||
    echo "deps.sh: las-js could not be installed; the LAS reader test will be skipped" >&2
fi
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" = 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
