#!/usr/bin/env bash
# Tries the Debian package as a user gets it: builds it with tools/package.sh
# (lintian included), installs it with apt-get, runs the installed program
# without a terminal and in a pseudo-terminal to its menu, checks the bash
# completion and the desktop entry, then purges it and checks that none of
# the files it installed is left. Installing needs root (CI runs as root); as
# another user the step is skipped (tools/package.sh alone builds and checks
# the package without root).
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" -ne 0 ]; then
  echo "skipped: installing and purging the Debian package needs root (CI runs this as root);" \
    "bash tools/package.sh builds and lints it without"
  exit 0
fi
source tools/deps.sh
source tools/package_files_left.sh
pentrill_require_packages "${PENTRILL_BUILD_PACKAGES[@]}" "${PENTRILL_PACKAGE_PACKAGES[@]}" python3
# dpkg's state of the package: "ii" installed, "rc" removed with its
# configuration kept, "un" or nothing when it is not there at all.
package_state() { dpkg-query -W -f='${db:Status-Abbrev}' pentrill 2>/dev/null | tr -d ' ' || true; }
case $(package_state) in
  "" | un) ;;
  *) echo "pentrill is already on this machine; remove it first (apt-get purge pentrill)" >&2; exit 1 ;;
esac

bash tools/package.sh
version=$(dpkg-parsechangelog -S Version)
deb=$PWD/build/package/pentrill_${version}_$(dpkg --print-architecture).deb
fail() { echo "package check: $*" >&2; exit 1; }

installed=0
# A failed check must not leave the package installed on the machine.
purge_if_installed() { [ "$installed" = 1 ] && apt-get purge -y -qq pentrill >/dev/null 2>&1 || true; }
trap purge_if_installed EXIT

echo "== Installing $deb"
export DEBIAN_FRONTEND=noninteractive
apt-get install -y -qq "$deb" >/dev/null
installed=1
files=$(dpkg -L pentrill)
for path in /usr/bin/pentrill /usr/share/man/man1/pentrill.1.gz /usr/share/doc/pentrill/copyright \
    /usr/share/doc/pentrill/changelog.gz /usr/share/doc/pentrill/README.md.gz \
    /usr/share/bash-completion/completions/pentrill /usr/share/applications/pentrill.desktop; do
  grep -qxF "$path" <<<"$files" && test -f "$path" || fail "the package does not install $path"
done

# The commands that answer without a terminal.
version_text=$(/usr/bin/pentrill --version)
grep -qxF "Pentrill v$version" <<<"$version_text" ||
  fail "/usr/bin/pentrill --version does not report the package's version $version: $version_text"
/usr/bin/pentrill --help | grep -q '^Usage: pentrill' || fail "/usr/bin/pentrill --help prints no usage"
stats_home=$(mktemp -d)
HOME=$stats_home XDG_STATE_HOME= /usr/bin/pentrill --stats |
  grep -qxF 'Chance of passing an exam today: <0.1%' || fail "/usr/bin/pentrill --stats prints no chance of passing"
test -z "$(ls -A "$stats_home")" || fail "/usr/bin/pentrill --stats created a record"
rm -rf "$stats_home"
echo "/usr/bin/pentrill answers --version ($version), --help and --stats"

python3 tools/bench.py --check-start --binary /usr/bin/pentrill

# The completion as bash-completion loads it on demand for "pentrill", given
# the words as bash splits them ("--pool=2024" is "--pool", "=", "2024").
complete_words() {
  bash -c 'source /usr/share/bash-completion/bash_completion
    __load_completion pentrill || exit 1
    COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_LINE=${COMP_LINE// = /=}
    COMP_POINT=${#COMP_LINE}
    _pentrill pentrill "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    printf "%s\n" "${COMPREPLY[@]}"' _ "$@"
}
pools=$(complete_words pentrill --pool '' | sort | tr '\n' ' ')
[ "$pools" = "2020-2024 2024-2028 extra general general-2023-2027 technician technician-2026-2030 " ] ||
  fail "completing 'pentrill --pool ' offers '$pools'"
pools=$(complete_words pentrill --pool = 2024 | tr '\n' ' ')
[ "$pools" = "2024-2028 " ] || fail "completing 'pentrill --pool=2024' offers '$pools'"
options=$(complete_words pentrill -- | sort | tr '\n' ' ')
[ "$options" = "--export-record --figures-in-terminal --help --no-record --plain --pool --record --stats --version " ] ||
  fail "completing 'pentrill --' offers '$options'"
protocols=$(complete_words pentrill --figures-in-terminal s | sort | tr '\n' ' ')
[ "$protocols" = "sixel symbols " ] || fail "completing 'pentrill --figures-in-terminal s' offers '$protocols'"
echo "bash completion offers the options ($options), the pools after --pool and the protocols after --figures-in-terminal"

desktop-file-validate /usr/share/applications/pentrill.desktop
grep -qx 'Terminal=true' /usr/share/applications/pentrill.desktop || fail "the desktop entry does not ask for a terminal"
echo "the desktop entry is valid and starts the program in a terminal"

echo "== Purging"
apt-get purge -y -qq pentrill >/dev/null
installed=0
case $(package_state) in
  "" | un) ;;
  *) fail "dpkg still knows pentrill after apt-get purge (state $(package_state))" ;;
esac
# Every file the package installed must be gone, and every folder too unless
# another package still owns it; files of other packages are not its own.
left=$(package_files_left <<<"$files")
[ -z "$left" ] || fail "left after apt-get purge: $(sort -u <<<"$left" | tr '\n' ' ')"
echo "apt-get purge leaves none of the files the package installed"
