# Convenience targets over the CMake presets. `make test` builds everything and runs every test.
PRESET ?= $(if $(CI),ci,default)
BUILD_DIR := build
# The tests run as many at once as there are cores: the ones that must run alone hold a lock.
JOBS ?= $(shell nproc)

.PHONY: all configure build run test bench check-sanitize format check-format clean install

all: build

configure:
	cmake --preset $(PRESET)

build: configure
	cmake --build --preset $(PRESET)

run: build
	./$(BUILD_DIR)/mazecast

test: build
	ctest --preset $(PRESET) -j$(JOBS)

bench: configure
	cmake --build --preset $(PRESET) --target mazecast_bench
	./$(BUILD_DIR)/mazecast_bench

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer, in build-sanitize/.
check-sanitize:
	cmake --preset sanitize
	cmake --build --preset sanitize
	ctest --preset sanitize -j$(JOBS)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

check-format:
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

clean:
	rm -rf $(BUILD_DIR)

# The game, the tools, their manual pages and the documents under PREFIX (bin/, share/man/,
# share/doc/mazecast/), e.g. `make install PREFIX=~/.local`.
PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)

# build/mazecast-VERSION-Linux.tar.gz and the Debian package beside it.
.PHONY: package
package: build
	cpack --preset package

# Windows: cross-compiled with mingw-w64 into build-windows/ (the `windows` preset), tested under
# wine by .ci/windows-tests.sh, which also installs the cross compiler and wine when missing.
.PHONY: windows test-windows package-windows

windows:
	cmake --preset windows
	cmake --build --preset windows

test-windows:
	bash .ci/windows-tests.sh

# build-windows/mazecast-VERSION-win64.zip: the three programs, the README and the licence.
package-windows: windows
	cpack --preset windows

# The browser build: Emscripten (Debian's package; the `web` preset sets the NODE_PATH it needs)
# into build-web/, which leaves the deployable site in build-web/site/: index.html, mazecast.js and
# mazecast.wasm with their precompressed .gz copies. `make serve-web` serves only that folder on
# 127.0.0.1 (PORT=8000 by default). .ci/web-tests.sh installs what is missing and runs the browser
# tests.
.PHONY: web serve-web test-web
PORT ?= 8000

web:
	cmake --preset web
	cmake --build --preset web

serve-web: web
	python3 src/platform/web/serve_site.py --port $(PORT) build-web/site

test-web:
	bash .ci/web-tests.sh
