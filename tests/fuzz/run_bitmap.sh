#!/usr/bin/env bash
# Fuzzes the check of the bitmap files that hints name.
#   bash tests/fuzz/run_bitmap.sh                 # one minute
#   bash tests/fuzz/run_bitmap.sh --seconds 5
#   bash tests/fuzz/run_bitmap.sh --runs 1000000
exec bash "$(dirname "$0")/fuzz.sh" fuzz_bitmap bitmap "$@"
