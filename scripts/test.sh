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
summary=$(mktemp)
trap 'rm -f "$summary"' EXIT
# Runs ctest in a build tree and keeps its closing line for the final count.
run_ctest() {
  local dir=$1; shift
  # shellcheck disable=SC2086  # ctest_args holds several words
  (cd "$dir" && env "$@" ctest -j "$jobs" --output-on-failure --timeout 600 ${ctest_args:-}) | tee "$dir/ctest.log" ||
    status=1
  grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$dir/ctest.log" | tail -n 1 >>"$summary" || true
}
run_ctest "$top/build"

"$top/scripts/build.sh" "$top/build-asan" -DQV_WERROR=$werror -DQV_SANITIZE=ON -DQV_BENCH=OFF
run_ctest "$top/build-asan" ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1

# ThreadSanitizer over the programs whose tests run threads side by side
# (labels logdoc and threads): only those are built, to keep the run short.
cmake -S "$top" -B "$top/build-tsan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV_WERROR=$werror -DQV_TSAN=ON \
  -DQV_BENCH=OFF >/dev/null
cmake --build "$top/build-tsan" -j "$jobs" --target test_logdoc_acquisition test_logdoc_document \
  test_devices_thrm32 test_app_sondetest test_sonic_log test_tools_cementbond test_tools_fws test_logdoc_flowmeter \
  test_curveview_realtime || status=1
ctest_args="-L logdoc|threads" run_ctest "$top/build-tsan" TSAN_OPTIONS=halt_on_error=1

if [ -z "${QV_SKIP_FUZZ:-}" ]; then
  cmake -S "$top" -B "$top/build-fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV_FUZZ=ON \
    -DQV_BENCH=OFF -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
  targets=$(ninja -C "$top/build-fuzz" -t targets all 2>/dev/null || true)
  if grep -q '^all-fuzzers:' <<<"$targets"; then
    cmake --build "$top/build-fuzz" -j "$jobs" --target all-fuzzers || status=1
    for f in "$top"/build-fuzz/fuzzers/*; do
      [ -f "$f" ] && [ -x "$f" ] || continue
      echo "fuzzing $(basename "$f") for ${QV_FUZZ_SECONDS:-20} s"
      # New inputs go to a scratch corpus; the shipped seeds stay as they are.
      corpus=()
      if [ -d "$f.seeds" ]; then
        rm -rf "$f.corpus" && mkdir -p "$f.corpus"
        corpus=("$f.corpus" "$f.seeds")
      fi
      "$f" -max_total_time="${QV_FUZZ_SECONDS:-20}" -timeout=10 "${corpus[@]}" >"$f.log" 2>&1 \
        || { echo "fuzzer $(basename "$f") found a crash:"; tail -n 40 "$f.log"; status=1; }
    done
  fi
fi
passed=0 failed=0
while read -r line; do
  f=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$line")
  t=$(sed -E 's/.* tests failed out of ([0-9]+).*/\1/' <<<"$line")
  failed=$((failed + f)) passed=$((passed + t - f))
done <"$summary"
[ $status = 0 ] || [ $failed -gt 0 ] || failed=1  # a build or fuzz failure counts as a failure
echo "tests: $passed passed, $failed failed"
exit $status
