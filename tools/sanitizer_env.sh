# The AddressSanitizer and UndefinedBehaviorSanitizer test step, sourced by
# tools/test.sh and tools/repeat_tests.sh so that both run it the same way:
#   pentrill_asan_configure BUILD_DIR [CMAKE_ARGUMENT...]
#   pentrill_asan_tests BUILD_DIR REPORTS_DIR [CTEST_ARGUMENT...]
# The second runs ctest with the sanitizer options below and fails when a
# test fails or when any sanitizer report was written, wherever it came from.

pentrill_asan_configure() {
  local build=$1
  shift
  CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPENTRILL_WERROR=ON \
    -DPENTRILL_SANITIZE=ON "$@" >/dev/null
}

# Reports go to files: the program sends its standard error to /dev/null
# while it owns the terminal, and a report must fail the run wherever it came from.
pentrill_sanitizer_env() {
  local reports=$1
  export ASAN_OPTIONS="detect_leaks=1:log_path=$reports/asan:print_summary=1"
  export LSAN_OPTIONS="suppressions=$PWD/tools/sanitizer/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:log_path=$reports/ubsan"
}

pentrill_asan_tests() {
  local build=$1 reports=$2 status=0
  shift 2
  rm -rf "$reports"
  mkdir -p "$reports"
  (
    pentrill_sanitizer_env "$reports"
    ctest --test-dir "$build" --output-on-failure "$@"
  ) || status=$?
  if compgen -G "$reports/*" >/dev/null; then
    echo "sanitizer reports:" >&2
    cat "$reports"/* >&2
    return 1
  fi
  return "$status"
}
