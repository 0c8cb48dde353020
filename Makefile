# The project's commands. BUILD selects the build folder (default: build).
# WINARCH=x86_64 (or i686) forces which build runs under Wine; by default a
# machine whose Wine starts 32-bit programs runs the 32-bit build, and one
# that cannot runs the 64-bit build under wine64 (see tools/wine/wine_arch.sh).
BUILD ?= build
JOBS ?= 2
FUZZ_SHORT_SECONDS ?= 10
FUZZ_SECONDS ?= 300
export JOBS

# The shipped programs, always built as 32-bit PE programs.
PRODUCTS = setup uninst Cartopia pack

.PHONY: all deps configure build test test-all test-native test-pe test-win test-fuzz demo bench fuzz clean

all: build

deps:
	@tools/deps.sh

$(BUILD)/win/CMakeCache.txt:
	cmake -S . -B $(BUILD)/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel

$(BUILD)/win64/CMakeCache.txt:
	cmake -S . -B $(BUILD)/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=MinSizeRel

$(BUILD)/native/CMakeCache.txt:
	cmake -S . -B $(BUILD)/native -DCMAKE_BUILD_TYPE=Debug

# The Linux tools themselves (pack), optimised and without sanitizers.
$(BUILD)/host/CMakeCache.txt:
	cmake -S . -B $(BUILD)/host -DCMAKE_BUILD_TYPE=Release -DWITH_SANITIZERS=OFF

configure: $(BUILD)/win/CMakeCache.txt $(BUILD)/win64/CMakeCache.txt $(BUILD)/native/CMakeCache.txt $(BUILD)/host/CMakeCache.txt

# pack for Linux, the native suite, the 32-bit programs, and the 64-bit build
# where it is the one that runs under Wine.
build: deps configure
	cmake --build $(BUILD)/host -j $(JOBS) --target pack
	cmake --build $(BUILD)/native -j $(JOBS)
	cmake --build $(BUILD)/win -j $(JOBS)
	@if [ "$$(tools/wine/wine_arch.sh $(BUILD))" = x86_64 ]; then cmake --build $(BUILD)/win64 -j $(JOBS); fi

test-native: deps configure
	cmake --build $(BUILD)/native -j $(JOBS)
	cd $(BUILD)/native && ctest --output-on-failure

# The programs as files, on every machine, read with an independent PE reader:
# the shipped 32-bit build and the 64-bit build of the same sources.
test-pe: deps configure
	cmake --build $(BUILD)/win -j $(JOBS) --target $(PRODUCTS)
	cmake --build $(BUILD)/win64 -j $(JOBS) --target $(PRODUCTS)
	/usr/bin/python3 tests/pe/check_programs.py $(BUILD)/win/bin $(BUILD)/win64/bin

# The signing check in the suite runs the Linux pack of the host build.
test-win: deps configure
	cmake --build $(BUILD)/host -j $(JOBS) --target pack
	tools/wine/run_win_tests.sh $(BUILD) $(CTEST_ARGS)

test-fuzz: deps
	tools/fuzz/run.sh $(BUILD) $(FUZZ_SHORT_SECONDS)

test-all: test-native test-pe test-fuzz test-win

# Every suite, and nothing left behind in the home folder.
test: deps
	tools/home_check.sh $(BUILD)/home-check/test $(MAKE) --no-print-directory test-all

# Long fuzzing runs (not part of make test).
fuzz: deps
	tools/fuzz/run.sh $(BUILD) $(FUZZ_SECONDS)

demo: build
	tools/home_check.sh $(BUILD)/home-check/demo tools/demo.sh $(BUILD)

bench: build
	tools/bench/install_bench.sh $(BUILD)

clean:
	rm -rf $(BUILD)
