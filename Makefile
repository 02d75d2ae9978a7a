# Thin wrapper around CMake: `make run` and `make test` are all a new user needs.
# CMake's and the compiler's own output goes to standard error, so that keys
# piped into `make run` give a clean transcript on standard output.
BUILD ?= build
GENERATOR := $(shell command -v ninja >/dev/null 2>&1 && echo Ninja || echo "Unix Makefiles")
# Our own builds and CI set WERROR=ON: warnings then fail the build.
WERROR ?= OFF

.PHONY: all build run test bench fuzz windows clean

all: build

# Configures $(BUILD) with the options given. A configure that fails leaves
# no cache behind, so the next command starts afresh.
define configure
	@cmake -S . -B $(2) -G "$(GENERATOR)" -DNAGYSZAM_WERROR=$(WERROR) $(CMAKE_ARGS) $(1) >&2 \
	  || { rm -rf $(2)/CMakeCache.txt $(2)/CMakeFiles; exit 1; }
endef

# The program alone: no test package is needed or built.
build:
	$(call configure,-DNAGYSZAM_TESTS=OFF,$(BUILD))
	@cmake --build $(BUILD) --target nagyszam >&2

run: build
	@$(BUILD)/nagyszam

# Installs the packages the tests need first (or says how), then builds and
# runs every test. A test that hangs is stopped after five minutes.
test:
	@scripts/test-packages.sh
	$(call configure,-DNAGYSZAM_TESTS=ON,$(BUILD))
	@cmake --build $(BUILD) >&2
	ctest --test-dir $(BUILD) --output-on-failure --no-tests=error -j2 --timeout 300

# Times every number operation against GMP and Boost's fixed-width cpp_int,
# interleaved in one process; exits 1 when a target is missed.
bench:
	@scripts/test-packages.sh
	$(call configure,-DNAGYSZAM_TESTS=ON,$(BUILD))
	@cmake --build $(BUILD) --target numbers_bench >&2
	$(BUILD)/numbers/numbers_bench

# `make fuzz`: each fuzz target for FUZZ_SECONDS, from its seed corpus (never
# written) and what earlier runs found. The targets and their corpora are
# listed once, in cmake/fuzz_targets.cmake.
FUZZ_SECONDS ?= 60
FUZZ_BUILD ?= build-fuzz
fuzz:
	@scripts/test-packages.sh --fuzz
	$(call configure,-DCMAKE_CXX_COMPILER=clang++ -DNAGYSZAM_FUZZ=ON -DNAGYSZAM_TESTS=OFF -DNAGYSZAM_PROGRAM=OFF,$(FUZZ_BUILD))
	@cmake --build $(FUZZ_BUILD) --target fuzz_targets >&2
	@set -e; while read -r name corpus; do \
	  work=$(FUZZ_BUILD)/corpus/$$name; mkdir -p $$work $(FUZZ_BUILD)/crashes; \
	  echo "fuzzing $$name for $(FUZZ_SECONDS) s"; \
	  $(FUZZ_BUILD)/$${name}_fuzz -max_total_time=$(FUZZ_SECONDS) -timeout=10 \
	    -rss_limit_mb=4096 -print_final_stats=1 -artifact_prefix=$(FUZZ_BUILD)/crashes/$$name- \
	    $$work $$corpus 2>$(FUZZ_BUILD)/$$name.log || { tail -40 $(FUZZ_BUILD)/$$name.log; exit 1; }; \
	  grep -E '^(Done|stat::number_of_executed_units)' $(FUZZ_BUILD)/$$name.log; \
	done < $(FUZZ_BUILD)/fuzz_targets.txt

# `make windows`: the program cross-built for 64-bit Windows with MinGW-w64,
# build-windows/nagyszam.exe (needs only kernel32 and msvcrt).
WINDOWS_BUILD ?= build-windows
windows:
	$(call configure,-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake,$(WINDOWS_BUILD))
	cmake --build $(WINDOWS_BUILD)

clean:
	rm -rf $(BUILD) build-asan $(FUZZ_BUILD) $(WINDOWS_BUILD)
