# Set-up and everyday commands; see README.md.
BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
BENCH_BUILD ?= build-bench
JOBS       ?= $(shell nproc)
CMAKE_GEN  := -G Ninja
# CI turns compiler warnings into errors (make test WERROR=ON).
WERROR     ?= OFF
CMAKE_OPTS := $(CMAKE_GEN) -DPELLORA_WERROR=$(WERROR)

.PHONY: all deps build run test package asan-test fuzz bench screenshots clean

all: build

deps:
	@sh scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) $(CMAKE_OPTS) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/bin/pellora $(ARGS)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The Debian package: $(BUILD)/pellora_<version>_<architecture>.deb (sudo apt install ./$(BUILD)/pellora_*.deb).
package: build
	@cmake --build $(BUILD) --target package

asan-test: deps
	@cmake -S . -B $(ASAN_BUILD) $(CMAKE_OPTS) -DCMAKE_BUILD_TYPE=Debug -DPELLORA_SANITIZE=ON >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	    ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

fuzz: deps
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) $(CMAKE_OPTS) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DPELLORA_FUZZ=ON -DPELLORA_TESTS=OFF >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS)

bench: deps
	@cmake -S . -B $(BENCH_BUILD) $(CMAKE_OPTS) -DCMAKE_BUILD_TYPE=Release -DPELLORA_BENCH=ON -DPELLORA_TESTS=OFF >/dev/null
	@cmake --build $(BENCH_BUILD) -j $(JOBS)
	sh bench/run.sh $(BENCH_BUILD)

# Pictures of the windows on the offscreen platform, written to $(BUILD)/screenshots/.
screenshots: deps
	@cmake -S . -B $(BUILD) $(CMAKE_OPTS) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD) -j $(JOBS) --target pellora pellora_resources pellora_screenshots
	QT_QPA_PLATFORM=offscreen $(BUILD)/tools/pellora_screenshots $(BUILD)/bin $(BUILD)/screenshots

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(BENCH_BUILD)
