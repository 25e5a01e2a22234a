#!/usr/bin/env bash
# Builds pentrill (Release, the default compiler) and runs it in this
# terminal; arguments are handed to the program (for example --pool 2024-2028).
# The program starts in the folder this was started from, where it looks for
# hints.txt and Figures/.
set -euo pipefail
here=$PWD
repository=$(cd "$(dirname "$0")/.." && pwd)
cd "$repository"
source tools/deps.sh
source tools/release_build.sh
pentrill_require_packages "${PENTRILL_BUILD_PACKAGES[@]}"
pentrill_release_build build/release -DPENTRILL_WERROR=OFF
cd "$here"
exec "$repository/build/release/main/pentrill" "$@"
