# The two commands a newcomer needs: `make demo` and `make test`. Both install what is missing first.
BUILD ?= build
SANITIZE_BUILD ?= build-sanitize
TSAN_BUILD ?= build-tsan
JOBS ?= $(shell nproc)
CMAKE_FLAGS = -G Ninja -DCMAKE_BUILD_TYPE=Release
# The test command's builds fail on any warning.
TEST_FLAGS = -DORVESSA_WERROR=ON
DEMO_OUT ?= out/demo
# The fuzzers live in the sanitizer build: one clang build serves both, so the test command compiles
# the code twice (gcc plain, clang sanitized), not three times.
FUZZ_BUILD ?= $(SANITIZE_BUILD)
FUZZ_SECONDS ?= 60
# What `make test` gives each fuzzer: a short run, so CI tries every target on every change.
TEST_FUZZ_SECONDS ?= 5

.PHONY: deps build demo test lint test-normal test-sanitize test-tsan fuzz bench bench-frames deb clean

deps:
	@bash scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS) -DORVESSA_WERROR=OFF > /dev/null
	cmake --build $(BUILD) -j $(JOBS)

# Frames and a contact sheet in out/demo/, and the same as one animated WebP, out/demo.webp.
demo: build
	bash scripts/demo.sh $(BUILD)/app/orvessa $(DEMO_OUT)

test: lint test-normal test-sanitize
	$(MAKE) fuzz FUZZ_SECONDS=$(TEST_FUZZ_SECONDS)

# The habits tools can hold: formatting, and clang-tidy's bug-prone and performance checks. They read
# the sanitizer build's compile commands (clang's own flags, and the unity batches, which spare the
# checks analysing the same headers file after file), so that build is configured first.
lint: deps
	bash scripts/check-format.sh
	cmake -S . -B $(SANITIZE_BUILD) $(SANITIZE_FLAGS) > /dev/null
	bash scripts/check-tidy.sh $(SANITIZE_BUILD)

test-normal: deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS) $(TEST_FLAGS) > /dev/null
	cmake --build $(BUILD) -j $(JOBS)
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# AddressSanitizer, UndefinedBehaviorSanitizer and libFuzzer's coverage hooks, with clang; each
# layer compiled in unity batches (the plain build compiles every file on its own).
SANITIZE_FLAGS = -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	-DORVESSA_SANITIZE=ON -DORVESSA_FUZZ=ON -DORVESSA_UNITY_LAYERS=ON $(TEST_FLAGS)

# Where Mesa is installed, SDL loads OpenGL for the window and unloads it at exit, and LeakSanitizer
# then reports Mesa's own leftovers with no module to name or suppress; the window tests of this build
# draw through SDL's software path instead.
SANITIZE_RUN_ENV = ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp SDL_RENDER_DRIVER=software SDL_FRAMEBUFFER_ACCELERATION=0

test-sanitize: deps
	cmake -S . -B $(SANITIZE_BUILD) $(SANITIZE_FLAGS) > /dev/null
	cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	$(SANITIZE_RUN_ENV) ctest --test-dir $(SANITIZE_BUILD) --output-on-failure -j $(JOBS)

# The decode service under ThreadSanitizer: only the platform library and the service's tests are
# built. Not part of `make test`, whose fifteen minutes on two cores it would overrun.
test-tsan: deps
	cmake -S . -B $(TSAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORVESSA_THREAD_SANITIZE=ON $(TEST_FLAGS) > /dev/null
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target decode_service_tests
	TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 $(TSAN_BUILD)/tests/decode_service_tests

# The libFuzzer targets of the sanitizer build, each run FUZZ_SECONDS.
fuzz: deps
	cmake -S . -B $(FUZZ_BUILD) $(SANITIZE_FLAGS) > /dev/null
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzzers
	bash fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

bench: deps
	cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVESSA_TESTS=OFF -DORVESSA_BENCH=ON > /dev/null
	cmake --build build-bench -j $(JOBS)
	bash bench/run.sh build-bench

# Whole-process timings of recordings and snapshots against their goals and ImageMagick; needs
# hyperfine and imagemagick, which the bench alone uses (see bench/frames.sh).
bench-frames: deps
	cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVESSA_TESTS=OFF -DORVESSA_BENCH=ON > /dev/null
	cmake --build build-bench -j $(JOBS)
	bash bench/frames.sh build-bench

# The Debian package, from the plain build's install rules, checked by lintian (errors fail the target).
DEB_OUT ?= out/deb
deb: build
	rm -rf $(DEB_OUT) && mkdir -p $(DEB_OUT)
	cpack --config $(BUILD)/CPackConfig.cmake -B $(CURDIR)/$(DEB_OUT) > $(DEB_OUT)/cpack.log || { cat $(DEB_OUT)/cpack.log; exit 1; }
	rm -rf $(DEB_OUT)/_CPack_Packages
	lintian --fail-on error $(DEB_OUT)/orvessa_*.deb
	@echo "deb: $$(ls $(DEB_OUT)/orvessa_*.deb)"

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD) build-bench out
