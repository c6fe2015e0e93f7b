# Vistelle: everything starts here.
#   make run    build the program and show what it does
#   make test   build and run every test (native, then Windows under Wine)
#   make dist   the portable program folder, dist/Vistelle
#   make release  the portable zip and the installer in dist/
#   make fuzz   run each fuzz target for FUZZ_SECONDS (60) or FUZZ_RUNS executions
#   make bench  the composition benchmark (optimised native build)
# Each target installs the Debian packages it needs first.

SHELL := /bin/bash
.ONESHELL:
.SHELLFLAGS := -eu -o pipefail -c

NATIVE := build/native
WINDOWS := build/windows
BENCH := build/bench
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?=
FUZZ_RUNS ?=

.PHONY: all test test-native test-windows native windows run dist release fuzz bench clean

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
	tools/deps.sh release
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

release: windows
	tools/deps.sh release
	tools/release/make-release.sh $(WINDOWS) dist

fuzz:
	tools/deps.sh native fuzz
	FUZZ_SECONDS='$(FUZZ_SECONDS)' FUZZ_RUNS='$(FUZZ_RUNS)' tools/run-fuzz.sh

bench:
	tools/deps.sh native
	cmake --preset bench >/dev/null
	cmake --build $(BENCH) -j $(JOBS)
	$(BENCH)/bench_compose

clean:
	rm -rf build dist out
