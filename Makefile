# Vistelle: everything starts here.
#   make run    build the program and show what it does
#   make test   build and run every test (native, then Windows under Wine)
#   make dist   the portable program folder, dist/Vistelle
#   make fuzz   run each fuzz target for FUZZ_SECONDS (60)
#   make bench  the composition benchmark (optimised native build)
# Each target installs the Debian packages it needs first.

SHELL := /bin/bash
.ONESHELL:
.SHELLFLAGS := -eu -o pipefail -c

NATIVE := build/native
WINDOWS := build/windows
BENCH := build/bench
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 60

.PHONY: all test test-native test-windows native windows run dist fuzz bench clean

all: native windows

native:
	tools/deps.sh native
	cmake --preset native >/dev/null
	cmake --build $(NATIVE) -j $(JOBS)

windows: native
	tools/deps.sh windows
	cmake --preset windows -DVISTELLE_NATIVE_BUILD_DIR=$(CURDIR)/$(NATIVE) >/dev/null
	cmake --build $(WINDOWS) -j $(JOBS)

test-native: native
	ctest --test-dir $(NATIVE) -j $(JOBS) --output-on-failure

test-windows: windows
	tools/with-xvfb ctest --test-dir $(WINDOWS) --output-on-failure

# Native tests first; the Windows run (unit tests under Wine, then the
# end-to-end checks of the real programs) closes with ctest's summary.
test: test-native test-windows

run: windows
	tools/run-demo.sh

dist: windows
	rm -rf dist/Vistelle
	cmake --install $(WINDOWS) --prefix dist/Vistelle >/dev/null
	@echo "The portable program folder is dist/Vistelle (Pictora.exe, Skin, Calendar)."

fuzz:
	tools/deps.sh native fuzz
	tools/run-fuzz.sh $(FUZZ_SECONDS)

bench:
	tools/deps.sh native
	cmake --preset bench >/dev/null
	cmake --build $(BENCH) -j $(JOBS)
	$(BENCH)/bench_compose

clean:
	rm -rf build dist out
