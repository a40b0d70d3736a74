# make demo: patch a demo product inside a private Wine prefix with the wrapper.
# make test: every test (host unit tests under sanitizers, bounded fuzzing, then the Wine tests).
.PHONY: setup build demo test bench reliability wrapper dist clean

setup:
	@tools/setup.sh

build: setup
	cmake --preset win32 >/dev/null && cmake --build --preset win32 -j2
	cmake --preset win64 >/dev/null && cmake --build --preset win64 -j2
	cmake --preset host >/dev/null && cmake --build --preset host -j2

demo: build
	/usr/bin/python3 tools/demo.py

test: build
	ctest --preset host -j2
	cmake --preset fuzz >/dev/null && cmake --build --preset fuzz -j2 && ctest --preset fuzz
	ctest --preset win64

# Speed, memory and size against their goals; prints the table and writes bench/RESULTS.md.
bench: build
	/usr/bin/python3 bench/run.py

# The fault-injection, bad-input and fuzz runs, written up in docs/reliability.md.
reliability: build
	/usr/bin/python3 tools/reliability.py

# A wrapper for your own patch, made by the maker under Wine from the shipped i686 stub:
#   make wrapper MSP=hotfix.msp OUT=hotfix.exe [VERSION=12.2.0.4] [STUB=other-stub.exe]
wrapper: build
	/usr/bin/python3 tools/make_wrapper.py "$(MSP)" "$(OUT)" "$(VERSION)" "$(STUB)"

# The release for Windows release engineers: build/dist/svcpack/ and build/dist/svcpack.zip.
dist: build
	/usr/bin/python3 tools/make_dist.py

clean:
	rm -rf build
