# make run  - installs what is missing, builds, starts the program from build/program
# make test - installs what is missing, builds, checks the layers, runs every test
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: deps configure build run test sanitize tsan fuzz format clean

deps:
	@bash scripts/deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	cd $(BUILD)/program && ./quorbel_pro

# The layer check first: no include may run from a lower layer to a higher one.
test: build
	@bash scripts/check-layers.sh
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 300

# The same tests in a separate tree built with AddressSanitizer and UndefinedBehaviorSanitizer.
# Any report fails its test; tests/support/lsan.supp lists the leaks of host libraries.
sanitize:
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/support/lsan.supp:print_suppressions=0 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	$(MAKE) test BUILD=build-asan CMAKE_FLAGS="-DQUORBEL_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug"

# The tests of the work that runs on worker threads (the ordered work pool, thumbnails, the video
# run, the effects' bands and previews, the distortions' rows worked out ahead, the player reading
# ahead), in a tree built with ThreadSanitizer. Qt's own frames are not instrumented and are left
# out of the reports; any report fails its test. Every test program of the tree carries
# tests/support/tsan_clone.cpp, which keeps the checker's view of the programs a test starts.
# The tools that draw the program's pictures and sample shows at build time run checked as well.
TSAN_TESTS = tests/util/util_tests tests/editor/editor_pictures_tests tests/output/video/video_run_tests \
    tests/effects/effectsui_tests tests/effects/effects_tests tests/player/player_tests
TSAN_RUN = TSAN_OPTIONS=ignore_noninstrumented_modules=1:halt_on_error=1:exitcode=66
tsan: deps
	@cmake -S . -B build-tsan -G Ninja -DQUORBEL_TSAN=ON -DCMAKE_BUILD_TYPE=Debug $(CMAKE_FLAGS) >/dev/null
	@$(TSAN_RUN) cmake --build build-tsan -j $(JOBS) --target $(notdir $(TSAN_TESTS))
	@set -e; for t in $(TSAN_TESTS); do echo "== $$t"; \
	  (cd build-tsan/$$(dirname $$t) && QT_QPA_PLATFORM=offscreen $(TSAN_RUN) ./$$(basename $$t)); done

# The fuzz targets, built with clang in build-fuzz, each run for FUZZ_SECONDS on the corpus it
# keeps in build-fuzz/corpus/<target>, starting from the seeds in tests/support/fuzz-seeds/<target>.
# Any crash, leak or sanitizer report fails the run (the input is kept as build-fuzz/<target>-crash-*).
FUZZ_SECONDS ?= 20
fuzz:
	@bash scripts/deps.sh fuzz
	@CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -G Ninja -DQUORBEL_FUZZ=ON >/dev/null
	@cmake --build build-fuzz -j $(JOBS) --target fuzz_targets
	@set -e; export LSAN_OPTIONS=suppressions=$(CURDIR)/tests/support/lsan.supp:print_suppressions=0; \
	for target in build-fuzz/fuzz/*; do \
	  name=$$(basename $$target); mkdir -p build-fuzz/corpus/$$name; \
	  echo "== $$name ($(FUZZ_SECONDS) s)"; \
	  $$target -max_total_time=$(FUZZ_SECONDS) -timeout=25 -rss_limit_mb=4096 -print_final_stats=1 \
	    -artifact_prefix=build-fuzz/$$name- build-fuzz/corpus/$$name tests/support/fuzz-seeds/$$name; \
	done

# Formats with .clang-format only what changed against main: the changed lines of the files this
# branch and the working tree changed (committed or not), so that nobody's merge meets a
# reformatted file. `make format FILES="src/a.cpp src/a.h"` formats those files whole instead.
FORMAT_BASE ?= main
FILES ?=
format:
	@bash scripts/deps.sh format
	@if [ -n "$(FILES)" ]; then clang-format-14 -i $(FILES); \
	else git clang-format-14 --binary clang-format-14 --extensions c,cc,cpp,h,hpp \
	  $$(git merge-base $(FORMAT_BASE) HEAD) -- src tests bench; fi

clean:
	rm -rf $(BUILD) build-asan build-tsan build-fuzz
