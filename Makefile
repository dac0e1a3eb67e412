# Top-level entry points; see README.md.
BUILD ?= build
SANBUILD ?= build-sanitize
JOBS ?= $(shell nproc)

.PHONY: setup build run test test-sanitize bench clean

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

clean:
	rm -rf $(BUILD) $(SANBUILD)
