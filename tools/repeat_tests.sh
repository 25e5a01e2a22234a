#!/usr/bin/env bash
# Runs the tests again and again, to show that they fail only for a real
# fault and never by chance (load, timing, a child's exit):
#
#   tools/repeat_tests.sh [--rounds N] [--load K] [--load-jobs J] [-R REGEX]
#       N rounds (default 20) of the sanitizer test step of tools/test.sh:
#       build/asan is configured and built once, then each round runs ctest
#       with the same options and a fresh reports folder. -R limits the tests.
#   tools/repeat_tests.sh --clean-clone [--rounds N] [--load K] [--source REPO] [--branch BRANCH]
#       N times the whole CI (bash .ci/run) on a fresh clone of REPO (default:
#       this repository) at BRANCH (default: the branch checked out here).
#
# With --load K the first K rounds run beside J (default 1) CPU-bound jobs,
# as on a loaded CI machine. A round fails when a test fails or when a
# sanitizer report appears. Prints the counts and the tests that failed, and
# exits with 1 when any round failed; the logs of failed rounds are kept.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/sanitizer_env.sh

rounds=20
load_rounds=0
load_jobs=1
mode=asan
source_repo=$(git rev-parse --show-toplevel)
branch=$(git rev-parse --abbrev-ref HEAD)
ctest_filter=()
while [ $# -gt 0 ]; do
  case $1 in
    --rounds) rounds=$2; shift 2 ;;
    --load) load_rounds=$2; shift 2 ;;
    --load-jobs) load_jobs=$2; shift 2 ;;
    -R) ctest_filter=(-R "$2"); shift 2 ;;
    --clean-clone) mode=clone; shift ;;
    --source) source_repo=$2; shift 2 ;;
    --branch) branch=$2; shift 2 ;;
    -h | --help) sed -n '2,18p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "repeat_tests.sh: unknown argument $1 (see --help)" >&2; exit 2 ;;
  esac
done

load_pids=()
start_load() {
  for ((j = 0; j < load_jobs; j++)); do
    bash -c 'while :; do :; done' &
    load_pids+=("$!")
  done
}
stop_load() {
  for pid in "${load_pids[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  load_pids=()
}
trap stop_load EXIT
trap 'exit 130' INT TERM

# The names of the tests a ctest output lists as failed.
failed_tests() {
  sed -n '/The following tests FAILED:/,$p' "$1" | sed -n 's/^[[:space:]]*[0-9]\{1,\} - \(.*\) (.*)$/\1/p' |
    sed 's/  # GetParam().*$//'
}

failed_rounds=0
report_rounds=0
failures=()
log_root=$PWD/build/repeat
rm -rf "$log_root"
mkdir -p "$log_root"

if [ "$mode" = asan ]; then
  echo "== configuring and building build/asan once"
  launcher=()
  if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
  pentrill_asan_configure build/asan "${launcher[@]}"
  cmake --build build/asan -j "$(nproc)"
fi

for ((round = 1; round <= rounds; round++)); do
  loaded=no
  if [ "$round" -le "$load_rounds" ]; then
    loaded=yes
    start_load
  fi
  dir=$log_root/round-$round
  mkdir -p "$dir"
  log=$dir/output.log
  status=0
  if [ "$mode" = asan ]; then
    pentrill_asan_tests build/asan "$dir/reports" -j "$(nproc)" "${ctest_filter[@]}" >"$log" 2>&1 || status=$?
    compgen -G "$dir/reports/*" >/dev/null && ((++report_rounds))
  else
    git clone --quiet --branch "$branch" "$source_repo" "$dir/clone"
    (cd "$dir/clone" && bash .ci/run) >"$log" 2>&1 || status=$?
    grep -q '^sanitizer reports:' "$log" && ((++report_rounds))
  fi
  stop_load
  if [ "$status" -eq 0 ]; then
    echo "round $round (load: $loaded): passed"
    rm -rf "$dir"
    continue
  fi
  ((++failed_rounds))
  mapfile -t names < <(failed_tests "$log")
  failures+=("${names[@]}")
  echo "round $round (load: $loaded): FAILED${names[*]:+ (${names[*]})}; log in $log"
done

echo "== $rounds rounds ($((load_rounds < rounds ? load_rounds : rounds)) with load), $failed_rounds failed," \
  "$report_rounds with sanitizer reports"
if [ "${#failures[@]}" -gt 0 ]; then
  echo "failed tests (rounds):"
  printf '%s\n' "${failures[@]}" | sort | uniq -c | sort -rn
fi
[ "$failed_rounds" -eq 0 ]
