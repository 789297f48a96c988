# タマログ — the two everyday commands:
#   make run    installs what is needed, builds and starts the program
#   make test   installs what is needed, builds and runs every test
# Others: make screenshots, make bench, make fuzz-long, make package, make format.

BUILD ?= build
FUZZ_BUILD ?= build-fuzz
JOBS ?= $(shell nproc)
# WERROR=ON (the CI build) makes every compiler warning an error.
WERROR ?= OFF
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: deps configure build run test test-core fuzz fuzz-long screenshots bench clean install package format

deps:
	@./scripts/install-deps

configure: deps
	@[ -f $(BUILD)/build.ninja ] || cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS) -DTAMALOG_WERROR=$(WERROR)

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@./scripts/run-app $(BUILD)

test: build fuzz
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# libFuzzer targets, built with clang in their own folder, each run for a few seconds.
fuzz: deps
	@[ -f $(FUZZ_BUILD)/build.ninja ] || CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja \
	  -DCMAKE_BUILD_TYPE=Debug -DTAMALOG_GUI=OFF -DTAMALOG_BENCH=OFF -DTAMALOG_FUZZ=ON \
	  -DTAMALOG_WERROR=$(WERROR)
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_targets tamalog-cli cli_test
	@./scripts/run-fuzzers $(FUZZ_BUILD) 5
	@echo "== tamalog-cli tests under AddressSanitizer and UndefinedBehaviorSanitizer"
	@$(FUZZ_BUILD)/tests/cli_test --gtest_brief=1

fuzz-long: fuzz
	@./scripts/run-fuzzers $(FUZZ_BUILD) 300

screenshots: build
	@./scripts/screenshots $(BUILD)

bench: deps
	@[ -f build-bench/build.ninja ] || cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAMALOG_GUI=OFF
	@cmake --build build-bench -j $(JOBS)
	@./scripts/run-bench build-bench

# Installs the program, its desktop entry and the help under PREFIX.
PREFIX ?= /usr/local
install: build
	@cmake --install $(BUILD) --prefix $(PREFIX)

# Builds the Debian package $(BUILD)/tamalog_<version>_<arch>.deb from the
# programs, the help collection and the packaging files alone.
package: configure
	@cmake --build $(BUILD) -j $(JOBS) --target tamalog tamalog-cli tamalog_package_files
	@cd $(BUILD) && cpack -G DEB

# Formats every C++ file the project tracks with .clang-format.
format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(FUZZ_BUILD) build-bench
