# SPDX-License-Identifier: GPL-3.0-or-later
# Everyday entry points. `make demo` runs the main job, `make test` the whole test suite.
PRESET ?= $(if $(CI),ci,default)
BUILD_DIR := build
JOBS ?= $(shell nproc)

.PHONY: deps configure build test demo gui asan tsan fuzz bench format clean package check-package \
	windows windows-qt windows-test windows-installer

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake --preset $(PRESET) >/dev/null

build: configure
	@cmake --build --preset $(PRESET) -j $(JOBS)

test: build
	@ctest --preset $(PRESET) -j $(JOBS)

# The demo builds only the programs it runs: the command-line tool, the simulator, the
# sample-image tool, and the desktop program when there is a display to show it on.
DEMO_TARGETS := vantrel vantrel-logger-sim vantrel-make-sample-image \
                $(if $(or $(DISPLAY),$(WAYLAND_DISPLAY)),vantrel-utilities)
demo:
	@bash scripts/install-deps.sh build
	@cmake --preset $(PRESET) >/dev/null
	@cmake --build --preset $(PRESET) -j $(JOBS) --target $(DEMO_TARGETS)
	@bash scripts/demo.sh $(BUILD_DIR)/bin

# The desktop program from the build folder, on your own settings.
gui: configure
	@cmake --build --preset $(PRESET) -j $(JOBS) --target vantrel-utilities
	@$(BUILD_DIR)/bin/vantrel-utilities

# Debian packages in build/packages: vantrel-utilities and vantrel-logger-sim.
package: build
	@cmake --build --preset $(PRESET) --target package

# The packages built, then checked: contents, lintian, desktop and AppStream data, and the
# unpacked programs run.
check-package: package
	@bash scripts/check-package.sh $(BUILD_DIR)

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer, stopping at the
# first error (the options are in CMakePresets.json).
asan: deps
	@cmake --preset asan >/dev/null && cmake --build --preset asan -j $(JOBS) && ctest --preset asan -j $(JOBS)

# The serial port's monitor thread under ThreadSanitizer: only what its tests need is built.
tsan: deps
	@cmake --preset tsan >/dev/null && cmake --build --preset tsan -j $(JOBS) --target link_serial_tests && ctest --preset tsan -j $(JOBS) -L serial

# Builds the fuzz targets and runs each for a minute (FUZZ_SECONDS=n for longer or shorter).
fuzz: deps
	@cmake --preset fuzz >/dev/null && cmake --build --preset fuzz -j $(JOBS) --target fuzzers
	@bash fuzz/run_all.sh

bench: build
	@bash bench/run.sh $(BUILD_DIR)/bin

# The Windows build (mingw-w64 cross build, Debian 12) into build-windows/, and its tests
# under wine. Qt for mingw comes from its cache folder, built the first time only (see
# windows-qt); the programs find their DLLs beside them in build-windows/bin.
windows:
	@bash scripts/install-deps.sh windows
	@bash scripts/build-qt-windows.sh
	@cmake --preset windows >/dev/null
	@cmake --build --preset windows -j $(JOBS)

# Qt for mingw, built once into /var/cache/vantrel-build (20 minutes or more on an idle
# machine the first time) and reused after, for the Windows build of the Qt front ends.
windows-qt:
	@bash scripts/build-qt-windows.sh

# The installer of both programs: build-windows/VantrelUtilities-<version>-setup.exe (NSIS).
windows-installer: windows
	@cmake --build --preset windows -j $(JOBS) --target windows-installer

# The serial test, the golden cases and the installer's test under wine talk to the Linux
# build's simulator; the golden cases run from the Linux build's harness.
# The wine prefix is the one the windows preset names, made whole before the tests are listed.
windows-test: windows-installer configure
	@cmake --build --preset $(PRESET) --target vantrel-logger-sim cli_golden_tests
	@WINEPREFIX=/tmp/vantrel-wine-$(notdir $(CURDIR)) bash scripts/wine-prefix.sh
	@ctest --preset windows -j $(JOBS)

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf build build-asan build-tsan build-fuzz build-windows
