# Thin wrapper over the CMake presets. `make run` and `make test` are the whole set-up.
APP_PACKAGES  := cmake g++ ninja-build libcli11-dev libsuitesparse-dev liblapacke-dev libeigen3-dev \
                 libspectra-dev
FUZZ_PACKAGES := $(APP_PACKAGES) clang libclang-rt-14-dev
TEST_PACKAGES := $(FUZZ_PACKAGES) libgtest-dev valgrind gnuplot-nox time
BENCH_PACKAGES := $(APP_PACKAGES) libbenchmark-dev python3-scipy time

# Seconds that each fuzz target runs in `make fuzz` and `make test`.
FUZZ_SECONDS ?= 60

# make bench: sizes n = 2, 4, … up to BENCH_MAX_N, each timed BENCH_RUNS times; a run that
# takes more than BENCH_TIMEOUT seconds of CPU ends its family.
BENCH_MAX_N   ?= 2048
BENCH_RUNS    ?= 5
BENCH_TIMEOUT ?= 120
# Then the sparse models (bench/model_bench.sh) against SciPy; BENCH_MODEL_SCALE=0.01 shrinks them
# to a quick try (1 gives a chain of 10^6 masses and a cantilever of n = 100 008).
BENCH_MODEL_SCALE ?= 1

.PHONY: all run plot test fuzz bench clean

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
	cmake --preset tsan
	cmake --build --preset tsan
	ctest --preset tsan
	$(MAKE) --no-print-directory fuzz

fuzz:
	@scripts/ensure-deps.sh $(FUZZ_PACKAGES)
	cmake --preset fuzz
	cmake --build --preset fuzz
	scripts/run-fuzzers.sh $(FUZZ_SECONDS)

bench:
	@scripts/ensure-deps.sh $(BENCH_PACKAGES)
	cmake --preset release >/dev/null
	cmake --build --preset release -j 2 --target lsde-cli bench/all
	@for b in build/release/bench/*_bench; do [ -x "$$b" ] || continue; "$$b" --benchmark_min_time=0.1 || exit 1; done
	build/release/bench/run_table --lsde build/release/app/lsde \
	  --gen build/release/bench/gen_system --work build/bench-work \
	  --max-n $(BENCH_MAX_N) --runs $(BENCH_RUNS) --timeout $(BENCH_TIMEOUT)
	bench/model_bench.sh build/release/app/lsde --gen build/release/bench/gen_model \
	  --work build/bench-work/models --scale $(BENCH_MODEL_SCALE)
	bench/modal_bench.sh build/release/app/lsde --work build/bench-work/modal

clean:
	rm -rf build
