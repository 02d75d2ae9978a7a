# Thin wrapper around CMake: `make run` and `make test` are all a new user needs.
BUILD ?= build
GENERATOR := $(shell command -v ninja >/dev/null 2>&1 && echo Ninja || echo "Unix Makefiles")

.PHONY: all build run test bench clean

all: build

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -G "$(GENERATOR)" $(CMAKE_ARGS)

build: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD)

run: build
	./$(BUILD)/nagyszam

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j2

# Times every number operation against GMP and prints the ratios.
bench: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) --target numbers_bench
	./$(BUILD)/numbers/numbers_bench

clean:
	rm -rf $(BUILD)
