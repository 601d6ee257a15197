# A thin front over CMake. `make run` and `make test` do all the set-up on a
# fresh Debian 12 machine.
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps build run test unit-test asan-test bench fuzz clean

all: build

deps:
	@bash scripts/install-deps.sh

build: deps
	cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)
	cmake --build build -j $(JOBS)

run: build
	@bash scripts/run.sh build/tandrill

unit-test: build
	cd build && ctest --output-on-failure -j $(JOBS)

asan-test: deps
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DTANDRILL_SANITIZE=ON -DTANDRILL_GAME=OFF $(CMAKE_FLAGS)
	cmake --build build-asan -j $(JOBS) --target tandrill_tests
	cd build-asan && ctest --output-on-failure -j $(JOBS)

test: unit-test asan-test

bench: deps
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DTANDRILL_BENCH=ON -DTANDRILL_TESTS=OFF -DTANDRILL_GAME=OFF $(CMAKE_FLAGS)
	cmake --build build-bench -j $(JOBS) --target tandrill_bench
	mkdir -p build
	build-bench/bench/tandrill_bench --benchmark_out=build/bench.json --benchmark_out_format=json $(BENCH_ARGS)

fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTANDRILL_FUZZ=ON -DTANDRILL_TESTS=OFF -DTANDRILL_GAME=OFF $(CMAKE_FLAGS)
	cmake --build build-fuzz -j $(JOBS)

clean:
	rm -rf build build-asan build-bench build-fuzz
