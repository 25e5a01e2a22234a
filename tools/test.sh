#!/usr/bin/env bash
# Builds everything with GCC and Clang (warnings are errors) and runs every
# test: unit tests and end-to-end tests of the real binary in a
# pseudo-terminal.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
pentrill_require_packages "${PENTRILL_BUILD_PACKAGES[@]}" "${PENTRILL_TEST_PACKAGES[@]}"
jobs=$(nproc)

echo "== Clang build"
CXX=clang++ cmake -S . -B build/clang -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build/clang -j "$jobs"

echo "== GCC build and tests"
CXX=g++ cmake -S . -B build/gcc -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/gcc -j "$jobs"
ctest --test-dir build/gcc --output-on-failure -j "$jobs"
