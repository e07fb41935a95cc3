# Thin wrapper: the real work is in CMake presets and scripts/.
.PHONY: run test build windows demo bench release fuzz clean

# Set everything up, build and start cdflash (Linux, Qt).
run:
	scripts/run.sh

# Set everything up, build and pass every test (Linux, sanitizers, Windows under Wine, real kernel).
test:
	scripts/test-all.sh

build:
	scripts/install-deps.sh linux
	cmake --preset linux
	cmake --build --preset linux -j2

# The Linux window over simulated drives, as a flasher: flash mode without hardware.
demo:
	scripts/demo.sh

# Figures of the flasher's own work around a (simulated) drive.
bench:
	scripts/install-deps.sh linux
	cmake --preset linux >/dev/null
	cmake --build --preset linux -j2 --target flash_bench window_bench cdflash
	strip -o build/linux/bench-template build/linux/bin/cdflash
	build/linux/bin/flash_bench build/linux/bench-template
	build/linux/bin/window_bench

# Release files of both systems (build/release), with the sizes of the programs.
release:
	scripts/release.sh

# Each fuzz target for a minute, with its executions and coverage.
fuzz:
	scripts/fuzz.sh 60

# The shipped Windows program, build/win32/bin/cdflash.exe: a cross-build that starts nothing.
windows:
	scripts/install-deps.sh mingw
	cmake --preset win32
	cmake --build --preset win32 -j2 --target cdflash

clean:
	rm -rf build
