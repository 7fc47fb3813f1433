# The front door. Every target first runs scripts/setup, which installs what is missing
# (Debian packages only) and builds into build/ (the sanitizer builds into build-asan/ and
# build-tsan/).

BUILD_DIR ?= build
export BUILD_DIR

PREFIX ?= /usr/local
SUDO := $(if $(filter 0,$(shell id -u)),,sudo)

.PHONY: all build run demo test test-asan test-tsan check bench e2e screenshot install package fuzz-smoke fuzz clean

all: build

build:
	scripts/setup

run: build
	$(BUILD_DIR)/ferrowind

# The dialog on the simulated keyboard, with a real keyboard's timing: no hardware needed.
demo: build
	$(BUILD_DIR)/ferrowind --simulate

test: build
	QT_QPA_PLATFORM=offscreen ctest --test-dir $(BUILD_DIR) --output-on-failure

# What CI runs: the suite as it is, then again under AddressSanitizer with
# UndefinedBehaviorSanitizer and under ThreadSanitizer, each in a build directory of its own.
# Last, a short fixed-length run of each fuzz target.
check: test test-asan test-tsan fuzz-smoke

# Every sanitizer report is fatal, so a test with a report in its output fails even if its
# assertions pass. The options also apply to the build, which runs the test programs to list
# their tests. The suppressions (Qt only) say why each is there.
ASAN_ENV = ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1 \
  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
TSAN_ENV = TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=$(CURDIR)/tests/sanitizers/tsan.supp
# The tests labelled "installation" (what cmake --install and the .deb hold) are left out:
# they check files and packages, not the program's memory or threads, and a sanitizer build
# is never installed or packaged.
SANITIZER_CTEST = QT_QPA_PLATFORM=offscreen ctest --output-on-failure -LE installation

test-asan:
	$(ASAN_ENV) BUILD_DIR=build-asan \
	  CMAKE_ARGS="$(CMAKE_ARGS) -DFERROWIND_SANITIZE=address,undefined" scripts/setup
	$(ASAN_ENV) $(SANITIZER_CTEST) --test-dir build-asan

test-tsan:
	$(TSAN_ENV) BUILD_DIR=build-tsan CMAKE_ARGS="$(CMAKE_ARGS) -DFERROWIND_SANITIZE=thread" scripts/setup
	$(TSAN_ENV) $(SANITIZER_CTEST) --test-dir build-tsan

# The benchmarks (bench/) in a Release build of their own, without the tests: a table on
# standard output, the same figures as JSON in build-release/bench.json. A few minutes;
# BENCH_ARGS="--runs N" changes the number of runs.
bench:
	BUILD_DIR=build-release BUILD_TYPE=Release \
	  CMAKE_ARGS="$(CMAKE_ARGS) -DFERROWIND_BUILD_TESTS=OFF" scripts/setup
	QT_QPA_PLATFORM=offscreen build-release/bench/ferrowind_bench --json build-release/bench.json $(BENCH_ARGS)

# The real-kernel end-to-end test: the program, in a Linux guest under QEMU, upgrades the
# simulated keyboard presented to the guest as a USB device (tests/e2e/). Installs what it
# needs first (scripts/setup --e2e), then builds into build-e2e/ (without the tests), which
# then includes ferrowind-usbdev. A couple of minutes, and the build.
e2e:
	scripts/setup --e2e
	BUILD_DIR=build-e2e CMAKE_ARGS="$(CMAKE_ARGS) -DFERROWIND_BUILD_TESTS=OFF" scripts/setup
	BUILD_DIR=build-e2e tests/e2e/run

# The README's picture of the dialog connected to the simulated keyboard, taken from the real
# widget without a display.
screenshot: build
	QT_QPA_PLATFORM=offscreen $(BUILD_DIR)/tools/grab_dialog --simulate docs/dialog.png

# The program, its udev rule, desktop entry and icon under $(PREFIX) (DESTDIR is honoured).
# udev then reads the rule; keyboards already plugged in get it when re-plugged or triggered.
install: build
	$(SUDO) cmake --install $(BUILD_DIR) --prefix $(PREFIX)
	@if [ -z "$$DESTDIR" ] && command -v udevadm >/dev/null; then \
	  $(SUDO) udevadm control --reload-rules && \
	  $(SUDO) udevadm trigger --subsystem-match=hidraw --action=change; fi

# The Debian package, in $(BUILD_DIR): install it with  sudo apt install ./build/ferrowind_*.deb
package: build
	cd $(BUILD_DIR) && cpack -G DEB

# The libFuzzer targets (fuzz/), built with clang into build-fuzz/ apart from the program.
# fuzz-smoke runs each for a fixed number of inputs from a copy of its seed corpus (CI); fuzz runs
# each for FUZZ_SECONDS and keeps the corpus it grows in build-fuzz/corpus/ for the next run.
FUZZ_SECONDS ?= 600
export FUZZ_SECONDS

fuzz-smoke:
	scripts/fuzz smoke

fuzz:
	scripts/fuzz long

clean:
	rm -rf $(BUILD_DIR) build-asan build-tsan build-release build-e2e
