# The front door. Every target first runs scripts/setup, which installs what is missing
# (Debian packages only) and builds into build/.

BUILD_DIR ?= build
export BUILD_DIR

PREFIX ?= /usr/local
SUDO := $(if $(filter 0,$(shell id -u)),,sudo)

.PHONY: all build run demo test screenshot install package fuzz-smoke fuzz clean

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
	rm -rf $(BUILD_DIR)
