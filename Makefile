# Quick start: `make demo` builds the library and runs the demo on the bundled
# problems; `make test` builds and runs the test suite. Both install the Debian
# packages the build needs when they are missing.
BUILD_DIR ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=

.PHONY: all deps configure build demo test bench clean python python-build python-test

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS) > /dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

demo: build
	@$(BUILD_DIR)/examples/zelkor_demo
	@$(BUILD_DIR)/examples/example_restart
	@cd $(BUILD_DIR) && examples/example_reinforcement
	@$(BUILD_DIR)/examples/example_slope
	@$(BUILD_DIR)/examples/example_frequency
	@mkdir -p $(BUILD_DIR)/cli-demo && cp examples/cli/cantilever.sh examples/cli/cantilever.toml $(BUILD_DIR)/cli-demo/
	@$(BUILD_DIR)/zelkor run $(BUILD_DIR)/cli-demo/cantilever.toml --jobs $(JOBS)
	@echo "Exported interface of libzelkor.so:"
	@nm -D --defined-only $(BUILD_DIR)/libzelkor.so | c++filt | awk '$$2 ~ /^[TW]$$/ {$$1=""; $$2=""; print "  " substr($$0, 3)}'

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# Benchmarks against peer libraries (installed as bench-only dependencies). BLAS
# runs on the calling thread for both sides, as the library computes on its
# caller's thread (see README, "Design decisions").
bench:
	@scripts/install-deps.sh --bench
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release -DZELKOR_BUILD_BENCH=ON $(CMAKE_FLAGS) > /dev/null
	@cmake --build $(BUILD_DIR) -j $(JOBS)
	@for program in $(BUILD_DIR)/bench/*Bench; do echo "== $$program"; OPENBLAS_NUM_THREADS=1 $$program; done

# The Python package zelkor (pybind11) on the library built above, for Debian's
# Python: `make python` installs it into /usr/local/lib/python3/dist-packages
# (PYTHON_PREFIX), `make python-test` runs its pytest suite on the build folder.
PYTHON ?= /usr/bin/python3
PYTHON_PREFIX ?= /usr/local

python-build:
	@scripts/install-deps.sh --python
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release -DZELKOR_BUILD_PYTHON=ON -DPython_EXECUTABLE=$(PYTHON) $(CMAKE_FLAGS) > /dev/null
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target zelkor_python

python: python-build
	@cmake --install $(BUILD_DIR) --component python --prefix $(PYTHON_PREFIX)

python-test: python-build
	@cd python/tests && OPENBLAS_NUM_THREADS=1 PYTHONPATH=$(abspath $(BUILD_DIR))/python $(PYTHON) -m pytest -q -p no:cacheprovider .

clean:
	@rm -rf $(BUILD_DIR)
