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

# The flags of the last configure are kept in the build folder: other flags
# configure again from a fresh cache (a flag left out then takes its default
# instead of keeping the value an earlier configure gave it).
FLAGS_FILE = $(BUILD)/.cmake-flags
configure: deps
	@if [ ! -f $(BUILD)/build.ninja ]; then \
	  cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS); \
	elif [ ! -f $(FLAGS_FILE) ] || [ "$$(cat $(FLAGS_FILE))" != '$(CMAKE_FLAGS)' ]; then \
	  fresh=; [ -f $(FLAGS_FILE) ] && fresh=--fresh; \
	  echo "CMAKE_FLAGS changed: configuring $(BUILD) again"; \
	  cmake $$fresh -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS); \
	fi
	@printf '%s\n' '$(CMAKE_FLAGS)' > $(FLAGS_FILE)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@scripts/run-demo.sh $(BUILD) $(DEMO_DIR)

test: build
	@scripts/run-tests.sh $(BUILD)

# The list pages as one table (time per size, growth, steps or round trips);
# then the other benchmarks as they print themselves.
PAGE_BENCHES = bench_store bench_lists bench_views bench_engines
bench: build
	@scripts/bench-table.py $(BUILD)
	@for b in $(BUILD)/bench/bench_* $(BUILD)/bin/bench_*; do \
	  case " $(PAGE_BENCHES) " in *" $$(basename $$b) "*) continue;; esac; \
	  [ -x "$$b" ] && "$$b"; done; true

clean:
	rm -rf $(BUILD)
