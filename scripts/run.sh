#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program on the simulated
# unit with the shipped sonde database.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/deps.sh"
# Only the program folder and its tools: the tests and benchmarks wait for
# scripts/test.sh.
QV_TARGET=program "$top/scripts/build.sh" "$top/build"
export QUORVANTA_SIMULATOR=${QUORVANTA_SIMULATOR:-1}
# The simulated unit runs from a program folder of its own, which also holds
# the made-up firmware images it is brought up with (never build/bin, which
# may drive a real unit).
sim="$top/build/sim"
mkdir -p "$sim"
cp -au "$top/build/bin/." "$sim/"
"$top/build/tools/quorva_sim_firmware" "$sim"
exec "$sim/quorva" "$@"
