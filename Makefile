# X3D Vendrel: `make test` builds and runs every test, `make run` builds and starts the tool.
# Both install what is missing first (tools/bootstrap).

BUILD ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)

.PHONY: all bootstrap configure build test run bench format clean

all: build

bootstrap:
	tools/bootstrap

configure: bootstrap
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# Widget tests need a display: a virtual one is started for the run.
test: build
	cd $(BUILD) && xvfb-run -a -s "-screen 0 1600x1200x24" ctest --output-on-failure -j $(JOBS)

# Starts the tool with the example world, loaded as if typed into the address box and "Go" pressed.
EXAMPLE ?= examples/vendrel-demo.x3dv
run: build
	$(BUILD)/src/app/x3d-vendrel $(abspath $(EXAMPLE))

# Every benchmark.
bench: build
	$(BUILD)/bench/vendrel_bench_walk
	$(BUILD)/bench/vendrel_bench_scriptgen
	$(BUILD)/bench/vendrel_bench_selection
	$(BUILD)/bench/vendrel_bench_xite_scene
	$(BUILD)/bench/vendrel_bench_tree_view
	xvfb-run -a -s "-screen 0 1600x1200x24" $(BUILD)/bench/vendrel_bench_host
	xvfb-run -a -s "-screen 0 1600x1200x24" $(BUILD)/bench/vendrel_bench_try

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
