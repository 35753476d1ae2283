#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what the tests need and lacks (tools/install_deps.sh), then builds and runs every test:
# the whole suite under the address and undefined-behaviour sanitizers, the unit and command-line
# tests under the thread sanitizer, the whole suite again without sanitizers, the fuzz targets,
# the Windows build under Wine, the manual pages, the .deb and the ZIP with their licence and
# documents, the CMake module with the example firmware, the installed package as projects use
# it (the board firmware booted on QEMU included), and the package's components. Stops at the
# first failure.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install_deps.sh

# ctest and GoogleTest count a skipped test as passed; here it fails the run, unless
# tools/allowed_skips.txt lets it skip on this processor. Each test run writes a report for this.
check_skips() { python3 tools/check_skips.py "$@"; }

# The whole suite under the sanitizers (all but the out-of-memory test, which needs a build
# without them: see the asan test preset).
rm -f build/asan/ctest-junit.xml
cmake --workflow --preset ci
check_skips build/asan/ctest-junit.xml

# The unit and command-line tests under the thread sanitizer (clang): the scan and the output
# run on two threads. The out-of-memory tests are left out, as under the address sanitizer.
rm -f build/tsan/ctest-junit.xml
cmake --workflow --preset tsan
check_skips build/tsan/ctest-junit.xml

# The whole suite again in a release build without sanitizers, which also compiles the
# benchmarks; the .deb below is packed from this build.
rm -f build/release-tests/ctest-junit.xml
cmake --workflow --preset release-tests
check_skips build/release-tests/ctest-junit.xml

# Fuzzing: each libFuzzer target runs 60 s from its seed corpus and dictionary under the address and
# undefined-behaviour sanitizers. New inputs and any crash go to build/fuzz/work, not the corpus.
cmake --preset fuzz
cmake --build --preset fuzz -j 2
for target in intel_hex_reader s_record_reader option_parser whole_run; do
  rm -rf "build/fuzz/work/$target"
  mkdir -p "build/fuzz/work/$target"
  "build/fuzz/fuzz/fuzz_$target" -max_total_time=60 -timeout=10 -rss_limit_mb=4096 \
    -print_final_stats=1 -dict="fuzz/$target.dict" -artifact_prefix="build/fuzz/work/$target-" \
    "build/fuzz/work/$target" "fuzz/corpus/$target"
done

# Windows: cross-build with MinGW-w64 (the boot header's compile check included), run the
# command-line tests against the .exe under Wine (in a fresh, quiet, headless prefix under build/)
# and require the same output bytes as on Linux, also for names in any script and long paths.
cmake --preset mingw
cmake --build --preset mingw -j 2
export WINEPREFIX="$PWD/build/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
[[ -d $WINEPREFIX ]] || { wineboot --init && wineserver --wait; }
# One Wine server for every run below, started here outside any limit a test sets for its run
# (or the one still running from an earlier run of this script).
wineserver --persistent || true
trap 'wineserver --kill || true' EXIT  # also when a step below fails
rm -f build/windows-cli.xml
SUMWRIGHT_EXE="$PWD/build/mingw/sumwright.exe" SUMWRIGHT_LAUNCHER="$PWD/cmake/run-under-wine.sh" \
  build/asan/tests/sumwright_cli_tests --gtest_brief=1 --gtest_filter=-CliPosix\* \
  --gtest_output=xml:build/windows-cli.xml
check_skips build/windows-cli.xml
cmake/compare-windows-output.sh build/asan/sumwright build/mingw/sumwright.exe build/windows-compare
cmake/check-windows-paths.sh build/mingw/sumwright.exe build/windows-paths
cmake/check-windows-names.sh build/asan/sumwright build/mingw/sumwright.exe build/windows-names
cmake/check-windows-interrupt.sh build/mingw/sumwright.exe build/windows-interrupt
wineserver --kill  # ends the Wine processes started above
trap - EXIT

# Manual pages: render without a warning.
man_warnings=$(export LC_ALL=C.UTF-8
               for page in docs/sumwright.1 docs/sumwright-cmake.7; do
                 groff -man -Tutf8 -ww -z "$page" 2>&1
                 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null
               done)
[[ -z $man_warnings ]] || { echo "$man_warnings"; exit 1; }

# Packages: the release .deb and the Windows ZIP each hold the program, its manual page, the boot
# header, the files that find_package(sumwright) and pkg-config read, the licence, README and the
# examples, and nothing else. The .deb is unpacked and its program run, its copyright file read.
rm -rf build/package
mkdir -p build/package
cpack --config build/release-tests/CPackConfig.cmake -G DEB -B "$PWD/build/package"
cpack --config build/mingw/CPackConfig.cmake -G ZIP -B "$PWD/build/package"
package_files="include/sumwright/sumwright_crc.h
share/cmake/sumwright/Sumwright.cmake
share/cmake/sumwright/SumwrightCheckCrc.cmake
share/cmake/sumwright/SumwrightReasons.cmake
share/cmake/sumwright/SumwrightRun.cmake
share/cmake/sumwright/sumwrightConfig.cmake
share/cmake/sumwright/sumwrightConfigVersion.cmake
share/cmake/sumwright/sumwrightCrcTargets.cmake
share/cmake/sumwright/sumwrightProgramTargets-release.cmake
share/cmake/sumwright/sumwrightProgramTargets.cmake
share/man/man1/sumwright.1
share/man/man7/sumwright-cmake.7
share/pkgconfig/sumwright.pc"
example_files="examples/board/CMakeLists.txt
examples/board/arm-none-eabi.cmake
examples/board/board.ld
examples/board/boot.cmake
examples/board/main.c
examples/board/startup.c
examples/firmware/CMakeLists.txt
examples/firmware/Makefile
examples/firmware/expected/firmware_crc.hex
examples/firmware/expected/firmware_crc.s19
examples/firmware/firmware.cpp
examples/firmware/image/firmware-v1.s19
examples/firmware/image/firmware.hex"
diff <(LC_ALL=C sort <<<"$package_files
bin/sumwright
share/doc/sumwright/copyright
share/doc/sumwright/README.md
$(sed 's|^|share/doc/sumwright/|' <<<"$example_files")") \
  <(dpkg-deb -c build/package/sumwright_*.deb | awk '!/\/$/ { print $6 }' | sed 's|^\./usr/||' |
    LC_ALL=C sort)
diff <(LC_ALL=C sort <<<"$package_files
bin/sumwright.exe
LICENSE
README.md
$example_files") \
  <(cmake -E tar tf build/package/sumwright-*-win64.zip | grep -v '/$' | sed 's|^[^/]*/||' |
    LC_ALL=C sort)
dpkg-deb -x build/package/sumwright_*.deb build/package/root
build/package/root/usr/bin/sumwright 2>/dev/null
build/package/root/usr/bin/sumwright samples/app.hex -crc=FFFE=0-FFFD -output=build/package/app.hex
MANWIDTH=80 man -l build/package/root/usr/share/man/man1/sumwright.1 >/dev/null
MANWIDTH=80 man -l build/package/root/usr/share/man/man7/sumwright-cmake.7 >/dev/null
/usr/bin/python3 cmake/tests/check_copyright.py build/package/root/usr/share/doc/sumwright/copyright \
  LICENSE

# Build integration: the CMake module's own tests, and the example firmware project with the
# module from this source tree and the packaged program. Then the package as projects use it
# (cmake/tests/check-package.sh: find_package with CMAKE_PREFIX_PATH alone, a cross toolchain,
# pkg-config and Make), installed into a staging prefix and unpacked from the .deb.
rm -rf build/cmake-tests
cmake -S cmake/tests -B build/cmake-tests
ctest --test-dir build/cmake-tests --output-on-failure --output-junit ctest-junit.xml
check_skips build/cmake-tests/ctest-junit.xml
rm -rf build/example
cmake -S examples/firmware -B build/example -G Ninja -DSUMWRIGHT_SOURCE_DIR="$PWD" \
  -DSUMWRIGHT_EXECUTABLE="$PWD/build/package/root/usr/bin/sumwright"
cmake --build build/example -j 2
ctest --test-dir build/example --output-on-failure --output-junit ctest-junit.xml
check_skips build/example/ctest-junit.xml
rm -rf build/staging
cmake --install build/release-tests --prefix build/staging
cmake/tests/check-package.sh build/staging build/package-check/staging
cmake/tests/check-rules.sh build/staging build/package-check/rules
cmake/tests/check-package.sh build/package/root/usr build/package-check/deb
# The package's components, and the ZIP's package seen from Linux, where its program cannot run.
rm -rf build/package/zip
mkdir -p build/package/zip
(cd build/package/zip && cmake -E tar xf ../sumwright-*-win64.zip)
cmake/tests/check-components.sh build/staging build/package/zip/sumwright-*-win64 \
  build/package-check/components
