# The front door: `make test` and `make run`. Both install what is missing first (make deps).
.PHONY: all deps build test test-release test-asan run clean

all: build

deps:
	@tools/install_deps.sh

build: deps
	cmake --preset release
	cmake --build --preset release

test-release: build
	ctest --preset release

test-asan: deps
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

test: test-release test-asan

run: build
	@tools/run.sh

clean:
	rm -rf build build-asan build-debug
