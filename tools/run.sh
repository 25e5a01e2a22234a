#!/usr/bin/env bash
# Builds pentrill and runs it in this terminal, with the arguments given
# (for example --pool 2024-2028).
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
pentrill_require_packages "${PENTRILL_BUILD_PACKAGES[@]}"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DPENTRILL_TESTS=OFF >/dev/null
cmake --build build/release --target pentrill
exec build/release/drill/pentrill "$@"
