# Quick start on Debian 12:  make run   |   make test
# Reliability:  make sanitize (tests under ASan + UBSan)  |  make fuzz
BUILD_DIR ?= build
SANITIZE_DIR ?= build-sanitize
FUZZ_DIR ?= build-fuzz
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
# Extra CMake options for every configure, e.g. CMAKE_FLAGS=-DTESSARIC_WERROR=ON.
# A build folder remembers the options it was configured with; other options
# configure it afresh, so that a flag given to an existing build holds and one
# left out is dropped rather than kept in the cache.
CMAKE_FLAGS ?=
# Seconds each fuzz harness runs in `make fuzz`.
FUZZ_SECONDS ?= 180
# clang and its runtimes (libclang-rt-14-dev: libFuzzer, ASan, UBSan) build the
# sanitizer tests and the fuzz harnesses. help2man makes the manual pages,
# lintian checks the Debian package.
PACKAGES := cmake g++ ninja-build make libgtest-dev libbenchmark-dev \
            qt6-base-dev qt6-image-formats-plugins libgl-dev fonts-liberation2 \
            locales python3 python3-numpy xvfb xauth xdotool openbox dpkg-dev file \
            libfftw3-dev pkg-config \
            clang libclang-rt-14-dev help2man lintian
# Debian's own interpreter, which has python3-numpy
PYTHON ?= /usr/bin/python3
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps configure build test sanitize fuzz run deb bench validate format clean

# $(call configure_once,DIR,OPTIONS): configure DIR unless its stamp holds
# exactly OPTIONS. `--fresh` drops the old cache, so an option that is no
# longer given does not live on in it; the objects stay, and ninja rebuilds
# only what the new options change.
define configure_once
@stamp='$(1)/.tessaric-configure-options'; options='$(strip $(2))'; \
if [ ! -f '$(1)/build.ninja' ] || [ "$$(cat "$$stamp" 2>/dev/null)" != "$$options" ]; then \
  echo "Configuring $(1) with: $$options"; \
  cmake --fresh -S . -B '$(1)' -G Ninja $(2) && printf '%s\n' "$$options" > "$$stamp"; \
fi
endef

all: build

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi
	@# A German locale lets the tests prove that numbers keep their point.
	@locale -a 2>/dev/null | grep -qi '^de_DE.utf8$$' || \
	  $(SUDO) localedef -i de_DE -f UTF-8 de_DE.UTF-8 2>/dev/null || \
	  echo "note: de_DE.UTF-8 could not be generated; the locale test will be skipped"

configure: deps
	$(call configure_once,$(BUILD_DIR),-DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS))

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The whole test suite built by clang with AddressSanitizer and
# UndefinedBehaviorSanitizer: one build that also proves the clang build.
sanitize: deps
	$(call configure_once,$(SANITIZE_DIR),-DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_COMPILER=clang++ -DTESSARIC_SANITIZE=ON -DTESSARIC_BUILD_BENCH=OFF $(CMAKE_FLAGS))
	cmake --build $(SANITIZE_DIR) -j $(JOBS)
	cd $(SANITIZE_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The harnesses run the portable kernel that processors other than x86-64
# get, so that CI builds and exercises that path too; the checked chain
# links a second core with the x86-64 kernels, which also run under the
# sanitizers in `make sanitize`.
fuzz: deps
	$(call configure_once,$(FUZZ_DIR),-DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_COMPILER=clang++ -DTESSARIC_FUZZ=ON -DTESSARIC_PORTABLE_KERNELS=ON \
	  -DTESSARIC_BUILD_TESTS=OFF -DTESSARIC_BUILD_BENCH=OFF $(CMAKE_FLAGS))
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target fuzzers
	tests/fuzz/run_fuzzers.sh $(FUZZ_SECONDS) $(FUZZ_DIR)

# With a display the window opens with the example imported; without one the
# example's report is printed as the command-line program gives it.
run: build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  $(BUILD_DIR)/tessaric examples/c1a1_example.log; \
	else \
	  rm -rf out/example && \
	  $(BUILD_DIR)/tessaric-cli evaluate --seed 1 --out out/example examples/c1a1_example.log && \
	  echo "No display: the report above comes from tessaric-cli. To open the window, run" && \
	  echo "  $(BUILD_DIR)/tessaric examples/c1a1_example.log   in a desktop session, or" && \
	  echo "  xvfb-run -a $(BUILD_DIR)/tessaric --screenshot window.png examples/c1a1_example.log"; \
	fi

# A Debian package of the programs, their manual pages, the desktop entry and
# the icon; lintian checks it and fails the target on an error.
deb: build
	cd $(BUILD_DIR) && cpack -G DEB
	lintian --tag-display-limit 0 $(BUILD_DIR)/tessaric_*.deb

bench: build
	@for b in $(BUILD_DIR)/bench/bench_*; do [ -x "$$b" ] && \
	  "$$b" --benchmark_out="$$b.json" --benchmark_out_format=json; done
	@# the NumPy peer on the same series, in the same run, for the ratio
	$(PYTHON) bench/numpy_peer.py --cpp-json $(BUILD_DIR)/bench/bench_evaluation.json

# Coverage of the confidence intervals on simulated series (minutes); the
# checks for missing images, outliers and a changing walk.
validate: build
	$(BUILD_DIR)/tests/validate_confidence
	$(BUILD_DIR)/tests/validate_gaps
	$(BUILD_DIR)/tests/validate_comparison
	$(BUILD_DIR)/tests/validate_whole_interval

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(FUZZ_DIR) out
