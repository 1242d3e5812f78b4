# Front for the CMake presets: `make run` converts the bundled sample,
# `make test` builds and runs every test, `make test-debug` runs them again
# under AddressSanitizer and UndefinedBehaviorSanitizer. `make install`
# installs tolvconv, tolvbase and their manual pages under PREFIX; `make deb`
# builds the Debian package into build/release.
PREFIX ?= /usr/local
JOBS ?= 2

.PHONY: all build run test test-debug fuzz install deb clean

all: build

build:
	cmake --preset release
	cmake --build --preset release -j$(JOBS)

run: build
	rm -rf build/example && mkdir -p build/example
	build/release/src/app/tolvconv examples/sample.lst build/example/sample
	@echo
	@echo "== build/example/sample.dir (120-byte records) =="
	@od -A d -t x1z -w24 build/example/sample.dir | head -40
	@echo "== build/example/sample.des (length-prefixed lines) =="
	@od -A d -c build/example/sample.des | head -30
	@echo "== build/release/src/tolvbase/tolvbase list build/example/sample =="
	@build/release/src/tolvbase/tolvbase list build/example/sample

test: build
	ctest --preset release

test-debug:
	cmake --preset debug
	cmake --build --preset debug -j$(JOBS)
	ctest --preset debug

# Fuzzes the listing reader and the writer for FUZZ_SECONDS (needs clang++).
FUZZ_SECONDS ?= 60
fuzz:
	cmake -S . -B build/fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DTOLV_FUZZ=ON -DTOLV_TESTS=OFF -DTOLV_BENCH=OFF
	cmake --build build/fuzz -j$(JOBS)
	rm -rf build/fuzz/corpus && mkdir -p build/fuzz/corpus
	build/fuzz/tests/fuzz/listing_fuzz -max_total_time=$(FUZZ_SECONDS) -rss_limit_mb=2048 \
	  -print_final_stats=1 build/fuzz/corpus tests/fuzz/corpus

install: build
	cmake --install build/release --prefix $(PREFIX)

deb: build
	cd build/release && cpack -G DEB

clean:
	rm -rf build
