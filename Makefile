# The two entry points a fresh Debian 12 machine needs: `make run` and `make test`.
PRESET ?= default
BUILD_DIR := build/$(PRESET)

.PHONY: deps configure build run test clean

deps:
	@scripts/install-deps.sh

configure: deps
	cmake --preset $(PRESET)

build: configure
	cmake --build --preset $(PRESET)

run: build
	$(BUILD_DIR)/qmquery

test: build
	QT_QPA_PLATFORM=offscreen ctest --preset $(PRESET)

clean:
	rm -rf build
