#!/bin/bash
# SPDX-License-Identifier: MIT
# Uses an installed sumwright as a project does that knows only its prefix:
#   cmake/tests/check-package.sh <install prefix> <work directory>
# - examples/firmware, copied out of the prefix's share/doc/sumwright/examples, where the package
#   ships it, and configured with CMAKE_PREFIX_PATH alone,
#   builds and passes its tests; its Makefile builds it too, with the header's folder and the
#   program from pkg-config.
# - examples/board, copied likewise and cross-built for Cortex-M3 with the toolchain file beside
#   it, passes its tests: its images hold their CRCs and boot on QEMU, the altered ones do not;
#   and again after its byte order is changed and it is built without cleaning.
# - cmake/tests/cross, under a cross toolchain that looks for packages in an empty sysroot only:
#   CMAKE_PREFIX_PATH alone does not find sumwright there; find_package(... NO_CMAKE_FIND_ROOT_PATH)
#   and sumwright_DIR do, and each of these builds passes its tests.
# Stops at the first failure.
set -euo pipefail
prefix=$(realpath "$1")
mkdir -p "$2"
work=$(realpath "$2")
source_dir=$(realpath "$(dirname "$0")/../..")
cross=$source_dir/cmake/tests/cross
# The examples as the package ships them.
examples=$prefix/share/doc/sumwright/examples

# run_tests <build directory>: every test passes, and none is skipped.
run_tests() {
  ctest --test-dir "$1" -j 2 --output-on-failure --output-junit ctest-junit.xml
  python3 "$source_dir/tools/check_skips.py" "$1/ctest-junit.xml"
}

rm -rf "$work/firmware" "$work/example" "$work/board" "$work/board-build" "$work/cross-plain" \
  "$work/cross-host" "$work/cross-dir"
cp -r "$examples/firmware" "$work/firmware"
cmake -S "$work/firmware" -B "$work/example" -G Ninja -DCMAKE_PREFIX_PATH="$prefix"
# The package of this prefix, not one installed elsewhere on the machine.
grep -qxF "sumwright_DIR:PATH=$prefix/share/cmake/sumwright" "$work/example/CMakeCache.txt"
cmake --build "$work/example" -j 2
run_tests "$work/example"
# The program from pkg-config, not from the PATH.
PKG_CONFIG_LIBDIR="$prefix/share/pkgconfig" make -C "$work/firmware" check

# The board firmware, cross-built for Cortex-M3, its CRC added and checked by the package, and
# booted on QEMU.
cp -r "$examples/board" "$work/board"
cmake -S "$work/board" -B "$work/board-build" -G Ninja \
  --toolchain "$work/board/arm-none-eabi.cmake" -DCMAKE_PREFIX_PATH="$prefix"
grep -qxF "sumwright_DIR:PATH=$prefix/share/cmake/sumwright" "$work/board-build/CMakeCache.txt"
cmake --build "$work/board-build"
run_tests "$work/board-build"
# The other byte order, built again without cleaning: both images still boot.
cmake "$work/board-build" -DBOARD_CRC_ENDIAN=little >/dev/null
cmake --build "$work/board-build"
run_tests "$work/board-build"

# cross_configure <case> <cmake options...>
cross_configure() {
  cmake -S "$cross" -B "$work/cross-$1" -G Ninja --toolchain "$cross/toolchain.cmake" "${@:2}"
}
if cross_configure plain -DCMAKE_PREFIX_PATH="$prefix" >"$work/cross-plain.log" 2>&1 ||
   ! grep -q 'Could not find a package configuration file provided by "sumwright"' \
     "$work/cross-plain.log"; then
  cat "$work/cross-plain.log"
  echo "check-package.sh: the cross toolchain must not find sumwright through CMAKE_PREFIX_PATH" \
       "alone" >&2
  exit 1
fi
cross_configure host -DCMAKE_PREFIX_PATH="$prefix" -DFIND_OPTIONS=NO_CMAKE_FIND_ROOT_PATH
cross_configure dir -Dsumwright_DIR="$prefix/share/cmake/sumwright"
for case in host dir; do
  cmake --build "$work/cross-$case"
  run_tests "$work/cross-$case"
done
