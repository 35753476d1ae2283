#!/usr/bin/env bash
# Builds and runs every test: the whole suite under the address and undefined-behaviour
# sanitizers. Later steps of this script add the other test builds.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --workflow --preset ci

# Fuzzing: each libFuzzer target runs 60 s from its seed corpus under the address and
# undefined-behaviour sanitizers. New inputs and any crash go to build/fuzz/work, not the corpus.
cmake --preset fuzz
cmake --build --preset fuzz -j 2
for target in intel_hex_reader s_record_reader option_parser whole_run; do
  rm -rf "build/fuzz/work/$target"
  mkdir -p "build/fuzz/work/$target"
  "build/fuzz/fuzz/fuzz_$target" -max_total_time=60 -timeout=10 -rss_limit_mb=4096 \
    -close_fd_mask=2 -print_final_stats=1 -artifact_prefix="build/fuzz/work/$target-" \
    "build/fuzz/work/$target" "fuzz/corpus/$target"
done
