# Front door: `make run` to play, `make test` to run every test, `make
# check` the quick ones after a change, `make lint` the scripts' linters,
# `make install` (PREFIX, DESTDIR) and `make package` (the .deb in build/),
# `make web` (the browser build's site) and `make serve-web` to play it.
# Each installs what is missing from Debian's packages first.

BUILD_PKGS = cmake g++ make pkg-config libsdl1.2-dev libsdl-image1.2-dev libsdl-mixer1.2-dev
PKG_PKGS   = dpkg-dev
CHECK_PKGS = googletest libgtest-dev libgmock-dev
LINT_PKGS  = shellcheck eslint
TEST_PKGS  = googletest libgtest-dev libgmock-dev xvfb xauth xdotool x11-utils imagemagick sox procps \
             python3-numpy vorbis-tools \
             $(PKG_PKGS) desktop-file-utils appstream lintian man-db libsdl1.2-compat \
             devscripts diffoscope-minimal
ASSET_PKGS = python3-pil python3-numpy fonts-dejavu-core sox libsox-fmt-all vorbis-tools advancecomp zopfli
WEB_PKGS   = emscripten libstb-dev
# The browser tests' browsers (WebKitGTK's comes with its WebDriver, and
# needs an X server), and npm unless a node of its own brings one.
WEB_TEST_PKGS = chromium firefox-esr webkit2gtk-driver xvfb xauth $(if $(shell command -v npm),,npm)

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
JOBS := $(shell nproc 2>/dev/null || echo 2)
PREFIX ?= /usr/local

# Installs the packages of $(1) that dpkg does not know as installed. Another
# apt-get at work (a second make, the desktop's updater) is waited for.
APTLOCK = -o DPkg::Lock::Timeout=600
define aptinstall
	@missing=""; \
	for p in $(1); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "installing:$$missing"; \
	  $(SUDO) apt-get $(APTLOCK) update -q && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get $(APTLOCK) install -y -q --no-install-recommends $$missing; \
	fi
endef

.PHONY: run test check lint lint-deps check-deps build build-asan bench mutants deps test-deps install package pkg-deps assets asset-deps clean \
        web serve-web bench-web web-deps web-test-deps

# The launcher as installed (into build/run), with this folder as the
# player's: it plays data/ and options.txt from here, and starts the game
# again silent without a sound device, as it does once installed.
run: build
	@cmake --install build --prefix build/run >/dev/null
	@mkdir -p build/run/home && ln -sfn "$(CURDIR)" build/run/home/marrowick
	@XDG_DATA_HOME="$(CURDIR)/build/run/home" exec build/run/games/marrowick

# The test packages come first, so that configuring finds GoogleTest. The
# damaged media are played in the sanitizer tree only, where a bad read in a
# decoder shows; that tree runs every test that needs no X server.
test: lint test-deps web-test-deps build build-asan web
	cd build && ctest --output-on-failure -LE media
	cd build-asan && ctest --output-on-failure -L 'unit|dummy|fuzz|long' -LE xvfb

# The inner loop: the rules frame by frame, start-up and the mixer on SDL's
# dummy drivers; under a minute, no browser, no emscripten.
check: check-deps build
	cd build && ctest --output-on-failure -j$(JOBS) -L 'unit|quick' -LE compat

check-deps:
	$(call aptinstall,$(CHECK_PKGS))

# Every shell script (the launcher's template too) and every JavaScript
# file of the page, the program's libraries, the browser tests and tools;
# and that every name HACKING.md's tables give is in the file they name.
# Debian's eslint finds its modules by NODE_PATH.
SHELL_SCRIPTS = $(shell git ls-files | xargs grep -lE '^\#! ?/(usr/)?bin/(env )?(ba)?sh' 2>/dev/null)
lint: lint-deps
	shellcheck $(SHELL_SCRIPTS)
	NODE_PATH=/usr/share/nodejs eslint -f unix --ext .js,.mjs web tests tools tools/bench/benchhooks.js.in
	/usr/bin/python3 tools/lint/guide.py

lint-deps:
	$(call aptinstall,$(LINT_PKGS))

build: deps
	cmake -S . -B build
	cmake --build build -j$(JOBS)

# The same sources with AddressSanitizer and UndefinedBehaviorSanitizer.
build-asan: deps
	cmake -S . -B build-asan -DMARROWICK_SANITIZE=ON
	cmake --build build-asan -j$(JOBS)

deps:
	$(call aptinstall,$(BUILD_PKGS))

install: build
	cmake --install build --strip --prefix "$(PREFIX)"

package: pkg-deps build
	cd build && cpack

pkg-deps:
	$(call aptinstall,$(PKG_PKGS))

test-deps:
	$(call aptinstall,$(TEST_PKGS))

# The benchmark: the game as built (Release), run from here on SDL's dummy
# drivers by tools/bench/bench.c; then what each picture costs to draw.
bench: deps
	cmake -S . -B build
	cmake --build build -j$(JOBS) --target marrowick bench benchhooks player blitbench
	./build/tools/bench/bench
	SDL_VIDEODRIVER=dummy ./build/tools/bench/blitbench data/graphics/*.png

# How many faults of src/ the tests catch: an hour, so never in make test.
# ARGS go to the tool: make mutants ARGS='--units --only game.cpp'.
mutants: test-deps
	/usr/bin/python3 tools/mutants/mutants.py $(ARGS)

# The browser build: emcmake configures the same project for emscripten.
# Debian's emscripten finds its node modules by NODE_PATH under a node
# that is not Debian's own.
EMENV = NODE_PATH=/usr/share/nodejs
web: web-deps
	$(EMENV) emcmake cmake -S . -B build-web -DCMAKE_BUILD_TYPE=Release
	$(EMENV) cmake --build build-web -j$(JOBS)

serve-web: web
	@echo "Marrowick on http://127.0.0.1:8000/ (Ctrl-C ends)"
	cd build-web/site && /usr/bin/python3 -m http.server 8000 --bind 127.0.0.1

# The browser build's benchmark, on a copy of the site with the benchmark's
# counters and player linked in (build-web/bench), in the three engines.
bench-web: web web-test-deps
	$(EMENV) cmake --build build-web -j$(JOBS) --target marrowick-bench
	node tools/bench/benchweb.mjs

web-deps:
	$(call aptinstall,$(WEB_PKGS))

web-test-deps:
	$(call aptinstall,$(WEB_TEST_PKGS))
	cd tests/web && npm ci --ignore-scripts --no-audit --no-fund

# Remakes every picture and sound in data/ from the sources in tools/media/.
assets: asset-deps
	/usr/bin/python3 tools/media/make_assets.py

asset-deps:
	$(call aptinstall,$(ASSET_PKGS))

clean:
	rm -rf build build-asan build-web
