# The two commands of the README: `make run` and `make test`.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_ARGS ?=

.PHONY: run test build deps clean package

deps:
	@bash scripts/install-deps

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_ARGS)
	cmake --build $(BUILD) -j $(JOBS)

# A program folder without devices gets the demonstration data first.
run: build
	@test -e $(BUILD)/src/MCDATA.MST || $(BUILD)/src/pelnor-cli demo --root $(BUILD)/src --ini $(BUILD)/src/Pelnor.INI
	$(BUILD)/src/Pelnor

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# A Debian package of the build: build/pelnor_<version>_<arch>.deb
package: build
	cd $(BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD)
