# The project's commands. BUILD selects the build folder (default: build).
BUILD ?= build
JOBS ?= 2
FUZZ_SHORT_SECONDS ?= 10
FUZZ_SECONDS ?= 300

.PHONY: all deps configure build test test-native test-win test-fuzz demo bench fuzz clean

all: build

deps:
	@tools/deps.sh

$(BUILD)/win/CMakeCache.txt:
	cmake -S . -B $(BUILD)/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel

$(BUILD)/native/CMakeCache.txt:
	cmake -S . -B $(BUILD)/native -DCMAKE_BUILD_TYPE=Debug

configure: $(BUILD)/win/CMakeCache.txt $(BUILD)/native/CMakeCache.txt

build: deps configure
	cmake --build $(BUILD)/native -j $(JOBS)
	cmake --build $(BUILD)/win -j $(JOBS)

test-native: deps configure
	cmake --build $(BUILD)/native -j $(JOBS)
	cd $(BUILD)/native && ctest --output-on-failure

test-win: deps configure
	cmake --build $(BUILD)/win -j $(JOBS)
	tools/with_wine.sh $(BUILD) sh -c 'cd $(BUILD)/win && ctest --output-on-failure $(CTEST_ARGS)'

test-fuzz: deps
	tools/fuzz/run.sh $(BUILD) $(FUZZ_SHORT_SECONDS)

test: test-native test-fuzz test-win

# Long fuzzing runs (not part of make test).
fuzz: deps
	tools/fuzz/run.sh $(BUILD) $(FUZZ_SECONDS)

demo: build
	tools/demo.sh $(BUILD)

bench: build
	tools/bench/install_bench.sh $(BUILD)

clean:
	rm -rf $(BUILD)
