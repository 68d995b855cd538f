#!/usr/bin/env bash
# build.sh DIR [cmake options...]: configures (once) and builds one build tree;
# QV_TARGET names one target to build instead of everything.
set -euo pipefail
dir=$1; shift
top=$(cd "$(dirname "$0")/.." && pwd)
jobs=${QV_JOBS:-$(nproc)}
# Configured every time: new folders are found by globbing at configure time.
cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$dir" -j "$jobs" ${QV_TARGET:+--target "$QV_TARGET"}
