#!/usr/bin/env bash
# Builds the Debian package (dpkg-buildpackage -us -uc -b) from a copy of
# this source tree, so that neither the tree nor the folder above it gets
# build files, and collects the results in build/package/: the .deb, its
# debug symbols (.ddeb), the .buildinfo, the .changes, build.log and
# lintian.txt. Fails when the build fails or lintian reports an error or a
# warning, or when the (stripped) /usr/bin/pentrill inside the .deb is not
# under 3.5 MB (with its four pools). Prints the .deb's path and size and the
# size of the program.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
pentrill_require_packages "${PENTRILL_BUILD_PACKAGES[@]}" "${PENTRILL_PACKAGE_PACKAGES[@]}"

# The packaged binary must stay under this many bytes (the figures are
# stored compressed); PENTRILL_ENFORCE_BINARY_SIZE_LIMIT=0 only notes a
# larger one.
PENTRILL_BINARY_SIZE_LIMIT=${PENTRILL_BINARY_SIZE_LIMIT:-3500000}
PENTRILL_ENFORCE_BINARY_SIZE_LIMIT=${PENTRILL_ENFORCE_BINARY_SIZE_LIMIT:-1}

out=build/package
version=$(dpkg-parsechangelog -S Version)
arch=$(dpkg --print-architecture)
source_copy=$out/source/pentrill-$version
rm -rf "$out"
mkdir -p "$source_copy"

# The files git knows or would add (tracked and untracked, without the ignored
# build folders), as they are in the working tree; a tree without git is
# copied whole but for its build folders.
copy_source() {
  if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files -z --cached --others --exclude-standard |
      while IFS= read -r -d '' file; do [ -e "$file" ] && printf '%s\0' "$file"; done |
      tar --null -T - -cf - | tar -xf - -C "$source_copy"
  else
    tar --exclude=./build --exclude='./build*' --exclude=./.git -cf - . | tar -xf - -C "$source_copy"
  fi
}
copy_source

build_options=${DEB_BUILD_OPTIONS:-}
[[ $build_options == *parallel=* ]] || build_options="$build_options parallel=$(nproc)"
# ccache when it is there and its cache can be written (CMake reads the
# launcher from the environment).
launcher=()
if command -v ccache >/dev/null && cache_dir=$(ccache --get-config cache_dir 2>/dev/null) &&
    mkdir -p "$cache_dir" 2>/dev/null && [ -w "$cache_dir" ]; then
  launcher=(CMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
echo "Building the Debian package pentrill $version ($arch); log in $out/build.log"
if ! (cd "$source_copy" && env DEB_BUILD_OPTIONS="${build_options# }" "${launcher[@]}" \
      dpkg-buildpackage -us -uc -b) >"$out/build.log" 2>&1; then
  tail -n 40 "$out/build.log" >&2
  echo "dpkg-buildpackage failed (whole output in $out/build.log)" >&2
  exit 1
fi
# dpkg-buildpackage writes its results beside the source folder.
mv "$out"/source/*.deb "$out"/source/*.ddeb "$out"/source/*.buildinfo "$out"/source/*.changes "$out"/ 2>/dev/null || true
rm -rf "$out/source"
deb=$out/pentrill_${version}_${arch}.deb
changes=$out/pentrill_${version}_${arch}.changes
test -f "$deb" && test -f "$changes" || { echo "no $deb or $changes after the build" >&2; exit 1; }

echo "== lintian"
# The .changes names the .deb, the .ddeb and the .buildinfo: lintian checks all.
# Overridden tags are shown too (each override in debian/ says why).
status=0
lintian --info --display-info --show-overrides --fail-on error,warning "$changes" 2>&1 |
  grep -v '^running with root privileges is not recommended!$' >"$out/lintian.txt" || status=${PIPESTATUS[0]}
if [ "$status" -ne 0 ]; then
  cat "$out/lintian.txt" >&2
  echo "lintian reports an error or a warning (also in $out/lintian.txt)" >&2
  exit 1
fi
if [ -s "$out/lintian.txt" ]; then cat "$out/lintian.txt"; else echo "lintian: no tags"; fi

contents=$(mktemp -d)
trap 'rm -rf "$contents"' EXIT
dpkg-deb -x "$deb" "$contents"
desktop-file-validate "$contents/usr/share/applications/pentrill.desktop"
echo "desktop-file-validate: the desktop entry is valid"

binary_size=$(stat -c %s "$contents/usr/bin/pentrill")
echo "== $deb: $(stat -c %s "$deb") bytes"
echo "/usr/bin/pentrill in it (stripped): $binary_size bytes (limit $PENTRILL_BINARY_SIZE_LIMIT," \
  "$([ "$PENTRILL_ENFORCE_BINARY_SIZE_LIMIT" = 1 ] && echo enforced || echo not enforced))"
if [ "$binary_size" -ge "$PENTRILL_BINARY_SIZE_LIMIT" ]; then
  if [ "$PENTRILL_ENFORCE_BINARY_SIZE_LIMIT" = 1 ]; then
    echo "/usr/bin/pentrill is not under $PENTRILL_BINARY_SIZE_LIMIT bytes" >&2
    exit 1
  fi
  echo "note: /usr/bin/pentrill is not under $PENTRILL_BINARY_SIZE_LIMIT bytes"
fi
