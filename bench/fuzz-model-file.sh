#!/usr/bin/env bash
# Builds the libFuzzer target on the model-file reader (bench/ModelFileFuzz.cpp)
# with Debian's clang under AddressSanitizer and UndefinedBehaviorSanitizer and
# runs it on a seed corpus of valid files for RUNS inputs (default 1000000).
# Needs clang and libclang-rt-14-dev (scripts/install-deps.sh --bench).
# Usage: bench/fuzz-model-file.sh [work folder, default build-fuzz]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mkdir -p "${1:-$root/build-fuzz}" && cd "${1:-$root/build-fuzz}" && pwd)
runs=${RUNS:-1000000}
compiler=${CXX_FUZZ:-clang++}

flags=(-std=c++17 -O1 -g -fno-omit-frame-pointer -fsanitize=address,undefined
       -fno-sanitize-recover=undefined -I"$root/src" -I"$root")
sources=("$root"/src/rsm/*.cpp "$root"/src/linalg/*.cpp "$root"/src/doe/DOEBase.cpp
         "$root"/src/doe/DOESamplingPointSet.cpp "$root"/src/engine/DesignVariable.cpp
         "$root"/src/engine/DataSet.cpp "$root"/src/common/ErrorMessages.cpp)
libraries=(-llapack -lopenblas)

mkdir -p "$work/obj" "$work/corpus"
objects=()
for source in "${sources[@]}"; do
  object="$work/obj/$(basename "$(dirname "$source")")_$(basename "$source" .cpp).o"
  if [[ ! -f "$object" || "$source" -nt "$object" ]]; then
    "$compiler" "${flags[@]}" -fsanitize=fuzzer-no-link -c "$source" -o "$object"
  fi
  objects+=("$object")
done

"$compiler" "${flags[@]}" -DZELKOR_FUZZ_SEEDS "$root/bench/ModelFileFuzz.cpp" "${objects[@]}" \
  "${libraries[@]}" -o "$work/model_file_seeds"
"$compiler" "${flags[@]}" -fsanitize=fuzzer "$root/bench/ModelFileFuzz.cpp" "${objects[@]}" \
  "${libraries[@]}" -o "$work/model_file_fuzz"

"$work/model_file_seeds" "$work/corpus"
echo "seed corpus: $(ls "$work/corpus" | wc -l) files; fuzzing $runs inputs"
"$work/model_file_fuzz" -runs="$runs" -max_len=4096 -print_final_stats=1 "$work/corpus"
