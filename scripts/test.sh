#!/usr/bin/env bash
# Runs the whole test suite: set-up (every package the project needs), build,
# CTest; in CI (CI=true) a compiler warning fails the build. Then, in CI
# always and locally unless QUELBIR_QUICK=1:
#   - the whole suite again, built with AddressSanitizer and UBSan (build-asan);
#     leaks count as failures, except those inside the system's graphics,
#     font and window libraries (tests/lsan.supp);
#   - the fuzzing harnesses, built with clang (build-fuzz): each replays its
#     seed corpus and then fuzzes for QUELBIR_FUZZ_SECONDS (default 20).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)

# CTest in the given build folder, under a virtual display when there is none.
run_ctest() {
  local dir=$1
  if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
    (cd "$dir" && xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j2)
  else
    (cd "$dir" && ctest --output-on-failure -j2)
  fi
}

# CI's builds take a warning for an error (the release build and the fuzzing
# build), so that they stay free of them.
werror=OFF
[ "${CI:-}" = "true" ] && werror=ON

"$here/scripts/setup.sh" test "$here/build" -DQUELBIR_TESTS=ON -DQUELBIR_BENCH=ON -DQUELBIR_WERROR=$werror
run_ctest "$here/build"

if [ "${CI:-}" != "true" ] && [ "${QUELBIR_QUICK:-0}" = "1" ]; then
  echo "test: QUELBIR_QUICK=1, sanitizer build and fuzzing skipped"
  exit 0
fi

echo "test: sanitizer build (build-asan)"
# With GCC, the sanitizers' checks are woven in before its own analyses of
# bounds and initialisation, which may then warn about paths the code never
# takes (GCC 12 warns so of a std::fill in the model loading tests): this
# build reports its warnings and goes on.
"$here/scripts/setup.sh" test "$here/build-asan" -DQUELBIR_SANITIZE=ON -DQUELBIR_TESTS=ON -DQUELBIR_BENCH=OFF \
  -DQUELBIR_WERROR=OFF
# The leak check stops every thread of a test at its exit; the software
# renderer's worker threads, parked in the driver, have crashed its tracer
# ("Tracer caught signal 11") once in a while. Here the renderer draws on the
# calling thread and keeps no shader cache thread: the same pictures, and a
# leak check that only ever meets the test's own threads.
# The tracer also reads each thread's dynamic thread-local storage, whose
# table still names the driver's once the driver is unloaded at exit, and
# crashes on it depending on how the test program is laid out. Thread-local
# storage is left out of the roots (use_tls=0): a leak check with fewer roots
# can only report more, never hide a leak.
LP_NUM_THREADS=0 MESA_SHADER_CACHE_DISABLE=true \
ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1 \
LSAN_OPTIONS="suppressions=$here/tests/lsan.supp:print_suppressions=0:use_tls=0" \
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  run_ctest "$here/build-asan"

echo "test: fuzzing harnesses (build-fuzz)"
fuzz_build="$here/build-fuzz"
if [ ! -f "$fuzz_build/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S "$here" -B "$fuzz_build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUELBIR_FUZZ=ON -DQUELBIR_APP=OFF -DQUELBIR_BENCH=OFF -DQUELBIR_WERROR=$werror
else
  cmake -S "$here" -B "$fuzz_build" -DQUELBIR_WERROR=$werror
fi
# The whole tree, tests included, so that it keeps compiling with clang too.
cmake --build "$fuzz_build" --target all fuzz_all
seconds=${QUELBIR_FUZZ_SECONDS:-20}
fuzz_dir="$fuzz_build/fuzz"
for harness in iff_reader model_load mat_texture number_parser sphere_save model_check gltf_reader mesh_import; do
  seeds="$fuzz_dir/corpus/seeds/$harness"
  work="$fuzz_dir/corpus/ci/$harness"
  log="$fuzz_dir/fuzz_$harness.log"
  mkdir -p "$work" "$fuzz_dir/artifacts"
  options=(-timeout=10 -rss_limit_mb=2048 -max_len=16384 -dict="$here/fuzz/iff.dict"
           -artifact_prefix="$fuzz_dir/artifacts/$harness-" -print_final_stats=1)
  # The corpus first, every input once; then a short run of new inputs.
  if ! "$fuzz_dir/fuzz_$harness" "${options[@]}" -runs=0 "$seeds" "$work" >"$log" 2>&1 ||
     ! "$fuzz_dir/fuzz_$harness" "${options[@]}" -max_total_time="$seconds" "$work" "$seeds" >>"$log" 2>&1; then
    tail -n 60 "$log"
    echo "test: fuzz_$harness failed; the input is in $fuzz_dir/artifacts" >&2
    exit 1
  fi
  echo "test: fuzz_$harness: $(grep -E '^stat::number_of_executed_units' "$log" | tail -n 1 | awk '{print $2}') inputs in ${seconds}s, no fault"
done
