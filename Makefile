# make demo: patch a demo product inside a private Wine prefix with the wrapper.
# make test: every test (host unit tests under sanitizers, bounded fuzzing, then the Wine tests).
.PHONY: setup build demo test bench reliability clean

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
	cmake --preset fuzz >/dev/null && cmake --build --preset fuzz -j2
	/usr/bin/python3 tools/reliability.py

clean:
	rm -rf build
