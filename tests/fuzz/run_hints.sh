#!/usr/bin/env bash
# Fuzzes the hints file reader: line ends, Ctrl-Z, UTF-8 and Windows-1252
# lines, the index rule, the hint lookup and the picture marker.
#   bash tests/fuzz/run_hints.sh                 # one minute
#   bash tests/fuzz/run_hints.sh --seconds 5
#   bash tests/fuzz/run_hints.sh --runs 1000000
exec bash "$(dirname "$0")/fuzz.sh" fuzz_hints hints "$@"
