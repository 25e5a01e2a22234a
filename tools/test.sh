#!/usr/bin/env bash
# Builds and tests everything, warnings being errors:
#   1. GCC (RelWithDebInfo): unit and end-to-end tests;
#   2. Clang with AddressSanitizer and UndefinedBehaviorSanitizer (Debug):
#      the same tests, and any sanitizer report fails the run;
#   3. the release build that tools/run.sh makes (default compiler), whose
#      binary must start in a pseudo-terminal and show the menu, and stripped
#      be under 3.5 MB (four pools);
#   4. a few seconds of every fuzz target (libFuzzer, Clang);
#   5. the man page, which must render without a warning, and the install;
#   6. the Debian package (tools/package_check.sh): built, lintian-clean,
#      installed with apt-get, run, and purged without a trace under /usr
#      (as root only, as in CI; skipped with a note otherwise).
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
source tools/release_build.sh
source tools/sanitizer_env.sh
pentrill_require_packages "${PENTRILL_BUILD_PACKAGES[@]}" "${PENTRILL_TEST_PACKAGES[@]}"
jobs=$(nproc)
fuzz_seconds=${PENTRILL_FUZZ_SECONDS:-5}

echo "== Man page"
warnings=$(groff -ww -man -Tutf8 doc/pentrill.1 2>&1 >/dev/null; mandoc -T lint -W style doc/pentrill.1 2>&1)
if [ -n "$warnings" ]; then
  echo "doc/pentrill.1 renders with warnings:" >&2
  echo "$warnings" >&2
  exit 1
fi
echo "doc/pentrill.1 renders without warnings (groff -ww, mandoc -T lint)"

echo "== GCC build and tests"
CXX=g++ cmake -S . -B build/gcc -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPENTRILL_WERROR=ON >/dev/null
cmake --build build/gcc -j "$jobs"
ctest --test-dir build/gcc --output-on-failure -j "$jobs"

echo "== Clang AddressSanitizer and UndefinedBehaviorSanitizer build and tests"
pentrill_asan_configure build/asan
cmake --build build/asan -j "$jobs"
pentrill_asan_tests build/asan "$PWD/build/asan/reports" -j "$jobs"
echo "no sanitizer reports"

echo "== Release build as tools/run.sh makes it, started in a pseudo-terminal"
pentrill_release_build build/ci-release -DPENTRILL_WERROR=ON
python3 tools/bench.py --check-start --binary build/ci-release/main/pentrill
python3 tools/bench.py --check-size --binary build/ci-release/main/pentrill
rm -rf build/ci-install
cmake --install build/ci-release --prefix build/ci-install >/dev/null
for installed in bin/pentrill share/man/man1/pentrill.1 share/doc/pentrill/README.md share/doc/pentrill/LICENSE; do
  test -f "build/ci-install/$installed" || { echo "cmake --install did not put $installed in place" >&2; exit 1; }
done
echo "cmake --install puts the binary, the man page, the README and the licence in place"

echo "== Debian package: build, lintian, install, run, purge"
bash tools/package_check.sh

echo "== Fuzz targets, ${fuzz_seconds} s each"
for script in tests/fuzz/run_*.sh; do
  log=build/$(basename "$script" .sh).log
  mkdir -p build
  if ! bash "$script" --seconds "$fuzz_seconds" >"$log" 2>&1; then
    tail -n 60 "$log" >&2
    echo "$script failed (whole output in $log)" >&2
    exit 1
  fi
  echo "$script: $(grep -E '^stat::number_of_executed_units' "$log" | awk '{print $2}') executions, no failure"
done
echo "all checks passed"
