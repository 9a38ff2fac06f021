# The two entry points a fresh Debian 12 machine needs: `make run` and `make test`.
.PHONY: deps run test test-default test-asan test-windows-if-built build-default build-asan bench fuzz mutate \
	package windows test-windows clean

deps:
	@scripts/install-deps.sh

build-default: deps
	cmake --preset default
	cmake --build --preset default

build-asan: deps
	cmake --preset asan
	cmake --build --preset asan

run: build-default
	build/default/qmquery

test-default: build-default
	ctest --preset default

test-asan: build-asan
	ctest --preset asan

# Every test, in the normal build and again under AddressSanitizer + UndefinedBehaviorSanitizer, and the
# Windows build's under Wine when Qt for Windows has been built on this machine (`make windows`).
test: test-default test-asan test-windows-if-built

test-windows-if-built:
	@if scripts/windows-qt.sh --check >/dev/null; then scripts/windows.sh test; else \
		echo "Windows tests skipped: Qt for Windows is not built here; run \`make windows\` once (about 40 minutes)"; fi

# Speed figures, each against a baseline measured in the same run (see README, Performance); fails
# when a figure misses its bar, after running them all.
bench: build-default
	@status=0; for b in bench_loaders bench_startup bench_viewer bench_search bench_thumbs; do \
		QT_QPA_PLATFORM=offscreen build/default/bench/$$b || status=1; \
	done; exit $$status

# Each fuzz target for FUZZ_SECONDS seconds (default 60), seeded from the files the tests write.
fuzz: build-default
	scripts/fuzz.sh

# Plants one small fault at a time in a copy of src/ and reports the share the tests catch, in
# build/mutate/report.txt; options through MUTATE_ARGS, e.g. make mutate MUTATE_ARGS="--count 50 --seed 2".
mutate: deps
	python3 scripts/mutate.py $(MUTATE_ARGS)

# A Debian package and a portable .tar.gz (the program beside its data), in build/default.
package: build-default
	cd build/default && cpack
	@ls -1 build/default/qmquery_*.deb build/default/qmquery-*.tar.gz

# The Windows program as a zip (build/windows/qmquery-<version>-windows-x64.zip); the first run builds Qt
# for Windows into a cache outside the tree, later runs reuse it.
windows:
	scripts/windows.sh package

# The test programs built for Windows and run under Wine, then the zip started under Wine.
test-windows:
	scripts/windows.sh test

clean:
	rm -rf build
