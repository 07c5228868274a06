# Set-up and everyday commands; see README.md.
BUILD      ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
FUZZ_BUILD ?= build-fuzz
BENCH_BUILD ?= build-bench
JOBS       ?= $(shell nproc)
CMAKE_GEN  := -G Ninja
# CI turns compiler warnings into errors (make test WERROR=ON).
WERROR     ?= OFF
CMAKE_OPTS := $(CMAKE_GEN) -DPELLORA_WERROR=$(WERROR)

# Seconds each fuzz target runs in CI (make fuzz-ci); make fuzz-long runs each for 10 minutes.
FUZZ_SECONDS ?= 30
FUZZ_TARGETS := $(basename $(notdir $(wildcard fuzz/*Fuzz.cpp)))
# The tests of the threaded code (parallel Zip writer, package build worker, the worker threads of the
# window, discovery and shared printers), and the test programs that hold them.
TSAN_TESTS   ?= ZipWriter|ZipArchive|PackageBuilder|PackageBuildRunner|WorkerThread|HalvaneWrapperTest|Tab_NetworkTest|Tab_SharedTest|CupsPrinterSource
TSAN_TARGETS ?= pellora_core_tests pellora_ui_tests pellora_plugin_tests HalvaneWrapper

.PHONY: all deps build run test package asan-test tsan-test fuzz fuzz-ci fuzz-long bench screenshots clean

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

# The build runs its own Qt tools, sanitized too.
tsan-test: export TSAN_OPTIONS = halt_on_error=1 second_deadlock_stack=1 suppressions=$(CURDIR)/.ci/tsan.supp
tsan-test: deps
	@cmake -S . -B $(TSAN_BUILD) $(CMAKE_OPTS) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPELLORA_TSAN=ON >/dev/null
	@cmake --build $(TSAN_BUILD) -j $(JOBS) --target $(TSAN_TARGETS)
	ctest --test-dir $(TSAN_BUILD) -R '$(TSAN_TESTS)' --no-tests=error --output-on-failure -j $(JOBS)

fuzz: deps
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) $(CMAKE_OPTS) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DPELLORA_FUZZ=ON -DPELLORA_TESTS=OFF >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target $(FUZZ_TARGETS) pellora-fuzz-seeds

fuzz-ci: fuzz
	sh fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

fuzz-long: fuzz
	sh fuzz/run.sh $(FUZZ_BUILD) 600

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
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD) $(BENCH_BUILD)
