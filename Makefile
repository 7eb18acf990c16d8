# Thin wrapper over the CMake presets. `make run` and `make test` are the whole set-up.
APP_PACKAGES  := cmake g++ ninja-build
TEST_PACKAGES := $(APP_PACKAGES) libgtest-dev gnuplot-nox
BENCH_PACKAGES := $(APP_PACKAGES) libbenchmark-dev

.PHONY: all run plot test bench clean

all:
	@scripts/ensure-deps.sh $(APP_PACKAGES)
	cmake --preset release >/dev/null
	cmake --build --preset app
	cp build/release/app/lsde build/lsde

run: all
	build/lsde examples/two-masses.csv </dev/null

plot: all
	@scripts/ensure-deps.sh gnuplot-nox
	build/lsde examples/two-masses.csv </dev/null | tools/lsde-plot -o build/two-masses.svg

test:
	@scripts/ensure-deps.sh $(TEST_PACKAGES)
	cmake --preset release
	cmake --build --preset release
	ctest --preset release
	cmake --preset asan-ubsan
	cmake --build --preset asan-ubsan
	ctest --preset asan-ubsan

clean:
	rm -rf build
