#!/usr/bin/env bash
# Builds one libFuzzer target (Clang, with AddressSanitizer and
# UndefinedBehaviorSanitizer) in build/fuzz and runs it on its corpus.
#
#   bash tests/fuzz/fuzz.sh TARGET CORPUS [--seconds N | --runs N]
#
# Called by the run_<name>.sh script of each target. New inputs that reach
# new code are kept in build/fuzz/corpus/CORPUS; the seeds in
# tests/fuzz/corpus/CORPUS are only read. A crash leaves its input in
# build/fuzz/ (crash-*) and makes the script fail.
set -euo pipefail
cd "$(dirname "$0")/../.."
target=$1
corpus=$2
shift 2
limit=(-max_total_time=60)
case "${1:-}" in
  --seconds) limit=(-max_total_time="$2") ;;
  --runs) limit=(-runs="$2") ;;
  "") ;;
  *) echo "usage: $0 TARGET CORPUS [--seconds N | --runs N]" >&2; exit 2 ;;
esac
CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPENTRILL_TESTS=OFF \
  -DPENTRILL_FUZZ=ON -DPENTRILL_WERROR=ON >/dev/null
cmake --build build/fuzz --target "$target"
mkdir -p "build/fuzz/corpus/$corpus"
cd build/fuzz
"tests/fuzz/$target" "${limit[@]}" -max_len=4096 -print_final_stats=1 \
  "corpus/$corpus" "../../tests/fuzz/corpus/$corpus"
