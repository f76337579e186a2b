# The two set-up commands of the README, and a few more.
#   make test   install what is missing, build every preset, run every test
#   make run    install what is missing, build, open the program
#   make fuzz   run the fuzz targets for longer (FUZZ_SECONDS, default 600)
#   make bench  run the benchmarks (host and Windows)
SHELL := /bin/bash
.ONESHELL:
.SHELLFLAGS := -euo pipefail -c
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 600

.PHONY: test run fuzz bench setup build clean

setup:
	scripts/setup.sh

build: setup
	for p in native win64 win32; do
	  cmake --preset $$p >/dev/null
	  cmake --build --preset $$p -j $(JOBS)
	done

test: build
	ctest --preset native -j $(JOBS)
	ctest --preset win64

run: setup
	scripts/run

fuzz: build
	for f in $$(find build/native -maxdepth 4 -type f -name '*_fuzz' -perm -u+x); do
	  mkdir -p $$f.corpus
	  $$f -max_total_time=$(FUZZ_SECONDS) $$f.corpus
	done

bench: setup
	cmake --preset bench >/dev/null
	cmake --build --preset bench -j $(JOBS)
	cmake --preset win64 >/dev/null
	cmake --build --preset win64 -j $(JOBS)
	scripts/bench

clean:
	rm -rf build
