# A thin front over CMake. `make run` and `make test` do all the set-up on a
# fresh Debian 12 machine.
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

PREFIX ?= /usr/local
DESTDIR ?=
BUILD_DIR ?= build

.PHONY: all deps build run test unit-test asan-test asan-build package-test deb bench fuzz fuzz-run soak long-play clean install install-files uninstall

all: build

deps:
	@bash scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@bash scripts/run.sh $(BUILD_DIR)/tandrill

# Every test but the package's, which package-test runs on its own.
unit-test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS) -LE '^package$$'

# The sanitizer build holds the unit tests and the game itself, linked from
# the same objects; its tests include a minute of the monkey player.
asan-build: deps
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DTANDRILL_SANITIZE=ON -DTANDRILL_GAME=ON $(CMAKE_FLAGS)
	cmake --build build-asan -j $(JOBS) --target tandrill_tests tandrill tandrill_monkey_library

asan-test: asan-build
	cd build-asan && ctest --output-on-failure -j $(JOBS)

# The monkey player on the sanitizer build for MINUTES minutes, a new seed
# each time unless SEED is given (tests/e2e/monkey.py).
MINUTES ?= 30
SEED ?=
soak: asan-build
	python3 tests/e2e/monkey.py build-asan . --seconds $$(( $(MINUTES) * 60 )) $(if $(SEED),--seed $(SEED))

# Ten minutes of play on one 9,600-piece puzzle in the normal build; fails
# when the game's memory grows by 5 % or more after the first minute.
long-play: build
	cmake --build $(BUILD_DIR) -j $(JOBS) --target tandrill_monkey_library
	python3 tests/e2e/monkey.py $(BUILD_DIR) . --seconds 600 --large 6000 4000 50 --stay-in-play large \
	  --max-growth 5 --answer-within 30 $(if $(SEED),--seed $(SEED))

# Builds the Debian package into $(BUILD_DIR) and checks it (tests/package/).
package-test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -L '^package$$'

test: unit-test asan-test package-test

# The Debian package, built with the game's build dependencies installed
# first, left in $(BUILD_DIR) as tandrill_<version>_<architecture>.deb.
deb: deps
	bash scripts/build-deb.sh $(BUILD_DIR) $(JOBS)

bench: deps
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DTANDRILL_BENCH=ON -DTANDRILL_TESTS=OFF -DTANDRILL_GAME=ON $(CMAKE_FLAGS)
	cmake --build build-bench -j $(JOBS) --target tandrill_bench
	mkdir -p build
	build-bench/bench/tandrill_bench --benchmark_out=build/bench.json --benchmark_out_format=json $(BENCH_ARGS)

fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTANDRILL_FUZZ=ON -DTANDRILL_TESTS=OFF -DTANDRILL_GAME=OFF $(CMAKE_FLAGS)
	cmake --build build-fuzz -j $(JOBS)

# Every fuzz target for SECONDS seconds, one after another, each from its
# seeds (fuzz/seeds/) and its growing corpus (build-fuzz/corpus/).
SECONDS ?= 60
fuzz-run: fuzz
	bash scripts/fuzz-run.sh build-fuzz $(SECONDS)

# Installs under $(PREFIX) (staged under $(DESTDIR) when set). The list of
# what was installed is kept in $(BUILD_DIR)/install_manifest.txt for
# uninstall. `install-files` installs what $(BUILD_DIR) already holds, without
# building first; the tests use it on the build folder they run in. The
# prefix is given to the install step, not to the configuration, so that the
# build folder is not reconfigured and the program folder stays lib/tandrill
# under every prefix.
install: build
	@$(MAKE) --no-print-directory install-files

install-files:
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD_DIR) --prefix "$(PREFIX)"
	@if [ -z "$(DESTDIR)" ] && command -v gtk-update-icon-cache >/dev/null; then \
	  gtk-update-icon-cache -q -t "$(PREFIX)/share/icons/hicolor" || true; fi

# Removes exactly the files the last install listed. Folders are shared with
# other programs on a real system: only the game's own program folder goes.
# In a staged tree (DESTDIR) every folder the removal leaves empty goes too,
# up to the stage itself, so that nothing of ours is left behind.
uninstall:
	@test -f $(BUILD_DIR)/install_manifest.txt || { echo "nothing recorded as installed ($(BUILD_DIR)/install_manifest.txt)"; exit 1; }
	@while IFS= read -r f || [ -n "$$f" ]; do \
	  if [ -e "$(DESTDIR)$$f" ] || [ -L "$(DESTDIR)$$f" ]; then rm -f "$(DESTDIR)$$f" && echo "removed $(DESTDIR)$$f"; fi; \
	done < $(BUILD_DIR)/install_manifest.txt
	@program=$$(grep -m1 '/tandrill/tandrill$$' $(BUILD_DIR)/install_manifest.txt || true); \
	if [ -n "$$program" ]; then rmdir "$(DESTDIR)$$(dirname "$$program")" 2>/dev/null || true; fi
	@if [ -n "$(DESTDIR)" ]; then \
	  while IFS= read -r f || [ -n "$$f" ]; do \
	    d=$$(dirname "$$f"); \
	    while [ "$$d" != / ] && [ "$$d" != . ]; do \
	      if [ -d "$(DESTDIR)$$d" ]; then rmdir "$(DESTDIR)$$d" 2>/dev/null || break; fi; \
	      d=$$(dirname "$$d"); \
	    done; \
	  done < $(BUILD_DIR)/install_manifest.txt; \
	elif command -v gtk-update-icon-cache >/dev/null; then \
	  gtk-update-icon-cache -q -t "$(PREFIX)/share/icons/hicolor" 2>/dev/null || true; fi

clean:
	rm -rf build build-asan build-bench build-fuzz
