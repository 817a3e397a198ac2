#!/usr/bin/env bash
# Installs the Debian packages the build needs, only those that are missing.
# --fuzz adds clang with libFuzzer, the sanitizer runtimes and LLVM's OpenMP
# runtime (the fuzz build, bench/fuzz-model-file.sh); --bench adds the peer
# libraries of the benchmarks and the fuzz build's packages; --python adds the
# Python package's build and test packages (pybind11, NumPy, pytest, Dask's
# distributed scheduler), used by `make python`, `make python-test` and CI.
# Runs apt-get as root directly, otherwise through sudo.
set -euo pipefail

packages=(g++ cmake make pkg-config libboost-dev libopenblas-dev liblapack-dev libgtest-dev
          libtomlplusplus-dev libcli11-dev)
fuzz_packages=(clang libclang-rt-14-dev libomp-dev)
python_packages=(python3-dev python3-pybind11 pybind11-dev python3-numpy python3-pytest
                 python3-distributed)
for option in "$@"; do
  case "$option" in
    --fuzz) packages+=("${fuzz_packages[@]}") ;;
    --bench) packages+=(libnlopt-dev python3-scipy python3-sklearn libglpk-dev libpagmo-dev python3-openturns
                        "${fuzz_packages[@]}") ;;
    --python) packages+=("${python_packages[@]}") ;;
    *) echo "install-deps.sh: unknown option $option (--fuzz, --bench, --python)" >&2; exit 2 ;;
  esac
done

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [[ ${#missing[@]} -eq 0 ]]; then
  exit 0
fi

echo "Installing missing packages: ${missing[*]}"
as_root=()
if [[ $(id -u) -ne 0 ]]; then
  as_root=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
