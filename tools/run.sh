#!/usr/bin/env bash
# Builds pentrill (Release, the default compiler) and runs it in this
# terminal; arguments are handed to the program (for example --pool 2024-2028).
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
source tools/release_build.sh
pentrill_require_packages "${PENTRILL_BUILD_PACKAGES[@]}"
pentrill_release_build build/release -DPENTRILL_WERROR=OFF
exec build/release/app/pentrill "$@"
