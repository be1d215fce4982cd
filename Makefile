# Two entry points: `make run` and `make test`. Everything else is a step of those
# or of CI (`make sanitize`, `make fuzz`).
BUILD      ?= build
JOBS       ?= $(shell nproc)
FUZZ_SECONDS ?= 60
CMAKE_GEN  := -G Ninja $(if $(shell command -v ccache),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

.PHONY: deps configure build run test sanitize fuzz fuzz-rate bench clean

deps:
	./scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# Starts the workbench window.
run: build
	$(BUILD)/ui/vlt95

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The core tests once more under AddressSanitizer + UndefinedBehaviorSanitizer,
# built with clang so that both compilers see the code and the tests.
sanitize: deps
	CC=clang CXX=clang++ cmake -S . -B $(BUILD)-asan $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DVLT_SANITIZE=ON \
	      -DVLT_BUILD_GUI=OFF -DVLT_BUILD_BENCH=OFF
	cmake --build $(BUILD)-asan -j $(JOBS)
	cd $(BUILD)-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	    ctest --output-on-failure -j $(JOBS) -L core

# Every fuzz target for a bounded time, seeded from tests/data/<target>/ when present.
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(BUILD)-fuzz $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	      -DVLT_BUILD_FUZZ=ON -DVLT_BUILD_GUI=OFF -DVLT_BUILD_BENCH=OFF -DVLT_BUILD_TESTS=OFF
	cmake --build $(BUILD)-fuzz -j $(JOBS)
	./scripts/run-fuzzers.sh $(BUILD)-fuzz/fuzz $(FUZZ_SECONDS)

# Executions per second of every fuzz target over its seed corpus (FUZZ_RUNS each, 60 s at most).
fuzz-rate: deps
	CC=clang CXX=clang++ cmake -S . -B $(BUILD)-fuzz $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	      -DVLT_BUILD_FUZZ=ON -DVLT_BUILD_GUI=OFF -DVLT_BUILD_BENCH=OFF -DVLT_BUILD_TESTS=OFF
	cmake --build $(BUILD)-fuzz -j $(JOBS)
	./scripts/fuzz-rate.sh $(BUILD)-fuzz/fuzz $(or $(FUZZ_RUNS),20000)

bench: build
	@for b in $(BUILD)/bench/bench_*; do echo "== $$b"; $$b; done

clean:
	rm -rf $(BUILD) $(BUILD)-asan $(BUILD)-fuzz
