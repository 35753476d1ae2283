#!/bin/bash
# SPDX-License-Identifier: MIT
# The CRC step as a build rule, with an installed sumwright, under Ninja and Unix Makefiles:
#   cmake/tests/check-rules.sh <install prefix> <work directory>
# Builds cmake/tests/rules (a copy: the test changes its input), then checks that the outputs are
# what sumwright writes when run by hand; that a second build runs no step; that a changed
# option, a changed input and a new program each run the steps they decide again, and give what
# a clean build gives; that `clean` leaves nothing of the steps but their settings; and that the
# check tests pass and say what is wrong with images that lack their CRC. Then the outputs per
# configuration under Ninja Multi-Config, and the reasons given for inputs that sumwright refuses
# without a message. Stops at the first failure.
set -euo pipefail
prefix=$(realpath "$1")
mkdir -p "$2"
work=$(realpath "$2")
source_dir=$(realpath "$(dirname "$0")/../..")
fail() { echo "check-rules.sh: $*" >&2; exit 1; }

# The program as a file of its own, so that a test can put a new one in its place.
rm -rf "$work/bin" "$work/expected" "$work/project" "$work/build"* "$work/multi" \
  "$work/multiproject" "$work/broken"
mkdir -p "$work/bin" "$work/expected"
cp "$prefix/bin/sumwright" "$work/bin/sumwright"
program=$work/bin/sumwright

# expect <byte order>: each output equals sumwright's own run on the same input, made by hand.
expect() {
  local endian=$1 build=$2
  local project=$work/project
  # (A path with a "-" would be taken for an option: the inputs are copied first.)
  cp "$project/in-dir/image.s19" "$project/images/app.hex" "$work/expected/"
  (cd "$work/expected" &&
   "$program" app.hex -crc=FFFE=0-FFFD -endian="$endian" -output=app_crc.hex &&
   "$program" image.s19 -crc=FFFE=0-FFFD -endian="$endian" -output=source_crc.s19) 2>/dev/null
  cmp "$work/expected/app_crc.hex" "$build/app_crc.hex"
  cmp "$work/expected/app_crc.hex" "$build/Release/made_crc.hex"
  cmp "$work/expected/app_crc.hex" "$build/Release/final.hex"
  cmp "$work/expected/source_crc.s19" "$build/source_crc.s19"
}
outputs="app_crc.hex source_crc.s19 Release/made_crc.hex Release/final.hex"
# stamps <build>: the outputs' modification times, to see which steps ran.
stamps() { (cd "$1" && stat -c '%n %.9Y' $outputs); }
# changed <before> <after>: the outputs whose time changed, on one line.
changed() { join <(echo "$1") <(echo "$2") | awk '$2 != $3 { printf "%s ", $1 }' | sed 's/ $//'; }

for generator in Ninja "Unix Makefiles"; do
  build=$work/build-${generator// /}
  rm -rf "$work/project"
  cp -r "$source_dir/cmake/tests/rules" "$work/project"
  cmake -S "$work/project" -B "$build" -G "$generator" -DCMAKE_PREFIX_PATH="$prefix" \
    -DSUMWRIGHT_EXECUTABLE="$program" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" >"$work/log" || { cat "$work/log"; fail "$generator: the build failed"; }
  expect big "$build"
  # One line per step, naming its output.
  [[ $(grep -c 'Adding the CRC to\|Generating Release/made_crc.hex' "$work/log") == 3 ]] ||
    { cat "$work/log"; fail "$generator: not one line per image"; }
  ctest --test-dir "$build" -C Release --output-on-failure >"$work/log" ||
    { cat "$work/log"; fail "$generator: the check tests failed"; }

  sleep 1.1  # file times of a coarse file system
  before=$(stamps "$build")
  cmake --build "$build" >"$work/log"
  [[ -z $(changed "$before" "$(stamps "$build")") ]] ||
    { cat "$work/log"; fail "$generator: a build with nothing changed ran a step"; }

  # A changed option: every step runs again.
  cmake "$build" -DSTEP_ENDIAN=little >/dev/null
  cmake --build "$build" >"$work/log"
  expect little "$build"
  # A changed input: the step on it, and the rule after it.
  before=$(stamps "$build")
  sleep 1.1
  sed -i 's/^S1130000030A/S1130000030B/; s/74$/73/' "$work/project/in-dir/image.s19"
  cmake --build "$build" >"$work/log"
  [[ $(changed "$before" "$(stamps "$build")") == "source_crc.s19" ]] ||
    fail "$generator: a changed input did not run its step alone"
  expect little "$build"
  # A new program: every step runs again.
  before=$(stamps "$build")
  sleep 1.1
  cp "$prefix/bin/sumwright" "$program"
  cmake --build "$build" >"$work/log"
  [[ $(changed "$before" "$(stamps "$build")") == "$outputs" ]] ||
    fail "$generator: a new program did not run every step"
  expect little "$build"

  # clean: the outputs go, and no copy of an input is left anywhere (the check tests' folders
  # are the tests' own).
  cmake --build "$build" --target clean >/dev/null
  left=$(cd "$build" && find . -path ./sumwright/check -prune -o \
           \( -name '*.hex' -o -name '*.s19' -o -name '*input*' \) -print | sort)
  [[ -z $left ]] || fail "$generator: clean left $left"
done

# Ninja Multi-Config: an output per configuration, in the configuration's folder.
cp -r "$source_dir/cmake/tests/rules" "$work/multiproject"
cmake -S "$work/multiproject" -B "$work/multi" -G "Ninja Multi-Config" \
  -DCMAKE_PREFIX_PATH="$prefix" -DSUMWRIGHT_EXECUTABLE="$program" >/dev/null
cp "$work/multiproject/images/app.hex" "$work/expected/"
(cd "$work/expected" && "$program" app.hex -crc=FFFE=0-FFFD -output=app_crc.hex 2>/dev/null)
for config in Debug Release; do
  cmake --build "$work/multi" --config $config >/dev/null
  cmp "$work/expected/app_crc.hex" "$work/multi/$config/made_crc.hex"
  ctest --test-dir "$work/multi" -C $config -R made_holds_its_crc >/dev/null
done
[[ -z $(find "$work/multi" -name '$<*') ]] || fail "Ninja Multi-Config: a folder named \$<...>"
rm -rf "$work/multiproject"

# Inputs that sumwright refuses without a message: the build log names the line and the remedy.
cmake -S "$source_dir/cmake/tests/rules" -B "$work/broken" -G Ninja -DBROKEN=ON \
  -DCMAKE_PREFIX_PATH="$prefix" -DSUMWRIGHT_EXECUTABLE="$program" >/dev/null
images=$source_dir/cmake/tests/rules/images
reasons=(
  "count_image|$images/count.s19 line 6: S5 record count, which sumwright refuses; drop it with grep -v '^S5', or tell the tool that wrote the image not to write it"
  "type6_image|$images/type6.hex line 5: Intel HEX record of type 06, which sumwright refuses; leave it out of the image (objcopy writes none)"
)
for entry in "${reasons[@]}"; do
  IFS='|' read -r target reason <<<"$entry"
  if cmake --build "$work/broken" --target "$target" >"$work/log" 2>&1; then
    fail "$target: the build passed"
  fi
  # (CMake indents the lines of the message.)
  sed 's/^ *//' "$work/log" | grep -qxF -- "$reason" ||
    { cat "$work/log"; fail "$target: no reason given"; }
  sed 's/^ *//' "$work/log" | grep -qxF -- "Sumwright Abort" ||
    { cat "$work/log"; fail "$target: the program's lines are not shown"; }
done
echo "check-rules.sh: every check passed"
