# Front for the CMake presets.
#   make run         builds the programs (into build/release/bin) and converts the bundled sample
#   make test        builds the tests and runs them (ctest, JOBS at a time)
#   make test-debug  the same under AddressSanitizer and UndefinedBehaviorSanitizer
#   make bench       builds the benchmarks and runs them
#   make fuzz        fuzzes the listing reader and the writer (clang++, libFuzzer)
#   make install / make uninstall   under PREFIX, both honouring DESTDIR
#   make deb         the Debian package, into build/release
# JOBS (default: the number of cores) is the number of compile and test jobs;
# CMAKE_ARGS is added to every configure, for instance
# CMAKE_ARGS=-DCMAKE_COMPILE_WARNING_AS_ERROR=ON.
PREFIX ?= /usr/local
JOBS ?= $(shell nproc)
CMAKE_ARGS ?=

.PHONY: all build run test test-debug bench fuzz install uninstall deb clean

all: build

# The programs, their manual pages and package documents; no test, no benchmark.
build:
	cmake --preset release $(CMAKE_ARGS)
	cmake --build --preset release -j$(JOBS)

run: build
	rm -rf build/example && mkdir -p build/example
	build/release/bin/tolvconv examples/sample.lst build/example/sample
	@echo
	@echo "== build/example/sample.dir (120-byte records) =="
	@od -A d -t x1z -w24 build/example/sample.dir | head -40
	@echo "== build/example/sample.des (length-prefixed lines) =="
	@od -A d -c build/example/sample.des | head -30
	@echo "== build/release/bin/tolvbase list build/example/sample =="
	@build/release/bin/tolvbase list build/example/sample

test: build
	cmake --build --preset release -j$(JOBS) --target tolv_tests
	ctest --preset release -j$(JOBS)

test-debug:
	cmake --preset debug $(CMAKE_ARGS)
	cmake --build --preset debug -j$(JOBS)
	cmake --build --preset debug -j$(JOBS) --target tolv_tests
	ctest --preset debug -j$(JOBS)

bench: build
	cmake --build --preset release -j$(JOBS) --target tolv_bench
	bench/plain_conversion.sh build/release
	bench/normalize_speed.sh build/release
	bench/board_normalize_speed.sh build/release
	bench/scan_speed.sh build/release
	build/release/bench/dupe_bench

# Fuzzes for FUZZ_SECONDS; only the fuzz target and what it links are built.
FUZZ_SECONDS ?= 60
fuzz:
	cmake -S . -B build/fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DTOLV_FUZZ=ON -DTOLV_TESTS=OFF -DTOLV_BENCH=OFF $(CMAKE_ARGS)
	cmake --build build/fuzz -j$(JOBS) --target listing_fuzz
	rm -rf build/fuzz/corpus && mkdir -p build/fuzz/corpus
	build/fuzz/tests/fuzz/listing_fuzz -max_total_time=$(FUZZ_SECONDS) -rss_limit_mb=2048 \
	  -print_final_stats=1 build/fuzz/corpus tests/fuzz/corpus

install: build
	cmake -DBUILD=build/release -DPREFIX=$(PREFIX) -P cmake/install.cmake

uninstall:
	cmake -DBUILD=build/release -DPREFIX=$(PREFIX) -DUNINSTALL=ON -P cmake/install.cmake

deb: build
	cd build/release && cpack -G DEB

clean:
	rm -rf build
