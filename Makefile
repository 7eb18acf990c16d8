# Thin wrapper over the CMake presets. `make run` and `make test` are the whole set-up.
APP_PACKAGES  := cmake g++ ninja-build
FUZZ_PACKAGES := $(APP_PACKAGES) clang libclang-rt-14-dev
TEST_PACKAGES := $(FUZZ_PACKAGES) libgtest-dev valgrind
BENCH_PACKAGES := $(APP_PACKAGES) libbenchmark-dev

# Seconds that each fuzz target runs in `make fuzz` and `make test`.
FUZZ_SECONDS ?= 60

.PHONY: all run test fuzz bench clean

all:
	@scripts/ensure-deps.sh $(APP_PACKAGES)
	cmake --preset release >/dev/null
	cmake --build --preset app
	cp build/release/app/lsde build/lsde

run: all
	build/lsde examples/two-masses.csv </dev/null

test:
	@scripts/ensure-deps.sh $(TEST_PACKAGES)
	cmake --preset release
	cmake --build --preset release
	ctest --preset release
	cmake --preset asan-ubsan
	cmake --build --preset asan-ubsan
	ctest --preset asan-ubsan
	$(MAKE) --no-print-directory fuzz

fuzz:
	@scripts/ensure-deps.sh $(FUZZ_PACKAGES)
	cmake --preset fuzz
	cmake --build --preset fuzz
	scripts/run-fuzzers.sh $(FUZZ_SECONDS)

clean:
	rm -rf build
