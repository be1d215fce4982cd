# Two entry points: `make run` and `make test`. Everything else is a step of those,
# of CI (`make sanitize`, `make fuzz`, `make package`) or of a release.
BUILD      ?= build
JOBS       ?= $(shell nproc)
FUZZ_SECONDS ?= 60
FUZZ_LONG_SECONDS ?= 3600
# Warnings are fatal in the developer and CI builds below; a plain cmake configure and
# the release build keep them warnings, as a packager's build must.
WERROR     ?= ON
PREFIX     ?= /usr/local
CMAKE_GEN  := -G Ninja $(if $(shell command -v ccache),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
DEV_FLAGS  := $(CMAKE_GEN) -DVLT_WERROR=$(WERROR)
# The programs and libraries only, optimised, laid out for /usr: what the package holds.
RELEASE    := $(BUILD)-release

.PHONY: deps configure build run test sanitize fuzz fuzz-build fuzz-rate fuzz-long coverage bench release install package screenshots layering clean

deps:
	./scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD) $(DEV_FLAGS) -DCMAKE_BUILD_TYPE=RelWithDebInfo

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
	CC=clang CXX=clang++ cmake -S . -B $(BUILD)-asan $(DEV_FLAGS) -DCMAKE_BUILD_TYPE=Debug -DVLT_SANITIZE=ON \
	      -DVLT_BUILD_GUI=OFF -DVLT_BUILD_BENCH=OFF
	cmake --build $(BUILD)-asan -j $(JOBS)
	cd $(BUILD)-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	    ctest --output-on-failure -j $(JOBS) -L core

# The libFuzzer targets, built with clang.
fuzz-build: deps
	CC=clang CXX=clang++ cmake -S . -B $(BUILD)-fuzz $(DEV_FLAGS) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	      -DVLT_BUILD_FUZZ=ON -DVLT_BUILD_GUI=OFF -DVLT_BUILD_BENCH=OFF -DVLT_BUILD_TESTS=OFF
	cmake --build $(BUILD)-fuzz -j $(JOBS)

# Every fuzz target for a bounded time, seeded from tests/data/<target>/ when present.
fuzz: fuzz-build
	./scripts/run-fuzzers.sh $(BUILD)-fuzz/fuzz $(FUZZ_SECONDS)

# Executions per second of every fuzz target over its seed corpus (FUZZ_RUNS each, 60 s at most).
fuzz-rate: fuzz-build
	./scripts/fuzz-rate.sh $(BUILD)-fuzz/fuzz $(or $(FUZZ_RUNS),20000)

# For developers: every fuzz target for FUZZ_LONG_SECONDS (default an hour) each, then what
# they found merged into the kept corpora tests/data/<target>/ (FUZZ_TARGETS and FUZZ_JOBS
# as scripts/fuzz-long.sh tells).
fuzz-long: fuzz-build
	./scripts/fuzz-long.sh $(BUILD)-fuzz/fuzz $(FUZZ_LONG_SECONDS)

# Line coverage per folder, clang source-based, of the fuzz corpora replayed and of all
# tests, with HTML reports in $(BUILD)-coverage/coverage/. Not part of CI.
coverage: deps
	CC=clang CXX=clang++ cmake -S . -B $(BUILD)-coverage $(DEV_FLAGS) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVLT_COVERAGE=ON \
	      -DVLT_BUILD_GUI=OFF -DVLT_BUILD_BENCH=OFF
	cmake --build $(BUILD)-coverage -j $(JOBS)
	./scripts/coverage.sh $(BUILD)-coverage

bench: build
	@for b in $(BUILD)/bench/bench_*; do echo "== $$b"; $$b; done

release: deps
	cmake -S . -B $(RELEASE) $(CMAKE_GEN) -DVLT_WERROR=OFF -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
	      -DVLT_BUILD_TESTS=OFF -DVLT_BUILD_BENCH=OFF
	cmake --build $(RELEASE) -j $(JOBS)

install: release
	cmake --install $(RELEASE) --prefix $(PREFIX)

# $(RELEASE)/vaultane95_<version>_<arch>.deb
package: release
	cd $(RELEASE) && cpack -G DEB

# The real-display tests, each saving its window as a PNG into docs/screenshots/.
screenshots: build
	mkdir -p docs/screenshots
	cd $(BUILD) && VLT_SCREENSHOT_DIR=$(CURDIR)/docs/screenshots ctest --output-on-failure -L xvfb

layering:
	./scripts/check-layering.sh

clean:
	rm -rf $(BUILD) $(BUILD)-asan $(BUILD)-fuzz $(BUILD)-coverage $(RELEASE)
