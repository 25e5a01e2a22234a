#!/usr/bin/env bash
# The scripts around the program, each on a stand-in, so that the check is
# cheap: the run command starts the program in the user's folder (where
# hints.txt is read), and the package check counts as left behind exactly
# the files the package installed.
# Usage: scripts_check.sh SOURCE_DIR
set -euo pipefail
source_dir=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "scripts check: $*" >&2; exit 1; }

# tools/run.sh in a stand-in repository whose build makes a program that
# prints its folder, the hints.txt it finds there and its arguments.
mkdir -p "$work/repository/tools" "$work/user"
cp "$source_dir/tools/run.sh" "$work/repository/tools/"
cat >"$work/repository/tools/deps.sh" <<'STANDIN'
pentrill_require_packages() { :; }
PENTRILL_BUILD_PACKAGES=()
STANDIN
cat >"$work/repository/tools/release_build.sh" <<'STANDIN'
pentrill_release_build() {
  mkdir -p "$1/main"
  printf '#!/bin/sh\npwd\ncat hints.txt\necho "$@"\n' >"$1/main/pentrill"
  chmod +x "$1/main/pentrill"
}
STANDIN
echo "E1A01: mine" >"$work/user/hints.txt"
ran=$(cd "$work/user" && bash ../repository/tools/run.sh --pool 2024-2028 2>&1) || fail "run.sh failed: $ran"
[ "$ran" = "$(printf '%s\n%s\n%s' "$work/user" "E1A01: mine" "--pool 2024-2028")" ] ||
  fail "run.sh from $work/user did not start the program there with its arguments: $ran"
echo "tools/run.sh starts the program in the folder it was started from, which has hints.txt"

# package_files_left over a purge that left one file (and so its folder)
# beside a file of another package named after this one.
source "$source_dir/tools/package_files_left.sh"
usr=$work/usr
mkdir -p "$usr/bin" "$usr/share/doc/pentrill"
touch "$usr/share/doc/pentrill/copyright" "$usr/bin/pentrill-build-deps"
installed=$(printf '%s\n' /. "$usr/bin/pentrill" "$usr/share/doc/pentrill" "$usr/share/doc/pentrill/copyright")
left=$(package_files_left <<<"$installed")
[ "$left" = "$(printf '%s\n%s' "$usr/share/doc/pentrill" "$usr/share/doc/pentrill/copyright")" ] ||
  fail "package_files_left reports '$left'"
rm -r "$usr/share/doc/pentrill"
[ -z "$(package_files_left <<<"$installed")" ] || fail "package_files_left reports files after a clean purge"
echo "package_files_left reports the installed files left, and nothing else"
