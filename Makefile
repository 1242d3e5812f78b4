# Front for the CMake presets: `make run` converts the bundled sample,
# `make test` builds and runs every test, `make test-debug` runs them again
# under AddressSanitizer and UndefinedBehaviorSanitizer.
PREFIX ?= /usr/local
JOBS ?= 2

.PHONY: all build run test test-debug install clean

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

test: build
	ctest --preset release

test-debug:
	cmake --preset debug
	cmake --build --preset debug -j$(JOBS)
	ctest --preset debug

install: build
	cmake --install build/release --prefix $(PREFIX)

clean:
	rm -rf build
