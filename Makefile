# Zemlo: the usual entry points. Each one installs what is missing first.
BUILD   ?= build
JOBS    ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps configure build test demo bench soak tsan asan fuzz format clean package

all: build

deps:
	@scripts/install-deps.sh

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

configure: $(BUILD)/CMakeCache.txt

build: deps configure
	cmake --build $(BUILD) -j $(JOBS)

# Every test: unit, wire, end-to-end, widget, and the fuzz corpus replays.
test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

demo: build
	@scripts/demo.sh $(BUILD)

# The Debian package: $(BUILD)/zemlo_<version>_<arch>.deb
package: build
	cd $(BUILD) && cpack -G DEB

bench: build
	@scripts/bench.sh $(BUILD)

# The fault soak: make soak [OPERATIONS=1000] [SEED=1]
soak: build
	$(BUILD)/bin/core_soak --operations $(or $(OPERATIONS),1000) --seed $(or $(SEED),1)

# Sanitizer builds of the whole tree and its tests.
asan: deps
	cmake -S . -B build-asan -DZEMLO_SANITIZE=address $(CMAKE_FLAGS)
	cmake --build build-asan -j $(JOBS)
	ctest --test-dir build-asan --output-on-failure -j $(JOBS)

tsan: deps
	cmake -S . -B build-tsan -DZEMLO_SANITIZE=thread $(CMAKE_FLAGS)
	cmake --build build-tsan -j $(JOBS)
	TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build-tsan --output-on-failure -j $(JOBS) -L e2e

# make fuzz SECONDS=60
fuzz: deps
	@scripts/fuzz.sh $(or $(SECONDS),60)

format:
	git ls-files '*.cpp' '*.h' '*.c' | xargs clang-format -i

clean:
	rm -rf $(BUILD) build-asan build-tsan build-fuzz
