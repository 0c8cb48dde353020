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

PREFIX ?= /usr/local
DESTDIR ?=

.PHONY: all deps configure build test test-all test-layout test-native test-pe test-win test-fuzz demo bench fuzz clean \
	install uninstall dist

all: build

deps:
	@tools/deps/deps.sh

# Every build folder is configured from its preset in CMakePresets.json.
# A build folder configured before the presets changed is configured again.
$(BUILD)/%/CMakeCache.txt: CMakePresets.json
	cmake --preset $* -B $(BUILD)/$*
	@touch $@

configure: $(BUILD)/win/CMakeCache.txt $(BUILD)/win64/CMakeCache.txt $(BUILD)/native/CMakeCache.txt $(BUILD)/host/CMakeCache.txt

# pack for Linux, the native suite, the 32-bit programs, and the 64-bit build
# where it is the one that runs under Wine.
build: deps configure
	cmake --build $(BUILD)/host -j $(JOBS) --target pack
	cmake --build $(BUILD)/native -j $(JOBS)
	cmake --build $(BUILD)/win -j $(JOBS)
	@if [ "$$(tools/wine/wine_arch.sh $(BUILD))" = x86_64 ]; then cmake --build $(BUILD)/win64 -j $(JOBS); fi

# No include cycle between files or folders.
test-layout:
	/usr/bin/python3 tests/layout/check_includes.py

test-native: deps configure
	cmake --build $(BUILD)/native -j $(JOBS)
	cd $(BUILD)/native && ctest --output-on-failure

# The programs as files, on every machine, read with an independent PE reader:
# the shipped 32-bit build and the 64-bit build of the same sources.
test-pe: deps configure
	cmake --build $(BUILD)/win -j $(JOBS) --target $(PRODUCTS)
	cmake --build $(BUILD)/win64 -j $(JOBS) --target $(PRODUCTS)
	/usr/bin/python3 tests/pe/check_programs.py $(BUILD)/win/bin $(BUILD)/win64/bin

# The signing check in the suite runs the Linux pack of the host build; the
# compression check also the host build's encoder without vector code.
test-win: deps configure
	cmake --build $(BUILD)/host -j $(JOBS) --target pack payload_compress_novector
	tools/wine/run_win_tests.sh $(BUILD) $(CTEST_ARGS)

test-fuzz: deps
	tools/fuzz/run.sh $(BUILD) $(FUZZ_SHORT_SECONDS)

test-all: test-layout test-native test-pe test-fuzz test-win

# Every suite, and nothing left behind in the home folder.
test: deps
	tools/wine/home_check.sh $(BUILD)/home-check/test $(MAKE) --no-print-directory test-all

# Long fuzzing runs (not part of make test).
fuzz: deps
	tools/fuzz/run.sh $(BUILD) $(FUZZ_SECONDS)

demo: build
	tools/wine/home_check.sh $(BUILD)/home-check/demo tools/demo/demo.sh $(BUILD)

bench: build
	cmake --build $(BUILD)/host -j $(JOBS) --target decoder_bench
	tools/bench/install_bench.sh $(BUILD)

# The Linux pack, installed as cartopia-pack, and the shipped 32-bit setup.exe
# in its data folder (PREFIX/share/cartopia-pack), where it finds it.
install: deps $(BUILD)/host/CMakeCache.txt $(BUILD)/win/CMakeCache.txt
	cmake --build $(BUILD)/host -j $(JOBS) --target pack
	cmake --build $(BUILD)/win -j $(JOBS) --target setup
	tools/dist/install.sh install $(BUILD) $(PREFIX) $(DESTDIR)

uninstall:
	tools/dist/install.sh uninstall $(BUILD) $(PREFIX) $(DESTDIR)

# Release archives in BUILD/dist: a Windows zip and a Linux tarball, the same
# bytes for the same sources, with their SHA-256 list.
dist: deps $(BUILD)/host/CMakeCache.txt $(BUILD)/win/CMakeCache.txt
	cmake --build $(BUILD)/host -j $(JOBS) --target pack
	cmake --build $(BUILD)/win -j $(JOBS) --target setup pack Cartopia
	/usr/bin/python3 tools/dist/make_dist.py --windows-bin $(BUILD)/win/bin --linux-pack $(BUILD)/host/bin/pack \
		--out $(BUILD)/dist

clean:
	rm -rf $(BUILD)
