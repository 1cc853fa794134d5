# The two commands of the README: `make run` and `make test`. Both install what is missing,
# configure and build first. `make package` writes the Debian package into the build folder.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps configure build package run test test-sanitize bench bench-peers fuzz format tidy clean

all: build

deps:
	@./scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

# The web views of the window run without Chromium's sandbox only when started as root.
run: build
	@if [ -z "$${DISPLAY:-}$${WAYLAND_DISPLAY:-}$${QT_QPA_PLATFORM:-}" ]; then \
		echo "make run: no display found; start it inside a desktop session or under xvfb-run" >&2; exit 1; fi
	@if [ "$$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi; \
		exec $(BUILD_DIR)/bin/feedsmith

# feedsmith_VERSION_ARCH.deb and its -dbgsym, packed by CPack from the build (packaging/); packed
# again only when a program or a file that goes into the package is newer than the last one. Only
# the programs and their files are built for it, not the tests.
PACKAGE_INPUTS = $(BUILD_DIR)/bin/feedsmith $(BUILD_DIR)/bin/feedsmith-cli $(BUILD_DIR)/bin/*.xml \
	$(BUILD_DIR)/bin/*.css $(BUILD_DIR)/bin/*.html $(BUILD_DIR)/bin/feeds $(BUILD_DIR)/bin/qtwebengine_dictionaries \
	$(BUILD_DIR)/man $(BUILD_DIR)/generated $(BUILD_DIR)/packaging packaging resources
package: configure
	@cmake --build $(BUILD_DIR) --target feedsmith_package_parts -j $(JOBS)
	@deb=$$(ls -t $(BUILD_DIR)/feedsmith_*.deb 2>/dev/null | head -n 1); \
	if [ -z "$$deb" ] || [ -n "$$(find $(PACKAGE_INPUTS) ! -type d -newer "$$deb" 2>/dev/null | head -n 1)" ]; then \
		rm -f $(BUILD_DIR)/feedsmith_*.deb $(BUILD_DIR)/feedsmith-dbgsym_*.ddeb; \
		cd $(BUILD_DIR) && cpack -G DEB >/dev/null; \
	fi
	@ls $(BUILD_DIR)/feedsmith_*.deb

# Everything is built, then the package is made: one of the tests checks it and runs lintian on it.
test: build
	@$(MAKE) --no-print-directory package BUILD_DIR=$(BUILD_DIR)
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

bench: build
	@$(BUILD_DIR)/bin/bench_core
	@$(BUILD_DIR)/bin/bench_window
	@$(BUILD_DIR)/bin/bench_window --accented

# feedsmith-cli rss against the npm library "rss" 1.x (installed under $(BUILD_DIR)/peers).
bench-peers: build
	@./scripts/bench-peers $(BUILD_DIR)

test-sanitize: deps
	@./scripts/test-sanitize

fuzz: deps
	@./scripts/run-fuzzers 60

# Formats every C++ file with .clang-format.
format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i --style=file

# Runs .clang-tidy's checks over the core, network and command-line sources.
tidy: configure
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
	@git ls-files 'src/core/*.cpp' 'src/net/*.cpp' 'src/cli/*.cpp' | xargs clang-tidy -p $(BUILD_DIR) --quiet

clean:
	@rm -rf $(BUILD_DIR)
