# Front door. Each target installs what it is missing (scripts/deps.sh), then builds
# what it needs: `make run` and `make dist` only the two deliverables, `make test`
# everything.
SHELL := /bin/bash
MAKEFLAGS += --no-print-directory
.DEFAULT_GOAL := build
.PHONY: deps build build-win build-native build-release test soak run dist bench fuzz format clean

deps:
	@scripts/deps.sh all

build: deps build-win build-native

build-win:
	@cmake --preset win -DTRESK_TESTS=ON >/dev/null
	@cmake --build --preset win

build-native:
	@cmake --preset native >/dev/null
	@cmake --build --preset native

# Treskcolor.exe and Treskhook.dll only: no test programs, no googletest.
build-release:
	@cmake --preset win >/dev/null
	@cmake --build --preset win --target Treskcolor Treskhook

# The Wine suite runs in a 64-bit prefix, as the program runs on 64-bit Windows.
test: build
	@ctest --preset native
	@WINEARCH=win64 scripts/with-display.sh ctest --preset win

soak: build
	@TRESK_SOAK_ROUNDS=10000 scripts/with-display.sh ctest --test-dir build/win -R '^soak_test$$' --output-on-failure --timeout 7200

run:
	@scripts/deps.sh run
	@$(MAKE) build-release
	@scripts/run.sh

# build/dist/TreskColor-<version>-win32.zip
dist:
	@scripts/deps.sh build
	@cmake --preset win >/dev/null
	@cmake --build --preset win --target dist
	@ls -t build/dist/TreskColor-*-win32.zip | head -n 1

bench: build
	@TRESK_SCREEN=4000x2400x24 scripts/with-display.sh scripts/bench.sh

fuzz: deps
	@scripts/fuzz.sh 600

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
