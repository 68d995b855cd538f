#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test: the normal build,
# the AddressSanitizer + UndefinedBehaviorSanitizer build, and (briefly) the
# libFuzzer targets built with clang.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/deps.sh"
werror=OFF
[ "${CI:-}" = true ] && werror=ON
jobs=${QV_JOBS:-$(nproc)}
status=0

"$top/scripts/build.sh" "$top/build" -DQV_WERROR=$werror
(cd "$top/build" && ctest -j "$jobs" --output-on-failure --timeout 300) || status=1

"$top/scripts/build.sh" "$top/build-asan" -DQV_WERROR=$werror -DQV_SANITIZE=ON -DQV_BENCH=OFF
(cd "$top/build-asan" && ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
   ctest -j "$jobs" --output-on-failure --timeout 600) || status=1

if [ -z "${QV_SKIP_FUZZ:-}" ]; then
  if [ ! -f "$top/build-fuzz/build.ninja" ]; then
    cmake -S "$top" -B "$top/build-fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV_FUZZ=ON \
      -DQV_BENCH=OFF -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
  fi
  if ninja -C "$top/build-fuzz" -t targets all 2>/dev/null | grep -q '^all-fuzzers:'; then
    cmake --build "$top/build-fuzz" -j "$jobs" --target all-fuzzers || status=1
    for f in "$top"/build-fuzz/fuzzers/*; do
      [ -f "$f" ] && [ -x "$f" ] || continue
      echo "fuzzing $(basename "$f") for ${QV_FUZZ_SECONDS:-20} s"
      "$f" -max_total_time="${QV_FUZZ_SECONDS:-20}" >"$f.log" 2>&1 \
        || { echo "fuzzer $(basename "$f") found a crash:"; tail -n 40 "$f.log"; status=1; }
    done
  fi
fi
[ $status = 0 ] && echo "all test builds passed" || echo "some test builds FAILED"
exit $status
