# The two entry points: `make run` and `make test`. Both install what is missing first.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
FILES ?=
JOBS ?= $(shell nproc)

.PHONY: run test test-sanitize build configure deps fuzz bench install package clean check-format

deps:
	@bash scripts/install-deps

configure: deps
	@if [ ! -f $(BUILD_DIR)/build.ninja ]; then \
	  cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE); \
	fi

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	./$(BUILD_DIR)/pixmorrow $(FILES)

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# Every test again in a build of its own with AddressSanitizer and UndefinedBehaviorSanitizer
# (leaks included): the fuzz targets' seeds and kept crash inputs, the hostile-file tests and
# the rest. tests/support/sanitizer.supp names the leaks of system libraries we cannot mend.
SANITIZE_DIR ?= build-sanitize
# Light optimisation and line tables only: a quicker build that still names every frame.
SANITIZE_FLAGS ?= -O1 -g1 -DNDEBUG
test-sanitize: deps
	@if [ ! -f $(SANITIZE_DIR)/build.ninja ]; then \
	  cmake -S . -B $(SANITIZE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=$(SANITIZE_FLAGS)" \
	    "-DCMAKE_C_FLAGS_RELWITHDEBINFO=$(SANITIZE_FLAGS)" \
	    -DPIXMORROW_SANITIZE=ON -DPIXMORROW_BENCH=OFF; \
	fi
	cmake --build $(SANITIZE_DIR) -j $(JOBS)
	cd $(SANITIZE_DIR) && QT_QPA_PLATFORM=offscreen \
	  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=0 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/support/sanitizer.supp:print_suppressions=0 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS)

check-format: deps
	@bash scripts/check-format

bench: build
	bash scripts/run-benchmarks $(BUILD_DIR)

fuzz: deps
	bash scripts/run-fuzzers

# The Debian package, from the install rules: $(BUILD_DIR)/pixmorrow_<version>_amd64.deb
package: build
	cd $(BUILD_DIR) && cpack -G DEB

install: build
	cmake --install $(BUILD_DIR) --prefix $(or $(PREFIX),/usr/local)

clean:
	rm -rf $(BUILD_DIR)
