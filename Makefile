# The two entry points: `make run` and `make test`. Both install what is missing first.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
FILES ?=
JOBS ?= $(shell nproc)

.PHONY: run test build configure deps fuzz bench install package clean check-format

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
