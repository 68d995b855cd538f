#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program on the simulated
# unit with the shipped sonde database.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/deps.sh"
"$top/scripts/build.sh" "$top/build"
export QUORVANTA_SIMULATOR=${QUORVANTA_SIMULATOR:-1}
exec "$top/build/bin/quorva" "$@"
