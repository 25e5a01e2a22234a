# Sourced by run.sh, test.sh and package.sh: makes sure the Debian packages the build
# needs are installed. As root it installs what is missing; otherwise it
# prints the exact apt-get line and stops.

pentrill_require_packages() {
  local missing=()
  local package
  for package in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$package")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -eq 0 ]; then
    echo "Installing missing packages: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq && apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null || {
      echo "apt-get could not install: ${missing[*]}" >&2
      exit 1
    }
  else
    echo "Missing packages. Install them with:" >&2
    echo "  sudo apt-get install -y ${missing[*]}" >&2
    exit 1
  fi
}

PENTRILL_BUILD_PACKAGES=(g++ cmake ninja-build pkg-config libncurses-dev libsdl2-dev libx11-dev libchafa-dev
                         libsqlite3-dev zlib1g-dev)
PENTRILL_TEST_PACKAGES=(clang libclang-rt-dev libgtest-dev libvterm-dev libssl-dev xvfb xauth groff-base mandoc python3
                        libchafa0 libsixel-bin libpng-dev)
# Building the Debian package (tools/package.sh) and trying it (tools/package_check.sh);
# with PENTRILL_BUILD_PACKAGES these cover debian/control's Build-Depends.
PENTRILL_PACKAGE_PACKAGES=(build-essential dpkg-dev debhelper bash-completion lintian desktop-file-utils)
