# Ravlin — the two commands that set everything up: `make run` and `make test`.
BUILD ?= build
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc)

ifeq ($(CI),true)
  CMAKE_FLAGS += -DRAVLIN_WERROR=ON
endif

.PHONY: all deps configure build run test bench fuzz clean

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
	@cd $(BUILD) && ctest --no-tests=error --output-on-failure -j $(JOBS)

bench: build
	@scripts/run-bench.sh $(BUILD)

# libFuzzer targets, built with clang in a separate tree.
fuzz: deps
	@CC=clang CXX=clang++ cmake -S . -B $(BUILD)-fuzz -G Ninja -DRAVLIN_FUZZ=ON \
	  -DRAVLIN_TESTS=OFF -DRAVLIN_BENCH=OFF >/dev/null
	@cmake --build $(BUILD)-fuzz -j $(JOBS)

clean:
	@rm -rf $(BUILD) $(BUILD)-fuzz
