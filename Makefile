# Quick start:
#   make run    installs what is needed, builds, and starts the program on a demo office
#   make test   installs what is needed, builds, and runs every test
BUILD ?= build
JOBS ?= $(shell nproc)
DEMO_DIR ?= $(CURDIR)/demo-office
CMAKE_FLAGS ?=

.PHONY: deps configure build run test bench clean

deps:
	@scripts/install-deps.sh

configure: deps
	@test -f $(BUILD)/build.ninja || cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@scripts/run-demo.sh $(BUILD) $(DEMO_DIR)

test: build
	@scripts/run-tests.sh $(BUILD)

bench: build
	@for b in $(BUILD)/bench/bench_* $(BUILD)/bin/bench_*; do [ -x "$$b" ] && "$$b"; done; true

clean:
	rm -rf $(BUILD)
