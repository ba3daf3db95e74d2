# The two commands a fresh machine needs: `make demo` and `make test`.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
DEMO_DIR ?= demo/run

.PHONY: all deps configure build test demo soak check-asan check-tsan fuzz bench clean format windows test-windows

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

demo: build
	@bash scripts/demo.sh $(BUILD_DIR) $(DEMO_DIR)

# The Windows program: cross-built with MinGW-w64 into dist/VORL-<version>-win64.zip, and tested
# under Wine (unit tests, a production start, a run through the SimConnect.dll stand-in).
windows:
	@bash scripts/windows.sh

test-windows:
	@bash scripts/test-windows.sh

check-asan:
	@$(MAKE) test BUILD_DIR=build-asan CMAKE_FLAGS="-DVORL_SANITIZE=address -DVORL_WITH_BENCH=OFF"

check-tsan:
	@$(MAKE) test BUILD_DIR=build-tsan CMAKE_FLAGS="-DVORL_SANITIZE=thread -DVORL_WITH_BENCH=OFF"

soak: build
	@bash scripts/soak.sh $(BUILD_DIR)

fuzz: deps
	@bash scripts/fuzz.sh build-fuzz $(FUZZ_SECONDS)

bench: build
	@bash scripts/bench.sh $(BUILD_DIR)

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf $(BUILD_DIR) build-asan build-tsan build-win dist
