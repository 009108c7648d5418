# The two commands a new user needs:
#   make run    install what is missing, build, and start the program
#   make test   install what is missing, build, and run every test headless
# Further targets: make asan (the tests in an ASan + UBSan build, leaks
# checked), make memcheck (one session of the program under valgrind),
# make bench, make package (a Debian package, build/kaogumi_*.deb), make fuzz
# (every fuzz target for FUZZ_SECONDS, default 30, each).

BUILD      ?= build
ASAN_BUILD ?= build-asan
BENCH_BUILD ?= build-bench
MEMCHECK_BUILD ?= build-memcheck
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 30
CMAKE_ARGS ?=
ifeq ($(CI),true)
CMAKE_ARGS += -DKAOGUMI_WERROR=ON
endif
JOBS ?= $(shell nproc)

# Leaks are checked; the suppressions name only the system's libraries.
# The leak checker of this compiler misreads the thread-local storage of
# libraries loaded at run time under this C library (it reports "DTLS" at a
# nonsense address and its tracer crashes at exit: "Tracer caught signal 11");
# intercept_tls_get_addr=0 keeps it from recording that storage.
SANITIZER_ENV = ASAN_OPTIONS=detect_leaks=1:intercept_tls_get_addr=0 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	UBSAN_OPTIONS=print_stacktrace=1

.PHONY: run test asan memcheck bench fuzz package deps build clean

deps:
	@scripts/install-deps

# configure FOLDER ARGS: runs cmake for FOLDER unless it was configured with
# exactly these arguments, which it keeps in FOLDER/configure-args. Other
# arguments start from a fresh cache, so that an option left out is dropped
# too, not kept from the last time.
define configure
	@args='-S . -B $(1) -G Ninja $(2)'; \
	if [ -f $(1)/build.ninja ] && [ "$$(cat $(1)/configure-args 2>/dev/null)" = "$$args" ]; then \
		exit 0; \
	fi; \
	rm -f $(1)/configure-args $(1)/CMakeCache.txt; \
	echo "cmake $$args"; \
	cmake $$args && echo "$$args" > $(1)/configure-args
endef

build: deps
	$(call configure,$(BUILD),-DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_ARGS))
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@scripts/run-program $(BUILD)/kaogumi

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The Debian package of the installed layout, beside the build's files.
package: build
	cd $(BUILD) && cpack -G DEB

asan: deps
	$(call configure,$(ASAN_BUILD),-DCMAKE_BUILD_TYPE=Debug -DKAOGUMI_SANITIZE=ON $(CMAKE_ARGS))
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	$(SANITIZER_ENV) ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

# One session of the program, start-up to exit, under valgrind's memcheck.
memcheck: deps
	CMAKE_ARGS='$(CMAKE_ARGS)' scripts/memcheck $(MEMCHECK_BUILD)

# Builds the benchmarks, runs each with repetitions and writes the record of
# figures and floors, docs/performance.md.
bench: deps
	$(call configure,$(BENCH_BUILD),-DCMAKE_BUILD_TYPE=Release -DKAOGUMI_BENCH=ON $(CMAKE_ARGS))
	cmake --build $(BENCH_BUILD) -j $(JOBS) --target benchmarks
	scripts/bench-record $(BENCH_BUILD) docs/performance.md

# Every fuzz target under libFuzzer (clang; the program's libraries
# instrumented, ASan + UBSan) for FUZZ_SECONDS each, from the seed corpus;
# fails on any finding, whose input lands in $(FUZZ_BUILD)/fuzz/findings.
fuzz: deps
	$(call configure,$(FUZZ_BUILD),-DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
		-DCMAKE_CXX_COMPILER=clang++ -DKAOGUMI_FUZZ=ON $(CMAKE_ARGS))
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target kaogumi_fuzz_targets
	scripts/fuzz-corpus $(FUZZ_BUILD)
	scripts/fuzz-run $(FUZZ_BUILD) $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(BENCH_BUILD) $(MEMCHECK_BUILD) $(FUZZ_BUILD)
