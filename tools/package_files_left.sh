# Sourced by package_check.sh (and its check in tests/tools): what a purged
# package left behind.
#
# package_files_left reads the paths that the package installed, one a line
# as `dpkg -L` lists them before the purge, and prints those still there:
# every file and link, and every folder that no other package owns. Nothing
# else is looked at: a file of another package whose name merely contains
# this one's (a build-dependency package from mk-build-deps) is not left
# behind by it.
package_files_left() {
  local path
  while IFS= read -r path; do
    [ "$path" = /. ] && continue
    [ -e "$path" ] || [ -L "$path" ] || continue
    if [ -d "$path" ] && [ ! -L "$path" ]; then
      dpkg-query -S "$path" >/dev/null 2>&1 && continue
    fi
    printf '%s\n' "$path"
  done
}
