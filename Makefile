# The two commands that matter: `make test` and `make demo`. Both install what they need.
BUILD ?= build
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc)
CTEST = ctest --output-on-failure -j $(JOBS)

.PHONY: package deps configure build test test-asan test-tsan demo run screenshots bench format format-check clean \
	fuzz fuzz-smoke

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && $(CTEST)

# The core and engine tests once more under AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan: deps
	@cmake -S . -B build-asan -G Ninja -DTARNWICK_GUI=OFF -DCMAKE_BUILD_TYPE=Debug \
	    -DTARNWICK_SANITIZE=address,undefined $(CMAKE_FLAGS) >/dev/null
	@cmake --build build-asan -j $(JOBS)
	cd build-asan && $(CTEST) -L 'core|engine'

# The engine tests under ThreadSanitizer.
test-tsan: deps
	@cmake -S . -B build-tsan -G Ninja -DTARNWICK_GUI=OFF -DCMAKE_BUILD_TYPE=Debug \
	    -DTARNWICK_SANITIZE=thread $(CMAKE_FLAGS) >/dev/null
	@cmake --build build-tsan -j $(JOBS)
	cd build-tsan && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" $(CTEST) -L 'engine|core'

# The libFuzzer targets (fuzz/), built with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer.
fuzz: deps
	@CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DTARNWICK_FUZZ=ON -DTARNWICK_GUI=OFF \
	    -DTARNWICK_SANITIZE=address,undefined $(CMAKE_FLAGS) >/dev/null
	@cmake --build build-fuzz -j $(JOBS) --target fuzz_targets

# Each target for FUZZ_SECONDS from the checked-in seeds; what it finds stays in build-fuzz.
FUZZ_SECONDS ?= 20
fuzz-smoke: fuzz
	@scripts/fuzz-smoke build-fuzz $(FUZZ_SECONDS)

demo: build
	@scripts/demo $(BUILD)/bin

run: build
	$(BUILD)/bin/tarnwick

# A .deb of the programs, their empty database and the desktop entry (needs no tests built).
package: build
	cd $(BUILD) && cpack

screenshots: build
	@scripts/screenshots $(BUILD)/bin

# The store benchmarks measure a PostgreSQL server too: a throwaway one with the usual durability.
bench: build
	@dir=$$(mktemp -u /tmp/tarnwick-bench-pg.XXXXXX); \
	trap 'scripts/pg-test-cluster stop '"$$dir" EXIT; \
	TARNWICK_TEST_PG=$$(scripts/pg-test-cluster start $$dir --durable) || exit 1; \
	export TARNWICK_TEST_PG; \
	for b in $(BUILD)/bin/*_bench; do echo "== $$b"; $$b || exit 1; done; \
	echo "== $(BUILD)/bin/cpu_per_request"; $(BUILD)/bin/cpu_per_request --runs 1

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check:
	@git ls-files '*.cpp' '*.h' | xargs -r clang-format --dry-run --Werror

clean:
	rm -rf $(BUILD) build-asan build-tsan build-fuzz
