# Everyday entry points. `make demo` runs the main job, `make test` the whole test suite.
PRESET ?= $(if $(CI),ci,default)
BUILD_DIR := build
JOBS ?= $(shell nproc)

.PHONY: deps configure build test demo gui asan tsan fuzz bench format clean

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake --preset $(PRESET) >/dev/null

build: configure
	@cmake --build --preset $(PRESET) -j $(JOBS)

test: build
	@ctest --preset $(PRESET) -j $(JOBS)

demo: build
	@bash scripts/demo.sh $(BUILD_DIR)/bin

# The desktop program from the build folder, on your own settings.
gui: configure
	@cmake --build --preset $(PRESET) -j $(JOBS) --target vantrel-utilities
	@$(BUILD_DIR)/bin/vantrel-utilities

asan: deps
	@cmake --preset asan >/dev/null && cmake --build --preset asan -j $(JOBS) && ctest --preset asan -j $(JOBS)

tsan: deps
	@cmake --preset tsan >/dev/null && cmake --build --preset tsan -j $(JOBS) && ctest --preset tsan -j $(JOBS) -L serial

fuzz: deps
	@cmake --preset fuzz >/dev/null && cmake --build --preset fuzz -j $(JOBS)
	@echo "Fuzzers are in build-fuzz/bin; e.g. build-fuzz/bin/fuzz_archive -max_total_time=60 fuzz/corpus/archive"

bench: build
	@bash bench/run.sh $(BUILD_DIR)/bin

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf build build-asan build-tsan build-fuzz
