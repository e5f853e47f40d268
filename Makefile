# Ravlin — the two commands that set everything up: `make run` and `make test`.
BUILD ?= build
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 10

ifeq ($(CI),true)
  CMAKE_FLAGS += -DRAVLIN_WERROR=ON
endif

.PHONY: all deps configure build run test bench fuzz package clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# On a desktop: starts Ravlin on $DISPLAY. Without a display: a private virtual display with a
# compositing manager, a screenshot, and directions to look at the session.
run: build
	@if [ -n "$$DISPLAY" ] && xdpyinfo >/dev/null 2>&1; then \
	  exec $(BUILD)/bin/ravlin; \
	else \
	  exec scripts/run-virtual.sh $(BUILD)/bin/ravlin $(CURDIR)/ravlin-screenshot.png; \
	fi

test: build
	@scripts/fuzz-smoke.sh $(FUZZ_SECONDS) $(BUILD)-fuzz
	@cd $(BUILD) && { ctest --no-tests=error --output-on-failure -j $(JOBS); status=$$?; \
	  grep -h '^e2e: SKIPPED' Testing/Temporary/LastTest.log || true; exit $$status; }

# The .deb (ravlin_<version>_amd64.deb in the build folder), packed from the build tree as it is.
package: build
	@cd $(BUILD) && cpack -G DEB

bench: build
	@scripts/install-deps.sh --bench
	@scripts/run-bench.sh $(BUILD)

# libFuzzer targets, built with clang in a separate tree and run for FUZZ_SECONDS each
# (make test runs them briefly; make fuzz FUZZ_SECONDS=600 for a longer run).
fuzz: deps
	@scripts/fuzz-smoke.sh $(FUZZ_SECONDS) $(BUILD)-fuzz

clean:
	@rm -rf $(BUILD) $(BUILD)-fuzz
