# The front door. Every target first runs scripts/setup, which installs what is missing
# (Debian packages only) and builds into build/.

BUILD_DIR ?= build
export BUILD_DIR

.PHONY: all build run demo test screenshot clean

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

clean:
	rm -rf $(BUILD_DIR)
