# Two set-up commands: `make run` and `make test`. Both install what is missing first.
BUILD_TYPE ?= Release
JOBS ?= $(shell nproc)
RELEASE_DIR := build/release
TEST_DIR := build/test

.PHONY: deps build run test fuzz bench clean

deps:
	bash scripts/install-deps.sh

build: deps
	cmake -S . -B $(RELEASE_DIR) -DCMAKE_BUILD_TYPE=Release -DKALVENTO_TESTS=OFF >/dev/null
	cmake --build $(RELEASE_DIR) -j $(JOBS)

run: build
	bash scripts/make-samples.sh build/samples
	$(RELEASE_DIR)/bin/kalvento-cli analyse --settings build/samples.ini \
	  --created "EXIF taken,DOCS created,FILENAME,SAMEDATE" --pattern-created "YYYY-MM-DD" \
	  --modified "EXIF changed,DOCS modified,FILENAME,SAMEDATE" --pattern-modified "YYYY-MM-DD" \
	  build/samples/

test: deps
	cmake -S . -B $(TEST_DIR) -DCMAKE_BUILD_TYPE=Debug -DKALVENTO_SANITIZE=ON >/dev/null
	cmake --build $(TEST_DIR) -j $(JOBS)
	cd $(TEST_DIR) && TZ=Europe/Berlin ctest --output-on-failure -j $(JOBS)
	bash scripts/run-fuzz.sh build/fuzz 3

# A longer run of every fuzz target (FUZZ_SECONDS each).
FUZZ_SECONDS ?= 120
fuzz: deps
	bash scripts/run-fuzz.sh build/fuzz $(FUZZ_SECONDS)

bench: build
	bash bench/analysis.sh
	bash bench/correction.sh
	bash bench/exports.sh
	bash bench/images.sh

clean:
	rm -rf build
