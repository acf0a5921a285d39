# Zemlo: the usual entry points. Each one installs what is missing first.
BUILD   ?= build
JOBS    ?= $(shell nproc)
CMAKE_FLAGS ?=
# Tests run in two rounds. First those that keep a core busy, one per core. Then those labelled
# "waits": against the handset emulator they spend nearly all their time in the handset's
# timeouts and the link's settle pauses, using a few percent of a core each, so several run per
# core. Both rounds run even when the first fails, so that one run shows every failure.
WAIT_JOBS ?= $(shell echo $$(( $(JOBS) * 4 )))
# $(call ctest_rounds,ENVIRONMENT,BUILD FOLDER,MORE CTEST OPTIONS)
ctest_rounds = first=0; $(1) ctest --test-dir $(2) --output-on-failure -j $(JOBS) -LE waits $(3) \
	|| first=$$?; $(1) ctest --test-dir $(2) --output-on-failure -j $(WAIT_JOBS) -L waits $(3) \
	&& exit $$first

.PHONY: all deps configure build test demo bench soak sweep tsan asan fuzz format clean package windows

all: build

deps:
	@scripts/install-deps.sh

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

configure: $(BUILD)/CMakeCache.txt

build: deps configure
	cmake --build $(BUILD) -j $(JOBS)

# Every test: unit, wire, end-to-end, widget, install and the fuzz corpus replays; then the same
# tests built with AddressSanitizer and UndefinedBehaviorSanitizer, and the end-to-end tests built
# with ThreadSanitizer. SANITIZERS=0 skips the two sanitizer builds for a quick local run.
SANITIZERS ?= 1
test: build
	$(call ctest_rounds,,$(BUILD),)
ifneq ($(SANITIZERS),0)
	$(MAKE) --no-print-directory asan tsan
endif

demo: build
	@scripts/demo.sh $(BUILD)

# handlink.dll and picmill.dll for Windows, cross-built with mingw-w64 (docs/windows.md):
# $(BUILD)/windows/<arch>/ and the zip for Windows callers there. The configure step again, so
# that a toolchain installed since the first one is found.
windows: deps configure
	cmake $(BUILD) >/dev/null
	cmake --build $(BUILD) --target windows -j $(JOBS)
	@ls -1 $(BUILD)/windows/*/zemlo-windows-*.zip

# The Debian package: $(BUILD)/zemlo_<version>-1_<arch>.deb
package: build
	cd $(BUILD) && cpack -G DEB

bench: build
	@scripts/bench.sh $(BUILD)

# The fault soak: make soak [OPERATIONS=1000] [SEED=1]
soak: build
	$(BUILD)/bin/core_soak --operations $(or $(OPERATIONS),1000) --seed $(or $(SEED),1)

# The fault sweep: every fault kind at every frame of every handset operation, through zemlo-cli
# and through the window's core, each run judged by the store; prints the table of
# docs/robustness.md. make sweep [SWEEP_JOBS=12]
sweep: build
	$(BUILD)/bin/fault_sweep --front all --jobs $(or $(SWEEP_JOBS),12) --table

# Sanitizer builds. Optimised lightly with line tables only: they compile faster and still name
# the line of every report. The AddressSanitizer build holds every test (not the benchmarks); the
# ThreadSanitizer build only what the end-to-end tests run, and leaves out the desktop program,
# whose toolkit libraries are not instrumented.
SAN_FLAGS = -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" \
	-DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1"
ASAN_DIRS = common;devlink;display;picconv;media;app;sim;cli;resources;shell;tests;fuzz
TSAN_DIRS = common;devlink;display;picconv;media;app;sim;cli;tests
ASAN_ENV = ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizers/lsan.supp \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# Without address-space randomisation, so that ThreadSanitizer's fixed memory layout always fits.
NO_ASLR = $(shell setarch $$(uname -m) -R true 2>/dev/null && echo setarch $$(uname -m) -R)

asan: deps
	cmake -S . -B build-asan -DZEMLO_SANITIZE=address $(SAN_FLAGS) -DZEMLO_DIRS="$(ASAN_DIRS)" \
		$(CMAKE_FLAGS) >/dev/null
	cmake --build build-asan -j $(JOBS)
	$(call ctest_rounds,$(ASAN_ENV),build-asan,)

tsan: deps
	cmake -S . -B build-tsan -DZEMLO_SANITIZE=thread $(SAN_FLAGS) -DZEMLO_DIRS="$(TSAN_DIRS)" \
		$(CMAKE_FLAGS) >/dev/null
	cmake --build build-tsan -j $(JOBS) --target e2e_tests
	$(call ctest_rounds,TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 $(NO_ASLR),build-tsan,-L e2e)

# make fuzz SECONDS=60
fuzz: deps
	@scripts/fuzz.sh $(or $(SECONDS),60)

format:
	git ls-files '*.cpp' '*.h' '*.c' | xargs clang-format -i

clean:
	rm -rf $(BUILD) build-asan build-tsan build-fuzz
