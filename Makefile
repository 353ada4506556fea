# Front door. `make run` and `make test` install what is missing, then build.
SHELL := /bin/bash
MAKEFLAGS += --no-print-directory
.DEFAULT_GOAL := build
.PHONY: deps build build-win build-native test soak run bench fuzz format clean

deps:
	@scripts/deps.sh

build: deps build-win build-native

build-win:
	@cmake --preset win >/dev/null
	@cmake --build --preset win

build-native:
	@cmake --preset native >/dev/null
	@cmake --build --preset native

test: build
	@ctest --preset native
	@scripts/with-display.sh ctest --preset win

soak: build
	@TRESK_SOAK_ROUNDS=10000 scripts/with-display.sh ctest --test-dir build/win -R '^soak_test$$' --output-on-failure --timeout 7200

run: build
	@scripts/run.sh

bench: build
	@TRESK_SCREEN=4000x2400x24 scripts/with-display.sh scripts/bench.sh

fuzz: deps
	@scripts/fuzz.sh 600

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
