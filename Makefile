# Thin wrapper around CMake: `make run` and `make test` are all a new user needs.
BUILD ?= build
GENERATOR := $(shell command -v ninja >/dev/null 2>&1 && echo Ninja || echo "Unix Makefiles")

.PHONY: all build run test bench fuzz windows clean

all: build

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -G "$(GENERATOR)" $(CMAKE_ARGS)

build: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD)

run: build
	./$(BUILD)/nagyszam

# A test that hangs is stopped after five minutes and counts as failed.
test: build
	ctest --test-dir $(BUILD) --output-on-failure -j2 --timeout 300

# Times every number operation against GMP and Boost's fixed-width cpp_int,
# interleaved in one process; exits 1 when a target is missed.
bench: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) --target numbers_bench
	./$(BUILD)/numbers/numbers_bench

# `make fuzz`: each fuzz target for FUZZ_SECONDS, from its seed corpus
# (folder/fuzz_corpus/name, never written) and what earlier runs found.
FUZZ_SECONDS ?= 60
FUZZ_BUILD ?= build-fuzz
FUZZ_TARGETS := numbers/numbers console/key_decoder console/window console/posix/terminal \
  entry/entry

fuzz:
	cmake -S . -B $(FUZZ_BUILD) -G "$(GENERATOR)" -DCMAKE_CXX_COMPILER=clang++ \
	  -DNAGYSZAM_FUZZ=ON -DNAGYSZAM_TESTS=OFF
	cmake --build $(FUZZ_BUILD) --target fuzz_targets
	@set -e; for target in $(FUZZ_TARGETS); do \
	  name=$${target##*/}; work=$(FUZZ_BUILD)/corpus/$$name; \
	  mkdir -p $$work $(FUZZ_BUILD)/crashes; \
	  echo "fuzzing $$name for $(FUZZ_SECONDS) s"; \
	  ./$(FUZZ_BUILD)/$${name}_fuzz -max_total_time=$(FUZZ_SECONDS) -timeout=10 \
	    -rss_limit_mb=4096 -print_final_stats=1 \
	    -artifact_prefix=$(FUZZ_BUILD)/crashes/$$name- \
	    $$work $${target%/*}/fuzz_corpus/$$name 2>$(FUZZ_BUILD)/$$name.log \
	    || { tail -40 $(FUZZ_BUILD)/$$name.log; exit 1; }; \
	  grep -E '^(Done|stat::number_of_executed_units)' $(FUZZ_BUILD)/$$name.log; \
	done

# `make windows`: the program cross-built for 64-bit Windows with MinGW-w64,
# build-windows/nagyszam.exe (needs only kernel32 and msvcrt).
WINDOWS_BUILD ?= build-windows
windows:
	cmake -S . -B $(WINDOWS_BUILD) -G "$(GENERATOR)" \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DNAGYSZAM_TESTS=OFF
	cmake --build $(WINDOWS_BUILD)

clean:
	rm -rf $(BUILD)
