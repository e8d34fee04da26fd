# Two entry points: `make run` and `make test`. Both install what is missing first.
BUILD ?= build
PKGS := cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools qt6-webengine-dev \
        libgtest-dev libgmock-dev libbenchmark-dev lighttpd curl openssl \
        desktop-file-utils appstream man-db xvfb xauth dpkg-dev ckeditor dbus-daemon
# QtKeychain for the keyring; a private bus and a Secret Service for its tests.
PKGS += qtkeychain-qt6-dev dbus gnome-keyring libsecret-tools
SHOT_PKGS := xvfb x11-utils imagemagick
FUZZ_PKGS := clang libclang-rt-14-dev
PACKAGE_PKGS := lintian

# make install PREFIX=/some/where (default: the prefix the build was configured with, /usr/local)
PREFIX ?=

.PHONY: deps build run test install package bench screenshots fuzz clean

deps:
	@./scripts/ensure-packages $(PKGS)

$(BUILD)/build.ninja: CMakeLists.txt | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j2

# Only the program: the tests and their editors are built by `make test`.
run: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j2 --target postmaven
	$(BUILD)/postmaven

test: build
	cd $(BUILD) && ctest --output-on-failure -j2 --timeout 300

install: build
	cmake --install $(BUILD) $(if $(PREFIX),--prefix $(PREFIX))

# A Debian package in $(BUILD); slow, so not part of `make test`.
package: build
	@./scripts/ensure-packages $(PACKAGE_PKGS)
	cmake --build $(BUILD) --target package

bench: build
	cmake --build $(BUILD) --target benchmarks -j2
	./bench/run-all $(BUILD)

screenshots: build
	@./scripts/ensure-packages $(SHOT_PKGS)
	./scripts/screenshots $(BUILD)

fuzz:
	@./scripts/ensure-packages $(PKGS) $(FUZZ_PKGS)
	for s in scripts/fuzz-*; do $$s || exit 1; done

clean:
	rm -rf $(BUILD)
