#!/usr/bin/env bash
# Builds and runs every test: the whole suite under the address and undefined-behaviour
# sanitizers. Later steps of this script add the other test builds.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --workflow --preset ci
