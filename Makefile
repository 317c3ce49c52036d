# Kestrova: the README's commands.
#   make run    install what is missing, build (release), start on the default data folder
#   make test   install what is missing (and the test-only packages), build (debug, -Werror),
#               run every test headless
#   make bench  build (release) and run the benchmarks

JOBS ?= $(shell nproc 2>/dev/null || echo 2)
RELEASE_DIR := build/release
DEBUG_DIR   := build/debug
CMAKE_FLAGS ?=

.PHONY: run test bench deps test-deps build-release build-debug format clean install uninstall

PREFIX ?= /usr/local

deps:
	@scripts/install-deps

# Packages only the tests need (LibreOffice, the reader of the exported files); `make run`
# does not install them.
test-deps: deps
	@scripts/install-test-deps

build-release: deps
	@cmake -S . -B $(RELEASE_DIR) -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(RELEASE_DIR) -j $(JOBS)

build-debug: deps
	@cmake -S . -B $(DEBUG_DIR) -DCMAKE_BUILD_TYPE=Debug -DKV_WERROR=ON $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(DEBUG_DIR) -j $(JOBS)

run: build-release
	@scripts/run-app $(RELEASE_DIR)/app/kestrova

test: build-debug test-deps
	@cd $(DEBUG_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: build-release
	@scripts/run-bench $(RELEASE_DIR)

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

# The program, its menu entry, icons and manual page under $(PREFIX) (DESTDIR is honoured).
install: build-release
	@cmake --install $(RELEASE_DIR) --prefix $(PREFIX)

# Removes what the last `make install` put in place (its list is build/release/install_manifest.txt).
uninstall:
	@cmake -DMANIFEST=$(RELEASE_DIR)/install_manifest.txt -P scripts/uninstall.cmake

clean:
	rm -rf build
