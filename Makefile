# make run  - installs what is missing, builds, starts the program from build/program
# make test - installs what is missing, builds, runs every test
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: deps configure build run test sanitize clean

deps:
	@bash scripts/deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	cd $(BUILD)/program && ./quorbel_pro

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 300

# The same tests in a separate tree built with AddressSanitizer and UndefinedBehaviorSanitizer.
# Any report fails its test; tests/support/lsan.supp lists the leaks of host libraries.
sanitize:
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/support/lsan.supp:print_suppressions=0 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	$(MAKE) test BUILD=build-asan CMAKE_FLAGS="-DQUORBEL_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug"

clean:
	rm -rf $(BUILD) build-asan
