#!/usr/bin/env bash
# Builds the libFuzzer target on the model-file reader (bench/ModelFileFuzz.cpp)
# through CMake (ZELKOR_FUZZ: Debian's clang, the whole library under
# AddressSanitizer and UndefinedBehaviorSanitizer), writes the seed corpus of
# valid files and fuzzes from it: RUNS inputs (default 1000000), or for
# FUZZ_SECONDS seconds when that is set (CI runs 60). A crash, a leak or a
# sanitizer report ends the script with a non-zero status and leaves the input
# as crash-* (or leak-*) in the build folder.
# Needs clang, libclang-rt-14-dev and libomp-dev (scripts/install-deps.sh --fuzz).
# Usage: bench/fuzz-model-file.sh [build folder, default build-fuzz]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(mkdir -p "${1:-$root/build-fuzz}" && cd "${1:-$root/build-fuzz}" && pwd)

launcher=()
if command -v ccache > /dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
# Debug at -O1: the library's assertions stay on and the fuzzer still runs fast.
cmake -S "$root" -B "$build" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_FLAGS_DEBUG="-O1 -g" -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
  -DZELKOR_FUZZ=ON -DZELKOR_BUILD_TESTS=OFF -DZELKOR_BUILD_EXAMPLES=OFF "${launcher[@]}" > /dev/null
cmake --build "$build" -j "$(nproc)" --target model_file_fuzz model_file_seeds

mkdir -p "$build/corpus"
"$build/bench/model_file_seeds" "$build/corpus"
if [[ -n "${FUZZ_SECONDS:-}" ]]; then
  limit=(-max_total_time="$FUZZ_SECONDS")
  echo "seed corpus: $(ls "$build/corpus" | wc -l) files; fuzzing for $FUZZ_SECONDS s"
else
  limit=(-runs="${RUNS:-1000000}")
  echo "seed corpus: $(ls "$build/corpus" | wc -l) files; fuzzing ${RUNS:-1000000} inputs"
fi
# From the build folder: the target writes its model-file input there.
cd "$build"
"$build/bench/model_file_fuzz" "${limit[@]}" -max_len=4096 -print_final_stats=1 \
  -artifact_prefix="$build/" "$build/corpus"
