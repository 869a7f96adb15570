# Front door: `make run` to play, `make test` to run every test.
# Both install what is missing from Debian's packages first.

BUILD_PKGS = cmake g++ make pkg-config libsdl1.2-dev libsdl-image1.2-dev libsdl-mixer1.2-dev
TEST_PKGS  = googletest libgtest-dev xvfb xauth xdotool x11-utils imagemagick sox libsdl1.2-compat
ASSET_PKGS = python3-pil python3-numpy fonts-dejavu-core sox libsox-fmt-all vorbis-tools

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
JOBS := $(shell nproc 2>/dev/null || echo 2)

# Installs the packages of $(1) that dpkg does not know as installed.
define aptinstall
	@missing=""; \
	for p in $(1); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "installing:$$missing"; \
	  $(SUDO) apt-get update -q && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -q --no-install-recommends $$missing; \
	fi
endef

.PHONY: run test build deps test-deps bench assets asset-deps clean

run: build
	./build/marrowick

# The test packages come first, so that configuring finds GoogleTest.
test: test-deps build
	cd build && ctest --output-on-failure

build: deps
	cmake -S . -B build
	cmake --build build -j$(JOBS)

deps:
	$(call aptinstall,$(BUILD_PKGS))

test-deps:
	$(call aptinstall,$(TEST_PKGS))

# The benchmark: an optimised build of the game, run from here on SDL's
# dummy drivers by tools/bench.c.
bench: deps
	cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release
	cmake --build build/bench -j$(JOBS) --target marrowick bench benchhooks
	./build/bench/tools/bench

# Remakes every picture and sound in data/ from the sources in tools/.
assets: asset-deps
	/usr/bin/python3 tools/make_assets.py

asset-deps:
	$(call aptinstall,$(ASSET_PKGS))

clean:
	rm -rf build
