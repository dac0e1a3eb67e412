# Top-level entry points; see README.md.
BUILD ?= build
SANBUILD ?= build-sanitize
FUZZBUILD ?= build-fuzz
FUZZ_SECONDS ?= 30
JOBS ?= $(shell nproc)

.PHONY: setup build run test test-sanitize fuzz clean

setup:
	bash scripts/setup.sh

build: setup
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/Halvorn

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

test-sanitize: setup
	cmake -S . -B $(SANBUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DHALVORN_SANITIZE=ON -DHALVORN_BENCH=OFF
	cmake --build $(SANBUILD) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir $(SANBUILD) --output-on-failure -j $(JOBS)

# libFuzzer targets on clang, the libraries instrumented too; each runs
# FUZZ_SECONDS from its seeds, and a crash or sanitizer report fails.
fuzz: setup
	cmake -S . -B $(FUZZBUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_COMPILER=clang++ -DHALVORN_FUZZ=ON -DHALVORN_BENCH=OFF
	cmake --build $(FUZZBUILD) -j $(JOBS) --target fuzz_targets
	bash fuzz/run.sh $(FUZZBUILD) $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) $(SANBUILD) $(FUZZBUILD)
