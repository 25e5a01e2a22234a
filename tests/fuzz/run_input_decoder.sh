#!/usr/bin/env bash
# Fuzzes the terminal input decoder and the mouse tracker.
#   bash tests/fuzz/run_input_decoder.sh                 # one minute
#   bash tests/fuzz/run_input_decoder.sh --seconds 5
#   bash tests/fuzz/run_input_decoder.sh --runs 1000000
exec bash "$(dirname "$0")/fuzz.sh" fuzz_input_decoder input_decoder "$@"
